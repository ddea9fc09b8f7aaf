#pragma once
// Giving the heap's free pages back to the system once a big result is gone.

namespace memoria {

// After a driver's copy of a big result is freed, its pages stay with the
// heap. Not worth giving them back between two executions of a statement
// (the second would fault every page in again), but a program left idle
// should not keep them.
void RestituisciLibera();

// The same on a thread of its own, for the window's thread: the caller does
// not wait for it.
void RestituisciLiberaInDisparte();

} // namespace memoria
