#pragma once

#include <functional>
#include <string>
#include <vector>

namespace host {

// The program's module table: the routines the runtime calls once when it starts, in
// table order, and once more when it closes down, each told which of the two it is.
// A program hands its table to the runtime at its entry (start) and closes the runtime
// down at its end (closeDown).
class ModuleTable {
public:
    enum class Phase { Start, CloseDown };
    using Routine = std::function<void(Phase)>;

    struct Module {
        std::string name;
        Routine routine;
    };

    ModuleTable() = default;
    explicit ModuleTable(std::vector<Module> modules) : modules_(std::move(modules)) {}

    const std::vector<Module>& modules() const { return modules_; }

    // Calls every routine for Start, in table order. Starting a started table does
    // nothing.
    void start();
    // Calls every routine for CloseDown, in the reverse order, so that a module still
    // finds what the modules before it set up. Only after start; once.
    void closeDown();
    bool isStarted() const { return started_; }

private:
    std::vector<Module> modules_;
    bool started_ = false;
};

} // namespace host
