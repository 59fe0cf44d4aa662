// The record writer: a parsed format fed item by item, lines appended to one
// buffer; positioning (X, T, TL, TR, /), reversion, and the errors that take
// the record back.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/format.hpp"
#include "util/format/fields.hpp"
#include "util/format/general.hpp"
#include "util/format/program.hpp"

namespace morvane::fmt {

using detail::ExpForm;
using detail::FieldSpec;
using detail::exp_field;
using detail::fixed_field;
using detail::fixed_single_fast;
using detail::general_field;
using detail::general_single_quick;
using detail::int_field;
using detail::pad_field;

namespace {

std::string descriptor_text(const Program& p, const Node& n) {
    return p.text.substr(static_cast<std::size_t>(n.src), static_cast<std::size_t>(n.srclen));
}

}  // namespace

struct RecordWriter::State {
    const Program* p;
    std::string* out;
    std::string* error;
    std::size_t start;       // size of out when the record began (restored on error)
    std::size_t line_start;  // where the current line begins in out
    std::size_t pos = 0;     // current column of the line
    int pc = 0;
    int rep_left = 0;  // remaining repeats of the data node at pc
    int scale = 0;
    bool plus = false;
    int items = 0;
    bool finished = false;
    struct Level {
        int open;
        int left;
    };
    std::vector<Level> stack;
    std::string scratch;

    // Blanks up to the current column; true when the column is at the end of
    // the line, so that a field may be appended in place.
    bool at_end() {
        const std::size_t len = out->size() - line_start;
        if (pos > len) out->append(pos - len, ' ');
        return pos >= len;
    }
    // Places text at the current column (overwriting when tabbed back).
    void place(const char* s, std::size_t n) {
        if (at_end()) {
            out->append(s, n);
        } else {
            const std::size_t at = line_start + pos;
            const std::size_t over = std::min(n, out->size() - at);
            std::memcpy(out->data() + at, s, over);
            out->append(s + over, n - over);
        }
        pos += n;
    }
    void end_line() {
        out->push_back('\n');
        line_start = out->size();
        pos = 0;
    }
    void fail(std::string msg) {
        *error = std::move(msg);
        out->resize(start);
        finished = true;
    }

    // Runs the format up to the next data descriptor and returns it. With no
    // item to write (have_item false) it stops at a data descriptor, a ':' or
    // the end and returns nullptr. nullptr with the error set on failure.
    const Node* advance(bool have_item) {
        const std::vector<Node>& nodes = p->nodes;
        for (;;) {
            const Node& n = nodes[static_cast<std::size_t>(pc)];
            switch (n.op) {
            case Op::I:
            case Op::F:
            case Op::E:
            case Op::ES:
            case Op::EN:
            case Op::D:
            case Op::G:
            case Op::A:
            case Op::L:
                if (!have_item) return nullptr;
                if (rep_left == 0) rep_left = n.rep;
                if (--rep_left == 0) ++pc;
                return &n;
            case Op::Lit:
                place(p->pool.data() + n.ref, static_cast<std::size_t>(n.w));
                ++pc;
                break;
            case Op::X:
            case Op::TR:
                pos += static_cast<std::size_t>(n.w);
                ++pc;
                break;
            case Op::T:
                pos = static_cast<std::size_t>(n.w - 1);
                ++pc;
                break;
            case Op::TL:
                // Tabbing left stops at the start of the line. Positions follow
                // the standard's rules throughout; the reference runtime strays
                // from them only when T or TL comes right after another position
                // change (X, TR, T, TL) with nothing written between.
                pos = pos > static_cast<std::size_t>(n.w) ? pos - static_cast<std::size_t>(n.w) : 0;
                ++pc;
                break;
            case Op::Slash:
                for (int k = 0; k < n.rep; ++k) end_line();
                ++pc;
                break;
            case Op::Colon:
                if (!have_item) return nullptr;
                ++pc;
                break;
            case Op::Scale:
                scale = n.w;
                ++pc;
                break;
            case Op::SignS:
                plus = false;
                ++pc;
                break;
            case Op::SignSP:
                plus = true;
                ++pc;
                break;
            case Op::Blank: ++pc; break;
            case Op::Open:
                stack.push_back({pc, n.rep});
                ++pc;
                break;
            case Op::Close:
                if (--stack.back().left > 0) {
                    pc = stack.back().open + 1;
                } else {
                    stack.pop_back();
                    ++pc;
                }
                break;
            case Op::End:
                if (!have_item) return nullptr;
                if (!p->revert_has_data) {
                    fail("Format " + p->text + ": no data descriptor for item " + std::to_string(items + 1));
                    return nullptr;
                }
                // Reversion: a new line, then the last top-level group.
                end_line();
                pc = p->revert;
                break;
            }
        }
    }

