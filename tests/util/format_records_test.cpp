// Whole formats: what the parser refuses and how, and the record writer's
// behaviour on items that do not fit. The output bytes of accepted formats
// are compared with the reference runtime in format_oracle_test.cpp.
#include "util/format.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using morvane::fmt::Format;
using morvane::fmt::RecordWriter;

TEST(FormatParse, RefusesMalformedFormatsWithAReason) {
    const struct {
        const char* text;
        const char* error;  // "" when the format is accepted
    } cases[] = {
        {"(i6,99g13.5)", ""},
        {" ( I6 , 99G13.5 )  ", ""},
        {"(i6 99g13.5)", ""},  // blanks ignored: i699 then g13.5, no comma needed
        {"(1p99e13.5)", ""},
        {"(f 5.2)", ""},
        {"()", ""},
        {"(2(i3,'a''b',3hx,y),:,/,t5,tl2,tr1,sp,ss,s,bn,bz,-2p,f8.3,es10.2e3,en10.2,d10.3,g10.3e2,a,a5,l2)", ""},
        {"i6,99g13.5", "Format i6,99g13.5: it must begin with '(' (at character 1)"},
        {"(i6,99g13.5", "Format (i6,99g13.5: missing ')' (at character 12)"},
        {"((i3)", "Format ((i3): missing ')' (at character 6)"},
        {"(i3))", "Format (i3)): text after the closing ')' (at character 5)"},
        {"(i6,,f5.2)", "Format (i6,,f5.2): empty item before ',' (at character 5)"},
        {"(,i6)", "Format (,i6): empty item before ',' (at character 2)"},
        {"(i6,)", "Format (i6,): empty item before ')' (at character 5)"},
        {"(q5)", "Format (q5): unknown descriptor 'q' (at character 2)"},
        {"(f5)", "Format (f5): a '.' and the number of decimals are missing (at character 4)"},
        {"(f5.)", "Format (f5.): a number is missing (at character 5)"},
        {"(e0.3)", "Format (e0.3): this descriptor needs a positive width (at character 4)"},
        {"(e10.3e0)", "Format (e10.3e0): the exponent needs at least one digit (at character 9)"},
        {"(e40.3e16)", "Format (e40.3e16): at most 15 exponent digits (at character 10)"},
        {"(es40.3e15)", ""},
        {"(i5.6)", "Format (i5.6): the minimum digits of I exceed its width (at character 6)"},
        {"('abc)", "Format ('abc): unterminated quoted text (at character 7)"},
        {"(3'x')", "Format (3'x'): a repeat count cannot precede a quoted text (at character 3)"},
        {"(0i5)", "Format (0i5): a repeat count must be positive (at character 3)"},
        {"(-2i5)", "Format (-2i5): a signed number must be a scale factor (kP) (at character 4)"},
        {"(p)", "Format (p): P needs a scale factor before it, as in 1P (at character 2)"},
        {"(t0)", "Format (t0): a tab needs a positive position or count (at character 4)"},
        {"(3t5)", "Format (3t5): a count cannot precede T (at character 3)"},
        {"(2:)", "Format (2:): a count cannot precede ':' (at character 4)"},
        {"(a0)", "Format (a0): A needs a positive width (at character 4)"},
        {"(l0)", "Format (l0): L needs a positive width (at character 4)"},
        {"(b5)", "Format (b5): binary editing (B) is not supported (at character 2)"},
        {"(0h)", "Format (0h): H needs a positive character count before it (at character 3)"},
        {"(5habc)", "Format (5habc): the Hollerith text runs past the end (at character 4)"},
        {"(f99999999.2)", "Format (f99999999.2): number too large (at character 9)"},
    };
    for (const auto& c : cases) {
        std::string err = "unset";
        const auto f = Format::parse(c.text, &err);
        if (*c.error == '\0') {
            EXPECT_TRUE(f.has_value()) << c.text << ": " << err;
        } else {
            EXPECT_FALSE(f.has_value()) << c.text;
            EXPECT_EQ(err, c.error);
        }
    }
}

