#pragma once

#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Runs `body` in a child process as a user without privileges, so that file permissions
// hold for it: when this process runs as root (which ignores permissions) the child
// drops to nobody (65534) first. The body answers an empty text when all went well,
// else what went wrong. Start it while this process has no data base connection open:
// one must not be carried across fork.
class Unprivileged {
public:
    enum class Outcome { passed, failed, cannotDrop };

    explicit Unprivileged(const std::function<std::string()>& body) {
        int channel[2];
        if (pipe(channel) != 0) {
            outcome_ = Outcome::cannotDrop;
            message_ = "no pipe for the child";
            return;
        }
        pid_t pid = fork();
        if (pid == 0) {
            close(channel[0]);
            if (geteuid() == 0 && !drop())
                _exit(cannotDropStatus);
            std::string failure = body();
            [[maybe_unused]] auto written = write(channel[1], failure.data(), failure.size());
            _exit(failure.empty() ? 0 : 1);
        }
        close(channel[1]);
        char text[512];
        for (ssize_t n; (n = read(channel[0], text, sizeof text)) > 0;)
            message_.append(text, static_cast<size_t>(n));
        close(channel[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (code == 0)
            outcome_ = Outcome::passed;
        else if (code == cannotDropStatus)
            outcome_ = Outcome::cannotDrop;
        else {
            outcome_ = Outcome::failed;
            if (message_.empty())
                message_ = "the child ended with status " + std::to_string(status);
        }
    }

    Outcome outcome() const { return outcome_; }
    const std::string& message() const { return message_; }

    // The user the child runs as when this process is root.
    static constexpr uid_t nobody = 65534;

private:
    static constexpr int cannotDropStatus = 77;

    static bool drop() {
        return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0 &&
               geteuid() == nobody;
    }

    Outcome outcome_ = Outcome::failed;
    std::string message_;
};

} // namespace testsupport
