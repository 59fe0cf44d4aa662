// The parser of the formatted-output notation: a format text into its
// program of nodes, with the reversion point.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/format.hpp"
#include "util/format/program.hpp"

namespace morvane::fmt {

namespace {

class Parser {
public:
    Parser(std::string_view text, Program& p) : s_(text), p_(p) {}

    bool run(std::string& err) {
        skip();
        if (i_ >= s_.size() || s_[i_] != '(') return fail(err, "it must begin with '('");
        ++i_;
        std::vector<int> opens;
        int last_top_open = -1;
        for (;;) {
            skip();
            if (i_ >= s_.size()) return fail(err, "missing ')'");
            const std::size_t start = i_;
            char c = up(s_[i_]);
            // Commas separate items; a missing comma between two items is
            // accepted, as the reference runtime does.
            if (c == ',') {
                if (p_.nodes.empty() || p_.nodes.back().op == Op::Open || comma_)
                    return fail(err, "empty item before ','");
                ++i_;
                comma_ = true;
                continue;
            }
            comma_ = false;
            if (c == ')') {
                if (sep_seen_after_item()) return fail(err, "empty item before ')'");
                ++i_;
                if (opens.empty()) {
                    skip();
                    if (i_ < s_.size()) return fail(err, "text after the closing ')'");
                    break;
                }
                const int o = opens.back();
                opens.pop_back();
                Node n{Op::Close};
                n.ref = o;
                p_.nodes[static_cast<std::size_t>(o)].ref = static_cast<int>(p_.nodes.size());
                if (opens.empty()) last_top_open = o;
                p_.nodes.push_back(n);
                continue;
            }
            // Optional count: repeat, X count, P factor (signed), H length.
            bool has_count = false, negative = false, sign = false;
            long count = 0;
            if (c == '+' || c == '-') {
                sign = true;
                negative = c == '-';
                ++i_;
                skip();
                if (i_ >= s_.size() || !isdig(s_[i_])) return fail(err, "a sign must be followed by a scale factor such as -1P");
            }
            if (i_ < s_.size() && isdig(s_[i_])) {
                if (!number(count, err)) return false;
                has_count = true;
                skip();
                if (i_ >= s_.size()) return fail(err, "missing ')'");
                c = up(s_[i_]);
            }
            if (sign && c != 'P')
                return fail(err, "a signed number must be a scale factor (kP)");
            Node n{Op::End};
            n.src = static_cast<int>(start);
            if (c == 'P') {
                if (!has_count) return fail(err, "P needs a scale factor before it, as in 1P");
                ++i_;
                n.op = Op::Scale;
                n.w = static_cast<int>(negative ? -count : count);
                finish_node(n, start);  // kP may be followed directly by a descriptor
                continue;
            }
            if (c == 'H') {
                if (!has_count || count == 0) return fail(err, "H needs a positive character count before it");
                ++i_;
                if (i_ + static_cast<std::size_t>(count) > s_.size()) return fail(err, "the Hollerith text runs past the end");
                n.op = Op::Lit;
                n.ref = static_cast<int>(p_.pool.size());
                n.w = static_cast<int>(count);
                p_.pool.append(s_.substr(i_, static_cast<std::size_t>(count)));
                i_ += static_cast<std::size_t>(count);
                finish_node(n, start);
                continue;
            }
            if (c == '\'' || c == '"') {
                if (has_count) return fail(err, "a repeat count cannot precede a quoted text");
                if (!literal(n, err)) return false;
                finish_node(n, start);
                continue;
            }
            if (c == '/' || c == ':') {
                ++i_;
                n.op = c == '/' ? Op::Slash : Op::Colon;
                if (has_count && (c == ':' || count == 0)) return fail(err, c == ':' ? "a count cannot precede ':'" : "a repeat count must be positive");
                n.rep = has_count ? static_cast<int>(count) : 1;
                finish_node(n, start);
                continue;
            }
            if (c == '(') {
                if (has_count && count == 0) return fail(err, "a repeat count must be positive");
                ++i_;
                n.op = Op::Open;
                n.rep = has_count ? static_cast<int>(count) : 1;
                finish_node(n, start);
                opens.push_back(static_cast<int>(p_.nodes.size()) - 1);
                continue;
            }
            if (c == 'X') {
                ++i_;
                n.op = Op::X;
                if (has_count && count == 0) return fail(err, "X needs a positive count");
                n.w = has_count ? static_cast<int>(count) : 1;
                finish_node(n, start);
                continue;
            }
            if (!descriptor(n, c, has_count, count, err)) return false;
            finish_node(n, start);
        }
        if (!opens.empty()) return fail(err, "missing ')'");
        Node end{Op::End};
        end.src = static_cast<int>(s_.size());
        p_.nodes.push_back(end);
        p_.revert = last_top_open < 0 ? 0 : last_top_open;
        for (std::size_t k = static_cast<std::size_t>(p_.revert); k < p_.nodes.size(); ++k)
            if (is_data(p_.nodes[k].op)) p_.revert_has_data = true;
        return true;
    }

private:
    std::string_view s_;
    Program& p_;
    std::size_t i_ = 0;
    bool comma_ = false;

