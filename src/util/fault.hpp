// Fault injection for tests: makes the n-th file operation of one kind fail,
// so that every failure path of the file layer can be driven on purpose (a
// full disk at the third write, a rename refused, a close that reports an
// error). The counters are per thread, so a test arms only its own calls.
// Disarmed, each check is one thread-local load.
#pragma once

namespace morvane::fault {

enum class Op { Open, Read, Write, Close, Rename };

// Arms op: the n-th operation of that kind from now on fails (n >= 1); n = 0
// disarms it. Arming also restarts the kind's count.
void arm(Op op, int n);
// Disarms every kind and clears the counts.
void reset();
// How many operations of the kind were checked since the last arm or reset:
// a test runs a routine once unarmed, reads the count, then arms 1..count.
int count(Op op);
// Called by the file layer before each operation: true when it is to fail.
bool hit(Op op);

}  // namespace morvane::fault
