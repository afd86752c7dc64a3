#pragma once

#include "runtime/base/MessageBox.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace host::headless {

// Answers message boxes from a script, and remembers every box shown, so that a test
// can say "answer Yes to the next question" and read back what the user saw.
// With no answer scripted a box takes its default button.
class ScriptedMessageBoxes : public MessageBoxService {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes() override;

    void answer(unsigned button) { answers_.push_back(button); }
    unsigned show(const MessageBoxRequest& request) override;

    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    void forget() { shown_.clear(); }

private:
    std::deque<unsigned> answers_;
    std::vector<MessageBoxRequest> shown_;
};

// Thrown by the headless halt: the run ends, and the test that caused it can see so.
struct ProgramHalted : std::runtime_error {
    ProgramHalted(int code, const std::string& text) : std::runtime_error(text), exitCode(code) {}
    int exitCode;
};

// Installs a halt handler that throws ProgramHalted instead of ending the process.
void haltByException();

} // namespace host::headless
