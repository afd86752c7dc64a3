#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {
struct DialogRequest;
}

namespace host::headless {

class HeadlessSession;

// What the user of a headless session sees at one moment, kept so that a session
// script's transcript can tell what a step changed: the open windows and their titles,
// which one is active, the status bar, the dialogs shown so far and the beeps.
class SessionView {
public:
    static SessionView capture(const HeadlessSession& session);

    // What changed since `before`, one line each, in the words of the session script
    // format (`opened "Title"`, `status 2 "Ready"`, `message "Title" "Text" Yes No`).
    std::vector<std::string> changesSince(const SessionView& before,
                                          const HeadlessSession& session) const;

    // A dialog as the transcript shows it, with its answer when it had one.
    static std::string describe(const DialogRequest& dialog);
    // A set of message box buttons by name ("Yes No Cancel").
    static std::string buttonNames(unsigned buttons);
    // The button a name stands for ("Yes", "ok"; letter case ignored); 0 for none.
    static unsigned buttonNamed(std::string_view name);

private:
    struct WindowState {
        int id = 0;
        std::string title;
    };

    std::vector<WindowState> windows_;
    int active_ = 0;
    std::vector<std::string> status_;
    std::size_t dialogs_ = 0;
    int beeps_ = 0;
};

} // namespace host::headless
