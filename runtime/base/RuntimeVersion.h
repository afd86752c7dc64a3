#pragma once

namespace host {

// The version of the runtime interface these headers describe. A program compiled
// against them carries this number in its own code; the runtime library it is linked
// with answers its own number through runtimeVersion(). Raised whenever the interface
// changes in a way that a program built for the old one would misread.
inline constexpr int runtimeInterfaceVersion = 1;

// The interface version of the runtime library the program runs with.
int runtimeVersion();

// True when the runtime the program runs with is the one it was built for.
inline bool runtimeFits(int builtFor = runtimeInterfaceVersion) {
    return runtimeVersion() == builtFor;
}

} // namespace host
