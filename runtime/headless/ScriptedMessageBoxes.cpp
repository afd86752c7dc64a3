#include "runtime/headless/ScriptedMessageBoxes.h"

namespace host::headless {

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    setMessageBoxService(this);
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    setMessageBoxService(nullptr);
}

unsigned ScriptedMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back(request);
    if (answers_.empty())
        return request.defaultButton;
    unsigned button = answers_.front();
    answers_.pop_front();
    return button;
}

void haltByException() {
    setHaltHandler([](int code, std::string_view text) { throw ProgramHalted(code, std::string(text)); });
}

} // namespace host::headless
