// Counts every allocation of the process through replacements of the global operator new and
// delete. Link allocation_counter.cpp only into a program of its own (a benchmark, the cost test):
// it replaces the allocator of everything in that program.
#ifndef NORVEL_TESTS_ALLOCATION_COUNTER_H
#define NORVEL_TESTS_ALLOCATION_COUNTER_H

namespace alloccount {

// Bytes allocated and not yet freed.
long long liveBytes();
// The most bytes held at once since the last resetPeak().
long long peakBytes();
// Allocations made so far.
long long allocations();
// Starts a new peak from the bytes held now.
void resetPeak();

}  // namespace alloccount

#endif  // NORVEL_TESTS_ALLOCATION_COUNTER_H
