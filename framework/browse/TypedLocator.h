#pragma once

#include "framework/browse/RowLocator.h"

#include <string>

namespace framework {

// A locator that gathers the typed characters into a text (SHADOW), shown in a control of
// its own when it has one: each character typed on the list is appended, Backspace takes
// the last one away, and the browse re-positions on the first record at or after the
// text after every key.
class TypedLocator : public RowLocator {
public:
    static constexpr std::size_t ShadowLength = 40;

    void Clear() override;
    void ArmKeys(std::int32_t listControl) override;
    bool OnControlAccepted() override;
    bool OnKey() override;
    void Display() override;
    // FREEELEMENT := SHADOW, and the control shows it.
    virtual void ApplyText();

    void Setup(std::int32_t control, host::TypedRef freeElement, bool noCase, BrowseList& browse);

    std::string SHADOW;

private:
    // The text the locator control shows and edits.
    host::Variable shown_{host::FieldType::text(ShadowLength)};
    void BindControl();
};

} // namespace framework
