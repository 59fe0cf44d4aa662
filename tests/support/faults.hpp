// Fault injection over whole calls: a call runs once unarmed, then once for
// each operation of one kind that the unarmed run made, that one failing.
#pragma once

#include <vector>

#include "util/fault.hpp"

namespace morvane::testing {

// The results of call(): unarmed first, then with the n-th operation of kind
// op failing, n = 1 .. the number of such operations of the unarmed run.
template <class Call>
auto under_faults(fault::Op op, Call&& call) {
    fault::reset();
    std::vector<decltype(call())> out;
    out.push_back(call());
    const int count = fault::count(op);
    for (int n = 1; n <= count; ++n) {
        fault::arm(op, n);
        out.push_back(call());
    }
    fault::reset();
    return out;
}

}  // namespace morvane::testing
