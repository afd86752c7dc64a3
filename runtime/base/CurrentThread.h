#pragma once

namespace host {

// The number of the logical thread that is running now (1 for the program's first
// thread; 0 on the scheduler's own thread while a scheduler runs threads). The scheduler
// sets it whenever it switches threads; shared objects key their per-thread state by it.
int currentThread();
void setCurrentThread(int number);

// True on the operating-system thread of a logical thread; false on the scheduler's own
// thread and wherever no scheduler runs threads.
bool onLogicalThread();

} // namespace host
