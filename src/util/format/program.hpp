// A parsed format, inside the formatted-output engine: a list of nodes (one
// per descriptor, group bracket or literal) ending with End, and where
// reversion resumes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::fmt {

enum class Op : std::uint8_t {
    // data descriptors
    I, F, E, ES, EN, D, G, A, L,
    // everything else
    X, T, TL, TR, Slash, Colon, Lit, Scale, SignS, SignSP, Blank, Open, Close, End
};

inline bool is_data(Op op) { return op <= Op::L; }

struct Node {
    Op op;
    std::int32_t rep = 1;  // repeat count (data, Open, Slash)
    std::int32_t w = 0;    // width (0: G0); X/T/TL/TR count; Scale factor; Lit length; -1: A without width
    std::int32_t d = -1;   // decimals (G0 alone: 0); minimum digits of I (-1: none)
    std::int32_t e = 0;    // exponent digits (0: none)
    std::int32_t ref = 0;  // Lit: offset in the pool; Open/Close: index of the partner
    std::int32_t src = 0;  // descriptor text in the format, for messages
    std::int32_t srclen = 0;
};

class Program {
public:
    std::vector<Node> nodes;  // ends with End
    std::string pool;         // literal texts
    std::string text;         // the format as given
    int revert = 0;           // where reversion resumes
    bool revert_has_data = false;
};

}  // namespace morvane::fmt