// Fields the differential test does not generate (its formats keep kP
// within range, exponents to four digits, G with d >= 1), and the REAL
// overload of G, which records do not go through; the expected texts were
// written by the reference runtime with the same descriptors.
TEST(FormatFields, BeyondTheGeneratedFormats) {
    using namespace morvane::fmt;
    const struct { char kind; double v; int w, d, e, scale; const char* want; } cases[] = {
        {'E', 1.0, 24, 3, 15, 0, "  0.100E+000000000000001"},
        {'G', 524288.0, 30, 3, 15, 0, "        0.524E+000000000000006"},
        {'E', 9999.4, 12, 4, 0, 5, "  99994.E-01"},
        {'E', 9999.4, 12, 4, 0, 6, "************"},  // scale out of range
        {'G', 200.0, 8, 0, 4, 1, "2.E+0002"},
        {'F', 1e22, 30, 2, 0, 0, "    10000000000000000000000.00"},
        {'I', 0, 3, 0, 0, 0, "   "},
        {'R', 0.99999499320983886719, 13, 5, 0, 0, "   1.0000    "},  // the REAL overload: 0x3F7FFFAC
        {'R', 99999997952.0, 20, 12, 0, 0, "    99999997952.    "},  // the limit 1e11 as a REAL
    };
    for (const auto& c : cases) {
        std::string out = "<";
        if (c.kind == 'I') put_int(out, static_cast<std::int64_t>(c.v), c.w, c.d);
        else if (c.kind == 'F') put_fixed(out, c.v, c.w, c.d, c.scale);
        else if (c.kind == 'E') put_exp(out, c.v, c.w, c.d, c.e, c.scale);
        else if (c.kind == 'R') put_general(out, static_cast<float>(c.v), c.w, c.d, c.e, c.scale);
        else put_general(out, c.v, c.w, c.d, c.e, c.scale);
        EXPECT_EQ(out, std::string("<") + c.want) << c.kind << c.w << "." << c.d << " e=" << c.e << " " << c.scale << "P";
    }
}

TEST(RecordWriter, ItemErrorsLeaveTheBufferAsItWas) {
    const struct {
        const char* format;
        int kind;  // 0: integer 5, real 1.0, integer 3; 1: one real 1.0; 2: text
        const char* error;
    } cases[] = {
        {"(i6,2f8.3)", 0, "Format (i6,2f8.3): item 3 is an integer, which does not fit the descriptor 2f8.3"},
        {"(f8.3)", 0, "Format (f8.3): item 1 is an integer, which does not fit the descriptor f8.3"},
        {"(i6,a)", 0, "Format (i6,a): item 2 is a real, which does not fit the descriptor a"},
        {"(\"x\",2x)", 1, "Format (\"x\",2x): no data descriptor for item 1"},
        {"(i3,('x'))", 0, "Format (i3,('x')): no data descriptor for item 2"},
        {"(3pe10.1)", 1, "Format (3pe10.1): scale factor 3P is out of range for e10.1 (item 1)"},
        {"(g10.0)", 1, "Format (g10.0): scale factor 0P is out of range for g10.0 (item 1)"},
        {"(l3)", 2, "Format (l3): item 1 is a text, which does not fit the descriptor l3"},
    };
    for (const auto& c : cases) {
        const auto f = Format::parse(c.format);
        ASSERT_TRUE(f) << c.format;
        std::string out = "earlier\n";
        RecordWriter w(*f, out);
        if (c.kind == 0) {
            w.integer(5);
            w.real(1.0f);
            w.integer(3);
        } else if (c.kind == 1) {
            w.real(1.0);
        } else {
            w.text("abc");
        }
        EXPECT_FALSE(w.finish()) << c.format;
        EXPECT_FALSE(w.ok());
        EXPECT_EQ(w.error(), c.error);
        EXPECT_EQ(out, "earlier\n") << c.format;
    }
}

// A copy of a format writes as the original (text, logical, tabs: written by
// the reference runtime).
TEST(RecordWriter, CopyOfAFormat) {
    std::optional<Format> g = Format::parse("('<',a,t2,a3,l2,g4.1,tr2,'>')");
    ASSERT_TRUE(g);
    const Format copy = *g;
    g.reset();
    std::string out;
    RecordWriter w(copy, out);
    w.text("abcd");
    w.text("xy");
    w.logical(true);
    w.logical(false);
    EXPECT_TRUE(w.finish());
    EXPECT_EQ(out, "< xy T   F  >\n");
}

}  // namespace
