#pragma once

#include "runtime/base/TypedRef.h"

#include <cstdint>

namespace framework {

class BrowseList;

// Lets the user jump to a record of a browse by typing: the locator writes what was
// typed into its sort order's free key component and the browse re-positions on it. The
// base locator takes one keystroke at a time and steps through the rows that begin with
// the typed character: pressing the same character again moves to the next such row,
// and past the last one back to the first.
class RowLocator {
public:
    RowLocator() = default;
    RowLocator(const RowLocator&) = delete;
    RowLocator& operator=(const RowLocator&) = delete;
    virtual ~RowLocator();

    // Virtual operations, in slot order.
    virtual void Teardown();
    // After the browse re-positioned for an accepted locator control.
    virtual void AfterLocate();
    // Forgets what was typed (on every sort change and scroll).
    virtual void Clear();
    virtual void ArmKeys(std::int32_t listControl);
    // The locator control was accepted; true when the browse must re-position.
    virtual bool OnControlAccepted();
    // A key on the list; true when the browse must re-position on the free element.
    virtual bool OnKey();
    virtual void Display();

    void Setup(std::int32_t control, host::TypedRef freeElement, bool noCase, BrowseList& browse);
    void BlankFreeElement();
    // The locator control is usable only while the list has rows.
    void ShowHasRows(bool hasRows);

    BrowseList* VIEWMANAGER = nullptr;
    std::int32_t CONTROL = 0;
    host::TypedRef FREEELEMENT;
    std::uint8_t NOCASE = 0;

protected:
    // The character of the key being handled, none for keys that type nothing.
    static bool KeyCharacter(char& c);
};

} // namespace framework
