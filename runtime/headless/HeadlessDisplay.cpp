#include "runtime/headless/HeadlessDisplay.h"

namespace host::headless {

void HeadlessDisplay::synchronize(Desktop&) {
    ++synchronizations_;
}

void HeadlessDisplay::dialogRaised(DialogRequest& request) {
    using Kind = DialogRequest::Kind;
    switch (request.kind) {
    case Kind::Message:
        if (!messageAnswers_.empty()) {
            request.button = messageAnswers_.front();
            messageAnswers_.pop_front();
            request.answered = true;
        }
        break;
    case Kind::Popup:
        if (!popupAnswers_.empty()) {
            request.choice = popupAnswers_.front();
            popupAnswers_.pop_front();
            request.answered = true;
        }
        break;
    case Kind::File:
        if (!fileAnswers_.empty()) {
            auto answer = fileAnswers_.front();
            fileAnswers_.pop_front();
            request.accepted = answer.has_value();
            request.chosenFile = answer.value_or(std::string());
            request.answered = true;
        }
        break;
    case Kind::PrinterSetup:
        if (!printerAnswers_.empty()) {
            request.accepted = printerAnswers_.front();
            printerAnswers_.pop_front();
            request.answered = true;
        }
        break;
    }
    shown_.push_back(request);
}

std::size_t HeadlessDisplay::scriptedAnswersLeft() const {
    return messageAnswers_.size() + popupAnswers_.size() + fileAnswers_.size() +
           printerAnswers_.size();
}

std::vector<MessageBoxRequest> HeadlessDisplay::messagesShown() const {
    std::vector<MessageBoxRequest> messages;
    for (const auto& d : shown_)
        if (d.kind == DialogRequest::Kind::Message)
            messages.push_back(d.message);
    return messages;
}

} // namespace host::headless
