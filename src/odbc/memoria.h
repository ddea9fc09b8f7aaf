#pragma once
// How the process's heap serves big results read on a worker thread.

namespace memoria {

// The C library gives a worker thread a heap of its own, made of 64 MB
// regions it opens to writing one page at a time (a system call each) and
// unmaps as soon as they are empty, so every big result paid for its pages
// twice over: about a tenth of the time of reading a million rows. Asking
// for 64 MB of headroom makes each region writable at once and keeps it for
// the next statement. Untouched headroom costs no memory; malloc_trim still
// hands back every free page. Call it first thing in main.
void PreparaHeap();

// Hands every free page of every heap back to the system. It takes a while
// (about 0.1 s with 400 MB free) and whatever is allocated next pays for its
// pages again (about a second's worth for a million rows): worth it only
// when the process is to keep still, or to hold a big result for long.
void Restituisci();

} // namespace memoria
