// Exact lines of the drawing operations (paths, colours, fonts, text, shapes).
// A device that is not open collects its lines in its buffer, which is all
// these tests look at.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "postscript/postscript.hpp"

namespace morvane {
namespace {

struct Case { const char* what; std::function<void(psdev&)> draw; std::string expect; };

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        psdev d;
        c.draw(d);
        EXPECT_EQ(d.buffer(), c.expect) << c.what;
    }
}

// Points (k, k mod 2) for k = 0..n-1.
void poly(psdev& d, int n, int mode) {
    std::vector<float> x, y;
    for (int k = 0; k < n; ++k) x.push_back(static_cast<float>(k)), y.push_back(static_cast<float>(k % 2));
    pspoly(d, x, y, mode);
}

TEST(PostScriptPaths, ExactLines) {
    std::string p[8];
    for (int k = 0; k < 8; ++k) p[k] = "  " + std::to_string(k) + ".0000  " + std::to_string(k % 2) + ".0000";
    const std::string &p0 = p[0], &p1 = p[1], &p2 = p[2], &p3 = p[3], &p4 = p[4], &p5 = p[5], &p6 = p[6], &p7 = p[7];
    const std::vector<Case> cases = {
        {"move", [](psdev& d) { psmove(d, 0.1f, 0.25f); }, "  0.1000  0.2500 M\n"},
        {"draw negative", [](psdev& d) { psdraw(d, -0.5f, 12.25f); }, " -0.5000 12.2500 L\n"},
        {"draw too wide", [](psdev& d) { psdraw(d, 1000.0f, 0.0f); }, "********  0.0000 L\n"},
        {"pen", [](psdev& d) { int ipen = 1; pspen(d, ipen, 1, 1), pspen(d, ipen, 2, 0); EXPECT_EQ(ipen, 0); },
         p1 + " M\n" + p2 + " L\n"},
        {"line", [](psdev& d) { psline(d, 0, 0, 1, 1); }, p0 + " M" + p1 + " L S\n"},
        {"mapped", [](psdev& d) { d.sx = 2, d.sy = 3, d.ox = 1, d.oy = -1, psmove(d, 0.25f, 0.5f); psrect(d, 0.25f, 0.5f, 1, 2, 1); },
         "  1.5000  0.5000 M\n  6.0000  2.0000  1.5000  0.5000 RF\n"},
        {"poly 0 and 1 point", [](psdev& d) { poly(d, 1, 0), poly(d, 0, 1); }, ""},
        {"poly 3 points", [](psdev& d) { pspoly(d, std::array{0.f, 1.f, 1.f}, std::array{0.f, 0.f, 1.f}, 1); },
         "  0.0000  0.0000 M  1.0000  0.0000 L  1.0000  1.0000 L\nCP S\n"},
        {"poly 4 points", [](psdev& d) { poly(d, 4, 0); }, p0 + " M" + p1 + " L" + p2 + " L" + p3 + " L\nS\n"},
        {"poly 5 points", [](psdev& d) { poly(d, 5, 2); },
         p0 + " M\n" + p1 + " L" + p2 + " L" + p3 + " L" + p4 + " L\nCP F\n"},
        {"poly 8 points", [](psdev& d) { poly(d, 8, 9); },
         p0 + " M" + p1 + " L" + p2 + " L" + p3 + " L\n" + p4 + " L" + p5 + " L" + p6 + " L" + p7 + " L\nCP F\n"},
        {"poly open", [](psdev& d) { poly(d, 2, -1); }, p0 + " M" + p1 + " L\n"},
        {"reset", [](psdev& d) { psreset(d); }, "S 0.12 Th [] 0 setdash 0 SG\n"},
        {"thick", [](psdev& d) { for (float t : {1.0f, 0.1f, 0.24f, -3.0f, 0.2400001f}) psthick(d, t); },
         " 1.00000 Th\n 0.24000 Th\n 0.24000 Th\n 0.24000 Th\n 0.24000 Th\n"},
        {"dash", [](psdev& d) { for (auto v : {std::array{6, 3, 2, 3}, {0, 5, 5, 5}, {10, 0, 100, 1000}}) psdash(d, v); },
         "dA 0  6 Da dA 1  3 Da dA 2  2 Da dA 3  3 Da dA 0 setdash\n[] 0 setdash\n"
         "dA 0 10 Da dA 1  0 Da dA 2100 Da dA 3*** Da dA 0 setdash\n"},
        {"gray", [](psdev& d) { for (int g : {-5, 0, 1, 128, 254, 255, 300}) psgray(d, g); },
         "0 SG\n0 SG\n0.004 SG\n0.502 SG\n0.996 SG\n1 SG\n1 SG\n"},
        {"color", [](psdev& d) { for (auto v : {std::array{255, 0, 128}, {100, 100, 100}, {300, 300, 300}, {-10, 0, 510}})
                                     pscolor(d, v); },
         " 1.000 0.000 0.502 RGB\n0.392 SG\n1 SG\n-0.039 0.000 2.000 RGB\n"},
    };
    check(cases);
}

