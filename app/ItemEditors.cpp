#include "app/ItemEditors.h"

#include "app/DataDictionary.h"
#include "app/ItemPictures.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace app {

using framework::EditAction;

namespace {

void setPicture(host::Window* window, std::int32_t control, const char* picture) {
    if (window && control != 0)
        window->setProperty(control, host::Property::Picture, host::Value(picture));
}

std::string capitalised(std::string text) {
    bool wordStart = true;
    for (char& c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        c = static_cast<char>(wordStart ? std::toupper(u) : std::tolower(u));
        wordStart = std::isspace(u) != 0;
    }
    return text;
}

} // namespace

void ItemNumberEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                                 host::TypedRef variable) {
    framework::EntryEditor::BeginEdit(column, listControl, variable);
    setPicture(EditWindow(), FEQ, "@s10");
    if (host::Window* window = EditWindow(); window && FEQ != 0)
        window->setProperty(FEQ, host::Property::Upper, host::Value(1));
}

void ItemDescriptionEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                                      host::TypedRef variable) {
    framework::EntryEditor::BeginEdit(column, listControl, variable);
    setPicture(EditWindow(), FEQ, "@s30");
}

EditAction ItemDescriptionEditor::HandleEvent(host::EventKind event) {
    EditAction action = framework::EntryEditor::HandleEvent(event);
    host::Window* window = EditWindow();
    // The words are capitalised as the cell is left or its text accepted.
    if (window && FEQ != 0 && (action != EditAction::None || event == host::EventKind::Accepted)) {
        window->update(FEQ);
        std::string text = capitalised(USEVAR.text());
        if (text != USEVAR.text()) {
            USEVAR.assign(host::Value(text));
            window->display(FEQ);
        }
    }
    return action;
}

void ItemPictureEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                                  host::TypedRef variable) {
    FileEditor::BeginEdit(column, listControl, variable);
    setPicture(EditWindow(), FEQ, "@s255");
    TITLE = "Choose an image";
    FILEPATTERN = "All Files|*.*|GIF images|*.GIF";
    FILEMASK = "16"; // the file dialog's flags, handed to the display's dialog as they are
    kept_ = host::clip(USEVAR.text());
}

EditAction ItemPictureEditor::HandleEvent(host::EventKind event) {
    EditAction action = FileEditor::HandleEvent(event);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return action;
    if (event != host::EventKind::DroppingDown)
        window->update(FEQ);
    // After every event the cell holds a bare name: a path chosen or typed becomes the
    // file's name, its picture copied into the images folder (cut at either slash, since
    // names typed on another desktop use backslashes). When the user keeps the picture the
    // item had, the cell gets that name back.
    std::string value = host::clip(USEVAR.text());
    if (value.find_first_of("/\\") != std::string::npos) {
        std::error_code ignored;
        std::optional<std::string> name =
            ItemPictures::adopt(value, std::filesystem::current_path(ignored).string());
        USEVAR.assign(host::Value(name ? *name : kept_));
    }
    kept_ = host::clip(USEVAR.text());
    window->display();
    return action;
}

void ItemUnitEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                               host::TypedRef variable) {
    DropListEditor::BeginEdit(column, listControl, variable);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return;
    setPicture(window, FEQ, "@s2");
    window->setProperty(FEQ, host::Property::Choices, host::Value("EA|PR|DZ"));
    window->setProperty(FEQ, host::Property::DropCount, host::Value(5));
    if (host::clip(USEVAR.text()).empty())
        USEVAR.assign(ItemRecord.field("ITM:UOM").value());
    window->display(FEQ);
}

EditAction ItemUnitEditor::HandleEvent(host::EventKind event) {
    if (event == host::EventKind::Accepted && host::keyCode() != host::KeyCode::Tab)
        return EditAction::None;
    return DropListEditor::HandleEvent(event);
}

void ItemPriceEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                                host::TypedRef variable) {
    SpinEditor::BeginEdit(column, listControl, variable);
    setPicture(EditWindow(), FEQ, "@n8.2");
    SetStep(host::Value(*host::Decimal::parse("0.1")));
}

void ItemPriceEditor::ArmEditKeys() {
    SpinEditor::ArmEditKeys();
    // Down and Up spin the value instead of saving the row.
    if (host::Window* window = EditWindow(); window && FEQ != 0) {
        window->clearAlert(FEQ, host::KeyCode::Down);
        window->clearAlert(FEQ, host::KeyCode::Up);
    }
}

} // namespace app
