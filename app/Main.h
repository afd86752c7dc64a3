#pragma once

namespace app {

// The first procedure the program runs and the last to end: opens the application frame
// (window "P1$APPFRAME" of module "mirto$mirto001"), runs it through MainFrame, and
// returns when the frame has closed. GlobalResponse holds the frame's response then.
void Main();

// The module of the program's window definitions.
inline constexpr const char* WindowModule = "mirto$mirto001";

} // namespace app