TEST(PostScriptText, ExactLines) {
    const std::string ssf1 = " 1.0000 SSF\n", ssf08 = " 0.8000 SSF\n", show = "show GR S\n", end = "GR S\n";
    const auto text = [](int ipos, float angle, const char* s) {
        return [=](psdev& d) { pstext(d, ipos, 99.0f, 0, 0, angle, 0.7f, s); };
    };
    const auto W = [&](std::string s, const char* anchor = "0 0") {
        return ssf1 + "(" + s + ") 0.700 " + anchor + "   0.000   0.000 W\n";
    };
    const auto up = [&](std::string s) { return ssf08 + "0   0.400 RM (" + s + ") show 0  -0.400 RM\n"; };
    const auto down = [&](std::string s) { return ssf08 + "0  -0.200 RM (" + s + ") show 0   0.200 RM\n"; };
    std::string fonts, tenth = W("123456789^0") + "pop\n";
    for (const char* f : {"Times-Roman", "Times-BoldItalic", "Helvetica", "Helvetica-Oblique", "Courier-Bold", "Symbol"})
        fonts += std::string("fA 0 /") + f + " put\nfA 0 get dup scandvec ReEncodeSmall\n";
    for (char c = '1'; c <= '9'; ++c) tenth += up(std::string(1, c));
    const std::vector<Case> cases = {
        {"fonts", [](psdev& d) { for (int f : {10, 13, 20, 22, 31, 43, -10, -1, 0, 9, 14, 19, 24, 44, 50}) psfont(d, f); },
         fonts},
        {"title", [](psdev& d) { pstext(d, 4, 0, 0.5f, 1.2f, 0, 0.024f, "Title"); },
         " 0.0343 SSF\n(Title) 0.024 2 1   0.500   1.200 W\nshow GR S\n"},
        {"parentheses", text(3, 0, "a(b)"), W("a\\050b\\051") + show},
        {"nothing", [](psdev& d) {
             for (auto [p, t] : {std::pair{0, "x"}, {10, "x"}, {-10, "x"}, {3, ""}, {3, "  \t "}}) pstext(d, p, 0, 0, 0, 0, 1, t);
         }, ""},
        {"raised", text(3, 0, "m^-2 y"), W("m-2y") + "pop\n(m) show\n" + up("-2") + ssf1 + "(y) show\n" + end},
        {"escaped marker", text(3, 0, "x\\^2"), W("x^2") + show},
        {"lowered first", text(3, 0, "_i b"), W("ib") + "pop\n" + down("i") + ssf1 + "(b) show\n" + end},
        {"marker only", text(3, 0, "_"), W("") + "pop\n" + down("") + end},
        {"blank taken unexamined", text(3, 0, "a^ b c"), W("a bc") + "pop\n(a) show\n" + up(" b") + ssf1 + "(c) show\n" + end},
        {"marker inside a segment", text(3, 0, "a^b_c^d"), W("ab_c^d") + "pop\n(a) show\n" + up("b_c^d") + end},
        {"segment after segment", text(9, 0, "^2 _3"), W("23", "0 2") + "pop\n" + up("2") + down("3") + end},
        {"tenth marker is a character", text(3, 0, "^1 ^2 ^3 ^4 ^5 ^6 ^7 ^8 ^9 ^0"), tenth + ssf1 + "(^0) show\n" + end},
        {"white box rotated", text(-3, 30, "T"), ssf1 + "(T) 0.700 0 0   30.000   0.000   0.000 WRB\n" + show},
        {"anchors", [](psdev& d) { for (int p : {1, -5, 6, 8}) pstext(d, p, 0, 0, 0, p == 8 ? -90.0f : 0.0f, 0.7f, "T"); },
         W("T", "2 0") + show + ssf1 + "(T) 0.700 1 1   0.000   0.000 WB\n" + show + W("T", "0 1") + show + ssf1 +
             "(T) 0.700 1 2  -90.000   0.000   0.000 WR\n" + show},
    };
    check(cases);
}

