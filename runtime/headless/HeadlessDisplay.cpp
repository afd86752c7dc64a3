#include "runtime/headless/HeadlessDisplay.h"

#include "runtime/base/Value.h"
#include "runtime/ui/MenuText.h"

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
            const auto& answer = popupAnswers_.front();
            request.choice = std::holds_alternative<int>(answer)
                                 ? std::get<int>(answer)
                                 : popupChoice(request.menuText, std::get<std::string>(answer));
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

int HeadlessDisplay::popupChoice(std::string_view menuText, std::string_view entryText) {
    auto plain = [](std::string_view text) {
        std::string out;
        for (char c : text)
            if (c != '&')
                out += c;
        return std::string(clipped(out));
    };
    std::string wanted = plain(entryText);
    MenuText menu = MenuText::parse(menuText);
    for (const MenuLine& line : menu.lines())
        if (line.number != 0 && equalIgnoringCase(plain(line.entry->text), wanted))
            return line.number;
    return 0;
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

// Out of line: GCC 12 at -O2 warns of a maybe-uninitialised variant when these are inline.
void HeadlessDisplay::answerNextPopup(int choice) {
    popupAnswers_.push_back(choice);
}

void HeadlessDisplay::answerNextPopup(std::string entryText) {
    popupAnswers_.push_back(std::move(entryText));
}

} // namespace host::headless
