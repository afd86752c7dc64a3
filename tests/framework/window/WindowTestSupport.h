#pragma once

#include "framework/window/ControlledBrowse.h"
#include "framework/window/FileDrop.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/WindowController.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace windowtest {

using testsupport::define;

// Empties a log and returns what it held.
inline std::vector<std::string> take(std::vector<std::string>& log) {
    return std::exchange(log, {});
}

// The entries of a log that start with `prefix`.
inline std::vector<std::string> only(const std::vector<std::string>& log, std::string_view prefix) {
    std::vector<std::string> out;
    for (const std::string& line : log)
        if (line.starts_with(prefix))
            out.push_back(line);
    return out;
}

// A procedure window for tests. `prepare` runs after the base Setup, before the window
// opens (register things, change settings); `opened` runs after it opened, before the
// keys are armed.
class TestProcedure : public framework::WindowController {
public:
    using Step = std::function<void(TestProcedure&)>;

    TestProcedure(std::shared_ptr<const host::WindowDefinition> definition, Step prepare = {},
                  Step opened = {})
        : definition_(std::move(definition)), prepare_(std::move(prepare)),
          opened_(std::move(opened)) {}

    framework::Severity Setup() override {
        framework::Severity level = WindowController::Setup();
        if (level != framework::Severity::Benign)
            return level;
        if (prepare_)
            prepare_(*this);
        window = std::make_unique<host::Window>(definition_);
        OpenWindow(*window);
        if (opened_)
            opened_(*this);
        ArmKeys();
        return framework::Severity::Benign;
    }

    std::unique_ptr<host::Window> window;

private:
    std::shared_ptr<const host::WindowDefinition> definition_;
    Step prepare_;
    Step opened_;
};

// A stand-in for a browse list: it logs every call the window controller makes.
class StandInBrowse : public framework::ControlledBrowse {
public:
    StandInBrowse(std::string name, std::vector<std::string>& log,
                  framework::WindowController& owner)
        : name_(std::move(name)), log_(log), owner_(owner) {}

    void DispatchEvent() override {
        host::Window* w = owner_.Window();
        std::string line = name_ + ": " + std::string(host::eventName(w->currentEvent()));
        if (w->eventControl() != 0)
            line += " " + std::to_string(w->eventControl());
        log_.push_back(line);
    }
    bool CheckRefresh() override { return std::exchange(wantsReload, false); }
    bool ReapplySort(std::uint8_t force) override {
        log_.push_back(name_ + ": sort " + std::to_string(force));
        return false;
    }
    void RefreshControls() override {
        log_.push_back(name_ + ": controls");
        if (owner_.TOOLBAR)
            owner_.TOOLBAR->ShowButtons();
    }
    void ArmKeys() override { log_.push_back(name_ + ": keys"); }
    void SyncBuffer() override { log_.push_back(name_ + ": sync"); }
    void Teardown() override { log_.push_back(name_ + ": teardown"); }

    bool wantsReload = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
    framework::WindowController& owner_;
};

// A stand-in for a file-drop lookup.
class StandInDrop : public framework::FileDrop {
public:
    StandInDrop(std::vector<std::string>& log, framework::WindowController& owner)
        : log_(log), owner_(owner) {}
    void DispatchEvent() override {
        log_.push_back("drop: " + std::string(host::eventName(owner_.Window()->currentEvent())));
    }
    void Reset(std::uint8_t force) override {
        log_.push_back("drop: reset " + std::to_string(force));
    }
    void Teardown() override { log_.push_back("drop: teardown"); }

private:
    std::vector<std::string>& log_;
    framework::WindowController& owner_;
};

} // namespace windowtest
