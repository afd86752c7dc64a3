#pragma once

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Another station in a child process, run by `body`, talking with the test over two
// pipes one letter at a time: one side waits for a letter with `hear` and answers with
// `say`. Start it before this process opens its data folder: a data base connection
// must not be carried across fork.
class StationProcess {
public:
    using Body = std::function<void(StationProcess&)>;

    explicit StationProcess(Body body) {
        if (pipe(toChild_) != 0 || pipe(toParent_) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            inChild_ = true;
            body(*this);
            _exit(0);
        }
    }
    ~StationProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {toChild_[0], toChild_[1], toParent_[0], toParent_[1]})
            close(fd);
    }
    StationProcess(const StationProcess&) = delete;
    StationProcess& operator=(const StationProcess&) = delete;

    void say(char letter) {
        int fd = inChild_ ? toParent_[1] : toChild_[1];
        [[maybe_unused]] auto written = write(fd, &letter, 1);
    }
    // The next letter from the other side ('\0' when it is gone).
    char hear() {
        int fd = inChild_ ? toChild_[0] : toParent_[0];
        char letter = 0;
        return read(fd, &letter, 1) == 1 ? letter : '\0';
    }
    // In the child: ends it with a failure when the condition is false.
    void require(bool condition) {
        if (!condition)
            _exit(1);
    }
    // Kills the child at once (as a crash or a power cut of that station would).
    void killNow() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // The child's exit status once it ended on its own.
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool inChild_ = false;
};

} // namespace testsupport
