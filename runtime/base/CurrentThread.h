#pragma once

namespace host {

// The number of the logical thread that is running now (1 for the program's first
// thread). The scheduler sets it whenever it switches threads; shared objects key
// their per-thread state by it.
int currentThread();
void setCurrentThread(int number);

} // namespace host
