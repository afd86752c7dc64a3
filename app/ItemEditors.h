#pragma once

#include "framework/inplace/CellEditor.h"

#include <string>

namespace app {

// The cell editors of the item list's columns, when a row is edited in place.

// Number: upper case, up to 10 characters.
class ItemNumberEditor : public framework::EntryEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
};

// Description: each word capitalised, up to 30 characters.
class ItemDescriptionEditor : public framework::EntryEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
    framework::EditAction HandleEvent(host::EventKind event) override;
};

// Picture file: the ellipsis button opens "Choose an image". The cell keeps the chosen
// file's bare name, the picture copied into the images folder as the item form does
// (ItemPictures); when the user keeps the old picture, the cell shows it again.
class ItemPictureEditor : public framework::FileEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
    framework::EditAction HandleEvent(host::EventKind event) override;

private:
    std::string kept_; // the name the cell had before the last choice
};

// Unit of measure: "EA", "PR" or "DZ" from a drop list; a row without a unit starts
// with the record's. Choosing a unit with the mouse or the arrows keeps the editor in the
// cell; Tab moves on.
class ItemUnitEditor : public framework::DropListEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
    framework::EditAction HandleEvent(host::EventKind event) override;
};

// List, sell and cost price: a spin box by steps of 0.10, whose Down and Up arrows spin
// the value rather than leave the row.
class ItemPriceEditor : public framework::SpinEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
    void ArmEditKeys() override;
};

} // namespace app