    static char up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
    static bool isdig(char c) { return c >= '0' && c <= '9'; }
    void skip() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    }
    // True when the last thing before the current ')' was a comma (an empty item).
    bool sep_seen_after_item() const {
        std::size_t k = i_;
        while (k > 0) {
            --k;
            if (s_[k] == ' ' || s_[k] == '\t') continue;
            return s_[k] == ',';
        }
        return false;
    }
    bool fail(std::string& err, std::string_view why) {
        err = "Format ";
        err += s_;
        err += ": ";
        err += why;
        err += " (at character ";
        err += std::to_string(std::min(i_, s_.size()) + 1);
        err += ")";
        return false;
    }
    void finish_node(Node& n, std::size_t start) {
        n.src = static_cast<int>(start);
        n.srclen = static_cast<int>(i_ - start);
        p_.nodes.push_back(n);
    }
    // Digits with embedded blanks ignored.
    bool number(long& v, std::string& err) {
        v = 0;
        bool any = false;
        for (;;) {
            skip();
            if (i_ >= s_.size() || !isdig(s_[i_])) break;
            v = v * 10 + (s_[i_] - '0');
            if (v > 999999) return fail(err, "number too large");
            ++i_;
            any = true;
        }
        if (!any) return fail(err, "a number is missing");
        return true;
    }
    bool peek_digit() {
        skip();
        return i_ < s_.size() && isdig(s_[i_]);
    }
    bool peek(char c) {
        skip();
        return i_ < s_.size() && up(s_[i_]) == c;
    }
    // Takes the letter c when it comes next.
    bool accept(char c) {
        if (!peek(c)) return false;
        ++i_;
        return true;
    }
    bool literal(Node& n, std::string& err) {
        const char q = s_[i_++];
        n.op = Op::Lit;
        n.ref = static_cast<int>(p_.pool.size());
        for (;;) {
            if (i_ >= s_.size()) return fail(err, "unterminated quoted text");
            if (s_[i_] == q) {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == q) {
                    p_.pool += q;
                    i_ += 2;
                    continue;
                }
                ++i_;
                break;
            }
            p_.pool += s_[i_++];
        }
        n.w = static_cast<int>(p_.pool.size()) - n.ref;
        return true;
    }
    bool descriptor(Node& n, char c, bool has_count, long count, std::string& err) {
        const std::size_t at = i_;
        ++i_;
        auto no_count = [&](const char* what) {
            if (has_count) {
                i_ = at;
                std::string m = "a count cannot precede ";
                m += what;
                return fail(err, m);
            }
            return true;
        };
        if (has_count && count == 0) {
            i_ = at;
            return fail(err, "a repeat count must be positive");
        }
        n.rep = has_count ? static_cast<int>(count) : 1;
        long w = 0, d = 0, e = 0;
        switch (c) {
        case 'I':
            n.op = Op::I;
            if (!number(w, err)) return false;
            n.w = static_cast<int>(w);
            if (accept('.')) {
                if (!number(d, err)) return false;
                n.d = static_cast<int>(d);
                if (w > 0 && d > w) return fail(err, "the minimum digits of I exceed its width");
            }
            return true;
        case 'F':
        case 'D':
        case 'E':
        case 'G':
            if (c == 'E' && accept('N')) {
                n.op = Op::EN;
            } else if (c == 'E' && accept('S')) {
                n.op = Op::ES;
            } else {
                n.op = c == 'F' ? Op::F : c == 'D' ? Op::D : c == 'E' ? Op::E : Op::G;
            }
            if (!number(w, err)) return false;
            if (w == 0 && n.op != Op::F && n.op != Op::G) return fail(err, "this descriptor needs a positive width");
            if (!accept('.')) {
                if (n.op != Op::G || w != 0) return fail(err, "a '.' and the number of decimals are missing");
                n.w = 0;  // G0: the item's own form and digits
                n.d = 0;
                return true;
            }
            if (!number(d, err)) return false;
            n.w = static_cast<int>(w);
            n.d = static_cast<int>(d);
            if (n.op != Op::F && n.op != Op::D && peek('E')) {
                const std::size_t back = i_;
                ++i_;
                if (peek_digit()) {
                    if (!number(e, err)) return false;
                    if (e == 0) return fail(err, "the exponent needs at least one digit");
                    if (e > 15) return fail(err, "at most 15 exponent digits");
                    n.e = static_cast<int>(e);
                } else {
                    i_ = back;  // an E descriptor follows without a comma
                }
            }
            return true;
        case 'A':
            n.op = Op::A;
            n.w = -1;
            if (peek_digit()) {
                if (!number(w, err)) return false;
                if (w == 0) return fail(err, "A needs a positive width");
                n.w = static_cast<int>(w);
            }
            return true;
        case 'L':
            n.op = Op::L;
            if (!number(w, err)) return false;
            if (w == 0) return fail(err, "L needs a positive width");
            n.w = static_cast<int>(w);
            return true;
        case 'T':
            if (!no_count("T")) return false;
            n.op = accept('L') ? Op::TL : accept('R') ? Op::TR : Op::T;
            if (!number(w, err)) return false;
            if (w == 0) return fail(err, "a tab needs a positive position or count");
            n.w = static_cast<int>(w);
            n.rep = 1;
            return true;
        case 'S':
            if (!no_count("S, SP or SS")) return false;
            n.op = accept('P') ? Op::SignSP : Op::SignS;
            if (n.op == Op::SignS) accept('S');
            n.rep = 1;
            return true;
        case 'B':
            if (!no_count("BN or BZ")) return false;
            if (accept('N') || accept('Z')) {
                n.op = Op::Blank;
                n.rep = 1;
                return true;
            }
            i_ = at;
            return fail(err, "binary editing (B) is not supported");
        default:
            i_ = at;
            if (c == ')' || c == '(') return fail(err, "unexpected parenthesis");
            return fail(err, std::string("unknown descriptor '") + s_[at] + "'");
        }
    }
};

}  // namespace

std::optional<Format> Format::parse(std::string_view text, std::string* error) {
    auto prog = std::make_unique<Program>();
    prog->text.assign(text);
    std::string err;
    Parser parser(prog->text, *prog);
    if (!parser.run(err)) {
        if (error) *error = err;
        return std::nullopt;
    }
    Format f;
    f.program_ = std::move(prog);
    return f;
}

Format::Format(const Format& o) : program_(o.program_ ? std::make_unique<Program>(*o.program_) : nullptr) {}
Format& Format::operator=(const Format& o) {
    if (this != &o) program_ = o.program_ ? std::make_unique<Program>(*o.program_) : nullptr;
    return *this;
}
Format::Format(Format&&) noexcept = default;
Format& Format::operator=(Format&&) noexcept = default;
Format::~Format() = default;

}  // namespace morvane::fmt
