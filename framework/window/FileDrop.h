#pragma once

#include <cstdint>

namespace framework {

// A lookup list registered with a window controller (its FILEDROPS): the controller
// passes it every event, resets it when the window is refreshed, and tears it down with
// the window. The procedure owns the object.
class FileDrop {
public:
    virtual ~FileDrop() = default;

    virtual void DispatchEvent() = 0;
    virtual void Reset(std::uint8_t force) = 0;
    virtual void Teardown() = 0;
};

} // namespace framework
