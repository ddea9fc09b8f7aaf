#pragma once
// How the process's heap behaves with big results.

namespace memoria {

// Rows are read on a worker thread. By default the C library gives such a
// thread a heap of its own, grown by one system call every few kilobytes:
// about a tenth of the time of reading a million rows. One heap for every
// thread instead. Takes effect only before the process starts its first
// thread, so call it first thing in main.
void UnSoloHeap();

// Hands the free pages of the heap back to the system: after a driver's
// copy of a big result is gone, so that it does not stay resident. Not in
// between two executions of a statement: the second would fault every page
// in again.
void RestituisciLibera();

} // namespace memoria