    // The data descriptor of the next item, or nullptr after an error.
    const Node* next_item() {
        if (finished) return nullptr;
        if (rep_left > 0) {  // the next repeat of the descriptor just used
            const Node* n = &p->nodes[static_cast<std::size_t>(pc)];
            if (--rep_left == 0) ++pc;
            ++items;
            return n;
        }
        const Node* n = advance(true);
        ++items;
        return n;
    }

    void mismatch(const Node& n, const char* what) {
        fail("Format " + p->text + ": item " + std::to_string(items) + " is " + what +
             ", which does not fit the descriptor " + descriptor_text(*p, n));
    }

    // Where a field goes: appended to the line in place, or through the
    // scratch buffer when the column lies inside text already written.
    template <class Fn>
    bool field(Fn&& put) {
        if (at_end()) {
            const std::size_t before = out->size();
            const bool ok = put(*out);
            pos += out->size() - before;
            return ok;
        }
        scratch.clear();
        const bool ok = put(scratch);
        place(scratch.data(), scratch.size());
        return ok;
    }

    // single: the item is a REAL; G then chooses its form by the limits of
    // that kind, every other descriptor writes the value widened to double.
    void real(double v, const float* single = nullptr) {
        const Node* n = next_item();
        if (!n) return;
        bool ok = true;
        const FieldSpec f{n->w, n->d, n->e, scale, plus};
        const FieldSpec unscaled{n->w, n->d, n->e, 0, plus};  // ES and EN take no scale factor
        switch (n->op) {
        case Op::F:
            field([&](std::string& o) {
                if (!single || scale != 0 || !fixed_single_fast(o, *single, n->w, n->d, plus)) fixed_field(o, v, f);
                return true;
            });
            return;
        case Op::E: ok = field([&](std::string& o) { return exp_field(o, v, f, ExpForm::E); }); break;
        case Op::D: ok = field([&](std::string& o) { return exp_field(o, v, f, ExpForm::D); }); break;
        case Op::ES: field([&](std::string& o) { return exp_field(o, v, unscaled, ExpForm::ES); }); return;
        case Op::EN: field([&](std::string& o) { return exp_field(o, v, unscaled, ExpForm::EN); }); return;
        case Op::G:
            // The common case first: a REAL appended at the end of the line.
            if (single && scale == 0 && at_end() && general_single_quick(*out, *single, n->w, n->d, n->e, plus)) {
                pos += static_cast<std::size_t>(n->w);
                return;
            }
            ok = field([&](std::string& o) { return single ? general_field(o, *single, f) : general_field(o, v, f); });
            break;
        default: mismatch(*n, "a real"); return;
        }
        if (!ok)
            fail("Format " + p->text + ": scale factor " + std::to_string(scale) + "P is out of range for " +
                 descriptor_text(*p, *n) + " (item " + std::to_string(items) + ")");
    }
};

RecordWriter::RecordWriter(const Format& format, std::string& out) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.p = &format.program();
    s.out = &out;
    s.error = &error_;
    s.start = out.size();
    s.line_start = out.size();
}

RecordWriter::~RecordWriter() = default;

void RecordWriter::integer(std::int32_t v) {
    State& s = *state_;
    const Node* n = s.next_item();
    if (!n) return;
    if (n->op != Op::I && n->op != Op::G) return s.mismatch(*n, "an integer");
    // Under G an integer is written as by Iw (G0: I0).
    const int m = n->op == Op::I ? n->d : -1;
    s.field([&](std::string& o) {
        int_field(o, v, {n->w, m, 0, 0, s.plus});
        return true;
    });
}

void RecordWriter::real(float v) {
    const double x = v;
    state_->real(x, &v);
}

void RecordWriter::real(double v) { state_->real(v); }

void RecordWriter::text(std::string_view v) {
    State& s = *state_;
    const Node* n = s.next_item();
    if (!n) return;
    if (n->op != Op::A && n->op != Op::G) return s.mismatch(*n, "a text");
    // Aw: a longer text is cut to its first w characters, a shorter one is
    // right-justified; A alone and G0 write the whole text.
    const std::size_t w = n->w <= 0 ? v.size() : static_cast<std::size_t>(n->w);
    if (w <= v.size()) {
        s.place(v.data(), w);
    } else {
        s.scratch.clear();
        std::memcpy(pad_field(s.scratch, static_cast<int>(w), static_cast<int>(v.size())), v.data(), v.size());
        s.place(s.scratch.data(), s.scratch.size());
    }
}

void RecordWriter::logical(bool v) {
    State& s = *state_;
    const Node* n = s.next_item();
    if (!n) return;
    if (n->op != Op::L && n->op != Op::G) return s.mismatch(*n, "a logical");
    s.scratch.clear();
    *pad_field(s.scratch, std::max(n->w, 1), 1) = v ? 'T' : 'F';  // G0: L1
    s.place(s.scratch.data(), s.scratch.size());
}

bool RecordWriter::finish() {
    State& s = *state_;
    if (s.finished) return error_.empty();
    s.advance(false);
    if (!error_.empty()) return false;
    s.end_line();
    s.finished = true;
    return true;
}

}  // namespace morvane::fmt
