#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace host::qt {

// The system asking the program to end: SIGTERM (the user logs out, the machine shuts
// down), SIGHUP (its terminal went) and SIGINT (Ctrl+C in its terminal). Left to their
// default, these end the process at once, and whatever a form held unfinished (a new
// invoice's number reserved in its file, lines written under it) would stay behind. While
// one of these lives, each request is handed instead to `onRequest` on Qt's event loop,
// with the signal's number and how many requests came so far, so that the program can
// close down as when the user closes it. The handlers in place before come back when it
// goes. One lives at a time.
class TerminationRequests {
public:
    using Handler = std::function<void(int signal, int count)>;

    explicit TerminationRequests(Handler onRequest);
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

private:
    void takeRequests();

    Handler onRequest_;
    int count_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace host::qt
