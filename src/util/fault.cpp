#include "util/fault.hpp"

#include <array>

namespace morvane::fault {
namespace {

constexpr int kKinds = 5;

struct State {
    std::array<int, kKinds> armed{};  // 0: disarmed, else the failing call
    std::array<int, kKinds> seen{};
};

thread_local State t_state;

int index(Op op) { return static_cast<int>(op); }

}  // namespace

void arm(Op op, int n) {
    t_state.armed[index(op)] = n < 0 ? 0 : n;
    t_state.seen[index(op)] = 0;
}

void reset() { t_state = State{}; }

int count(Op op) { return t_state.seen[index(op)]; }

bool hit(Op op) {
    const int i = index(op);
    const int n = ++t_state.seen[i];
    return t_state.armed[i] != 0 && n == t_state.armed[i];
}

}  // namespace morvane::fault
