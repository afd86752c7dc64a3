#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace host {

// Message box buttons; a box shows a set of them (or-ed) and returns the one pressed.
enum Button : unsigned {
    ButtonOk = 1,
    ButtonYes = 2,
    ButtonNo = 4,
    ButtonAbort = 8,
    ButtonRetry = 16,
    ButtonIgnore = 32,
    ButtonCancel = 64,
    ButtonHelp = 128,
};

enum class MessageIcon { None, Information, Exclamation, Question, Hand };

struct MessageBoxRequest {
    std::string title;
    std::string text; // "|" breaks a line
    MessageIcon icon = MessageIcon::None;
    unsigned buttons = ButtonOk;
    unsigned defaultButton = ButtonOk;
};

// The service that shows message boxes: a display backend, or a script in tests.
// Showing a box waits for the user's answer (and lets other logical threads run).
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual unsigned show(const MessageBoxRequest& request) = 0;
};

// The service in use; until one is installed, boxes answer with their default button.
MessageBoxService& messageBoxes();
void setMessageBoxService(MessageBoxService* service);

unsigned showMessage(std::string_view text, std::string_view title,
                     MessageIcon icon = MessageIcon::None, unsigned buttons = ButtonOk,
                     unsigned defaultButton = ButtonOk);

// Ends the program at once with a text shown to the user. The installed handler
// decides how (the desktop program exits; a test run stops the session). Never returns.
using HaltHandler = std::function<void(int exitCode, std::string_view text)>;
void setHaltHandler(HaltHandler handler);
[[noreturn]] void halt(int exitCode, std::string_view text);

} // namespace host
