#pragma once

namespace host {

class Desktop;
struct DialogRequest;

// A display backend: shows the desktop's windows and dialogs to the user and feeds the
// user's actions back through UserInput. The model (Desktop, Window, Control) is the
// truth; a backend renders it and keeps no state of its own that the program relies on.
//
// The backend works on the program's main thread, while every logical thread is parked:
// Desktop::runUntilIdle runs the logical threads and then calls `synchronize`, where the
// backend compares revisions (Desktop, Window, Control) with what it drew last and
// redraws what changed. Windows are identified by Window::id(): a window missing from
// Desktop::windows() has closed.
class Display {
public:
    virtual ~Display() = default;

    // Brings the screen in line with the model. Called on the main thread after the
    // logical threads ran.
    virtual void synchronize(Desktop& desktop) = 0;

    // A logical thread raised a dialog and is about to wait for its answer. Called on
    // that logical thread: the backend must not touch its window system here (it shows
    // pending dialogs in `synchronize`), but may answer at once from a script by
    // setting the request's answer and `answered`.
    virtual void dialogRaised(DialogRequest& request) { (void)request; }
};

} // namespace host
