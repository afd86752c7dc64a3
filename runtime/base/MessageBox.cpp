#include "runtime/base/MessageBox.h"

#include <cstdio>
#include <cstdlib>

namespace host {

namespace {

class DefaultAnswers : public MessageBoxService {
public:
    unsigned show(const MessageBoxRequest& request) override { return request.defaultButton; }
};

MessageBoxService* installed = nullptr;
HaltHandler haltHandler;

} // namespace

MessageBoxService& messageBoxes() {
    static DefaultAnswers defaults;
    return installed ? *installed : defaults;
}

void setMessageBoxService(MessageBoxService* service) {
    installed = service;
}

unsigned showMessage(std::string_view text, std::string_view title, MessageIcon icon,
                     unsigned buttons, unsigned defaultButton) {
    return messageBoxes().show(
        {std::string(title), std::string(text), icon, buttons, defaultButton});
}

void setHaltHandler(HaltHandler handler) {
    haltHandler = std::move(handler);
}

void halt(int exitCode, std::string_view text) {
    if (haltHandler)
        haltHandler(exitCode, text);
    if (!text.empty())
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::exit(exitCode);
}

} // namespace host