TEST(PostScriptText, Escape) {
    EXPECT_EQ(psescape("a(b)"), "a\\050b\\051");
    EXPECT_EQ(psescape("  x\ty  "), "  x y");
    EXPECT_EQ(psescape("\x84\x94\x86\x81\x8E\x99\x8F\x9A\\\xE6"),
              "\\321\\322\\323\\324\\331\\332\\333\\334\\\xE6");
    // A text whose conversion outgrows the 1024-character buffer is cut before
    // the first character that no longer fits whole.
    EXPECT_EQ(psescape(std::string(1030, 'a')), std::string(1024, 'a'));
    EXPECT_EQ(psescape(std::string(1022, 'a') + "(b"), std::string(1022, 'a'));
    EXPECT_EQ(psescape(std::string(1020, 'a') + "(b"), std::string(1020, 'a') + "\\050");
}

TEST(PostScriptShapes, ExactLines) {
    const std::string n4 = "  0.7071 -0.7071 M  0.7071  0.7071 L -0.7071  0.7071 L -0.7071 -0.7071 L\n";
    const auto mark = [](const char* style, int ifill) {
        return [=](psdev& d) { int ipen = 0; psmark(d, ipen, 1, 2, style, -1, 0.5f, ifill); };
    };
    const std::vector<Case> cases = {
        {"circle codes", [](psdev& d) { for (int f : {0, -1, 1, 2, 5}) pscircle(d, 1, 2, 0.5f, f); },
         "  1.0000  2.0000  0.5000 CS\n  1.0000  2.0000  0.5000 CS\n  1.0000  2.0000  0.5000 CF\n"
         "  1.0000  2.0000  0.5000 CC\n  1.0000  2.0000  0.5000 CC\n"},
        {"rect", [](psdev& d) { psrect(d, 1, 2, 3, 4, 7); }, "  4.0000  3.0000  1.0000  2.0000 RR\n"},
        {"triangle", [](psdev& d) { pstri(d, std::array{0.f, 1.f, 2.f}, std::array{3.f, 4.f, 5.f}, 1); },
         "  0.0000  3.0000  1.0000  4.0000  2.0000  5.0000 TF\n"},
        {"quad", [](psdev& d) { psquad(d, std::array{0.f, 1.f, 2.f, 3.f}, std::array{4.f, 5.f, 6.f, 7.f}, 2); },
         "  0.0000  4.0000  1.0000  5.0000  2.0000  6.0000  3.0000  7.0000 QQ\n"},
        {"plus", [](psdev& d) { psplus(d, 1, 1, 0.5f, 0.25f); },
         "  0.5000  1.0000 M  1.0000 0 RL  1.0000  0.7500 M 0   0.5000 RL S\n"},
        {"cross", [](psdev& d) { pscross(d, 0, 0, 1.4142135f); },
         " -1.0000 -1.0000 M  1.0000  1.0000 L  1.0000 -1.0000 M -1.0000  1.0000 L S\n"},
        {"square ngon, fill codes 0 to 3", [](psdev& d) { for (int f = 0; f < 4; ++f) psngon(d, 4, 0, 0, 1, f); },
         n4 + "CP S\n" + n4 + "CP S\n" + n4 + "CP F\n" + n4 + "CP F\nGS 0 SG\n" + n4 + "CP S\nGR\n"},
        {"ngon 1 corner", [](psdev& d) { psngon(d, 1, 0, 0, 1, 3); }, ""},
        {"arrow", [](psdev& d) { psarrow(d, 0, 0, 10, 0, 2, 1, 0.25f, 1); },
         " 10.0000  0.0000 M\n  8.0000  1.0000 L\n  8.0000  0.2500 L\n  0.0000  0.2500 L\n  0.0000 -0.2500 L\n"
         "  8.0000 -0.2500 L\n  8.0000 -1.0000 L\nCP F\n"},
        // Upwards, cos(pi/2) is a little below zero: -1.1e-8 is written as a negative zero.
        {"arrow up outlined", [](psdev& d) { psarrow(d, 0, 0, 0, 10, 2, 1, 0.25f, 0); },
         "  0.0000 10.0000 M\n -1.0000  8.0000 L\n -0.2500  8.0000 L\n -0.2500 -0.0000 L\n  0.2500  0.0000 L\n"
         "  0.2500  8.0000 L\n  1.0000  8.0000 L\nCP S\n"},
        {"mark o", mark("o", 2), "  1.0000  2.0000  0.5000 CC\n"},
        {"mark e, empty, 2", [=](psdev& d) { for (const char* m : {"e", "", "2"}) mark(m, 2)(d); }, ""},
        {"mark c", mark("c", 0), "  0.5000  2.0000 M  1.0000 0 RL  1.0000  1.5000 M 0   1.0000 RL S\n"},
        {"mark x", mark("x", 0),
         "  0.6464  1.6464 M  1.3536  2.3536 L  1.3536  1.6464 M  0.6464  2.3536 L S\n"},
        {"mark n", mark("n", 0), "  0.5670  2.2500  1.0000  1.5000  1.4330  2.2500 TS\n"},
        {"mark t", mark("t", 1), "  0.5670  1.7500  1.0000  2.5000  1.4330  1.7500 TF\n"},
        {"mark q", mark("q", 2), "  1.0000  1.0000  0.5000  1.5000 RR\n"},
        {"mark v", mark("v", 0), "  0.5000  2.0000  1.0000  1.5000  1.5000  2.0000  1.0000  2.5000 QS\n"},
        {"mark l", mark("lx", 0), "  1.0000  2.0000 M  1.0000 -1.0000 L S\n"},
        {"mark 4", mark("4", 0),
         "  1.3536  1.6464 M  1.3536  2.3536 L  0.6464  2.3536 L  0.6464  1.6464 L\nCP S\n"},
    };
    check(cases);
}

// A line of psmark points is stroked at its 1000th point; the next point
// starts a new path, and a new line restarts the count.
TEST(PostScriptShapes, MarkStrokesEveryThousandthPoint) {
    psdev d;
    int ipen = 1;
    std::string expect;
    for (int k = 1; k <= 2001; ++k) {
        psmark(d, ipen, 0, 0, k % 2 ? "s" : "b", 0, 0, 0);
        expect += k % 1000 == 1 ? "  0.0000  0.0000 M\n" : k % 1000 ? "  0.0000  0.0000 L\n" : "  0.0000  0.0000 L\nS\n";
        EXPECT_EQ(ipen, k % 1000 ? 0 : 1) << k;
    }
    EXPECT_EQ(d.buffer(), expect);
    d.buffer().clear();
    ipen = 1;
    for (int k = 0; k < 999; ++k) psmark(d, ipen, 0, 0, "w", 0, 0, 0);
    ipen = 1;
    psmark(d, ipen, 0, 0, "f", 0, 0, 0);
    EXPECT_EQ(d.buffer().find('S'), std::string::npos);
    EXPECT_EQ(d.npoint, 1);
}

}  // namespace
}  // namespace morvane
