#include "framework/browse/RowLocator.h"

#include "framework/browse/BrowseList.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <cctype>

namespace framework {

RowLocator::~RowLocator() = default;

void RowLocator::Setup(std::int32_t control, host::TypedRef freeElement, bool noCase,
                       BrowseList& browse) {
    CONTROL = control;
    FREEELEMENT = freeElement;
    NOCASE = noCase ? 1 : 0;
    VIEWMANAGER = &browse;
}

void RowLocator::Teardown() {
    FREEELEMENT = {};
}

void RowLocator::AfterLocate() {}

void RowLocator::Clear() {}

void RowLocator::ArmKeys(std::int32_t) {}

bool RowLocator::OnControlAccepted() {
    return false;
}

void RowLocator::Display() {
    Clear();
}

void RowLocator::BlankFreeElement() {
    if (FREEELEMENT)
        FREEELEMENT.assign(host::Value(""));
}

void RowLocator::ShowHasRows(bool hasRows) {
    host::Window* window = VIEWMANAGER ? VIEWMANAGER->ListWindow() : nullptr;
    if (CONTROL == 0 || !window)
        return;
    if (hasRows)
        window->enable(CONTROL);
    else
        window->disable(CONTROL);
}

bool RowLocator::KeyCharacter(char& c) {
    std::optional<char> typed = host::KeyCode::character(host::keyCode());
    if (!typed)
        return false;
    c = *typed;
    return true;
}

// One keystroke steps through the rows that begin with it: the list first moves down a
// row; while that row still begins with the character the user stays there, otherwise the
// browse re-positions on the first record at or after the character.
bool RowLocator::OnKey() {
    char c = 0;
    if (!KeyCharacter(c) || !FREEELEMENT || !VIEWMANAGER)
        return false;
    bool located = false;
    if (VIEWMANAGER->RowCount() > 0) {
        located = true;
        VIEWMANAGER->ScrollByRow(host::EventKind::ScrollDown);
        VIEWMANAGER->CopyRowToFields();
    }
    std::string value = FREEELEMENT.text();
    char first = value.empty() ? ' ' : value.front();
    auto fold = [this](char ch) {
        return NOCASE ? static_cast<char>(std::toupper(static_cast<unsigned char>(ch))) : ch;
    };
    if (fold(first) == fold(c))
        return located;
    FREEELEMENT.assign(host::Value(std::string(1, c)));
    return true;
}

} // namespace framework
