#include "runtime/qt/TerminationRequests.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace host::qt {

namespace {

constexpr std::array<int, 3> requests = {SIGTERM, SIGHUP, SIGINT};

// The signal handler may only write to a descriptor: the event loop reads the other end.
int sockets[2] = {-1, -1};
struct sigaction previous[requests.size()];

void onSignal(int signal) {
    unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t written = ::write(sockets[0], &number, 1);
}

} // namespace

TerminationRequests::TerminationRequests(Handler onRequest) : onRequest_(std::move(onRequest)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        sockets[0] = sockets[1] = -1;
        return; // the defaults stay: the program still ends, only less gently
    }
    ::fcntl(sockets[0], F_SETFL, O_NONBLOCK);
    ::fcntl(sockets[1], F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(sockets[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { takeRequests(); });
    struct sigaction action {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < requests.size(); ++i)
        ::sigaction(requests[i], &action, &previous[i]);
}

TerminationRequests::~TerminationRequests() {
    if (sockets[0] < 0)
        return;
    for (std::size_t i = 0; i < requests.size(); ++i)
        ::sigaction(requests[i], &previous[i], nullptr);
    notifier_.reset();
    ::close(sockets[0]);
    ::close(sockets[1]);
    sockets[0] = sockets[1] = -1;
}

void TerminationRequests::takeRequests() {
    unsigned char number = 0;
    while (::read(sockets[1], &number, 1) == 1)
        if (onRequest_)
            onRequest_(number, ++count_);
}

} // namespace host::qt
