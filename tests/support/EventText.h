#pragma once

#include "runtime/ui/Event.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <string>

namespace testsupport {

// The window's current event as a test log line: "Accepted 3", or with its key when
// `withKey` is set: "AlertKey 1 Ctrl+'".
inline std::string describeEvent(const host::Window& w, bool withKey = false) {
    std::string text(host::eventName(w.currentEvent()));
    if (w.eventControl() != 0)
        text += " " + std::to_string(w.eventControl());
    if (withKey && w.event().keyCode != 0)
        text += " " + host::KeyCode::name(w.event().keyCode);
    return text;
}

} // namespace testsupport
