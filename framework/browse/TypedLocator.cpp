#include "framework/browse/TypedLocator.h"

#include "framework/browse/BrowseList.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

namespace framework {

void TypedLocator::Setup(std::int32_t control, host::TypedRef freeElement, bool noCase,
                         BrowseList& browse) {
    RowLocator::Setup(control, freeElement, noCase, browse);
    BindControl();
}

void TypedLocator::BindControl() {
    host::Window* window = VIEWMANAGER ? VIEWMANAGER->ListWindow() : nullptr;
    if (CONTROL != 0 && window)
        window->setUse(CONTROL, shown_.ref());
}

void TypedLocator::Clear() {
    SHADOW.clear();
    BindControl();
    BlankFreeElement();
    ApplyText();
}

void TypedLocator::ArmKeys(std::int32_t listControl) {
    host::Window* window = VIEWMANAGER ? VIEWMANAGER->ListWindow() : nullptr;
    if (!window)
        return;
    window->alert(listControl, host::KeyCode::Backspace);
    window->alert(listControl, host::KeyCode::Space);
}

// An empty entry does not move the list.
bool TypedLocator::OnControlAccepted() {
    host::Window* window = VIEWMANAGER ? VIEWMANAGER->ListWindow() : nullptr;
    if (window && CONTROL != 0)
        window->update(CONTROL);
    SHADOW = host::clip(shown_.value().toText());
    if (FREEELEMENT)
        FREEELEMENT.assign(host::Value(SHADOW));
    return !SHADOW.empty();
}

bool TypedLocator::OnKey() {
    int key = host::keyCode();
    if (key == host::KeyCode::Backspace) {
        if (!SHADOW.empty())
            SHADOW.pop_back();
        ApplyText();
        return true;
    }
    char c = 0;
    if (key == host::KeyCode::Space)
        c = ' ';
    else if (!KeyCharacter(c))
        return false;
    if (NOCASE)
        c = host::upper(std::string(1, c)).front();
    if (SHADOW.size() < ShadowLength)
        SHADOW.push_back(c);
    ApplyText();
    return true;
}

void TypedLocator::Display() {
    host::Window* window = VIEWMANAGER ? VIEWMANAGER->ListWindow() : nullptr;
    shown_.assign(host::Value(SHADOW));
    if (window && CONTROL != 0)
        window->display(CONTROL);
}

void TypedLocator::ApplyText() {
    if (FREEELEMENT)
        FREEELEMENT.assign(host::Value(SHADOW));
    Display();
}

} // namespace framework
