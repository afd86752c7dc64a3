#pragma once

#include "runtime/ui/DialogRequest.h"
#include "runtime/ui/Display.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace host::headless {

// The display backend for running without a screen: it draws nothing (tests read the
// model directly), remembers every dialog raised, and answers dialogs from scripted
// answers given beforehand. A dialog with no scripted answer stays pending until the
// test answers it through UserInput (HeadlessSession does both).
class HeadlessDisplay : public Display {
public:
    void synchronize(Desktop& desktop) override;
    void dialogRaised(DialogRequest& request) override;

    // Scripted answers, used in order by the next dialogs of their kind.
    void answerNextMessage(unsigned button) { messageAnswers_.push_back(button); }
    void answerNextPopup(int choice);
    // By the chosen entry's text ("&Change" or "Change"); an entry the menu does not
    // have answers 0 (nothing chosen).
    void answerNextPopup(std::string entryText);
    void answerNextFileDialog(std::optional<std::string> file) {
        fileAnswers_.push_back(std::move(file));
    }
    void answerNextPrinterSetup(bool ok) { printerAnswers_.push_back(ok); }
    std::size_t scriptedAnswersLeft() const;

    // Every dialog raised, in order, as it was asked (with the answer when scripted).
    const std::vector<DialogRequest>& dialogsShown() const { return shown_; }
    // Only the message boxes.
    std::vector<MessageBoxRequest> messagesShown() const;
    void forgetDialogs() { shown_.clear(); }
    int synchronizations() const { return synchronizations_; }

    // The number a popup returns for the item with this text (letter case and "&"
    // ignored): items are counted in menu order, separators and submenus are not.
    // 0 when the menu has no such item.
    static int popupChoice(std::string_view menuText, std::string_view entryText);

private:
    std::deque<unsigned> messageAnswers_;
    std::deque<std::variant<int, std::string>> popupAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<bool> printerAnswers_;
    std::vector<DialogRequest> shown_;
    int synchronizations_ = 0;
};

} // namespace host::headless
