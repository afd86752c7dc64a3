#pragma once

#include <cstdint>

namespace framework {

// What a window controller requires of a list registered with it (RegisterBrowse): the
// controller passes it every event, asks it after each event whether it must reload,
// has it re-apply its sort order and redisplay when the window is refreshed, arms its
// keys, re-reads its selected record before an update, and tears it down with the
// window. The browse list derives from it; the procedure owns the object.
class ControlledBrowse {
public:
    virtual ~ControlledBrowse() = default;

    // Every event of the window, after the window's own handling.
    virtual void DispatchEvent() = 0;
    // True when the list must be reloaded (its size, range or watched fields changed).
    virtual bool CheckRefresh() = 0;
    // Selects the current sort order again, reloading when needed or when `force`;
    // true when anything changed.
    virtual bool ReapplySort(std::uint8_t force) = 0;
    // Buttons, scroll bar, toolbar and display of the list.
    virtual void RefreshControls() = 0;
    virtual void ArmKeys() = 0;
    // Re-reads the record of the selected row into the record buffers.
    virtual void SyncBuffer() = 0;
    virtual void Teardown() = 0;

    // The window was called to select a record (set by RegisterBrowse).
    std::uint8_t SELECTING = 0;
};

} // namespace framework
