#include "app/scenarios/ScenarioCommands.h"

#include "app/FrameProcedures.h"
#include "app/Program.h"
#include "app/scenarios/RecordDump.h"
#include "app/scenarios/TestProcedure.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/SessionRunner.h"
#include "runtime/ui/Window.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace app {

namespace {

using host::headless::CommandKind;
using host::headless::ParsedCommand;
using host::headless::ScriptArguments;
using host::headless::SessionContext;
using host::headless::StepAction;
using host::headless::StepResult;
using Optional = std::optional<std::string>;

std::string quote(std::string_view text) {
    return ScriptArguments::quote(text);
}

// What the commands keep between steps.
struct Run {
    ProgramFolder folder;
    int thread = 0; // the program's logical thread, 0 before it starts
};

// The window a `show` command looks at: the named one, else the frame, else the active.
host::Window* shownWindow(SessionContext& context, const Optional& title, std::string& whyNot) {
    if (title)
        return context.window(title, whyNot);
    if (host::Window* frame = context.session().desktop().frame())
        return frame;
    return context.window(std::nullopt, whyNot);
}

std::string states(const host::Window& window, const host::Control& control) {
    std::string out;
    if (!window.isEnabled(control.number()))
        out += " disabled";
    if (!window.isVisible(control.number()))
        out += " hidden";
    if (control.isChecked())
        out += " checked";
    return out;
}

void printMenus(SessionContext& context, host::Window& window, int parent, int depth) {
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    for (host::Control* control : window.controls()) {
        if (control->parent() != parent)
            continue;
        if (control->kind() == host::ControlKind::Menu) {
            std::string line = indent + "menu " + quote(control->text());
            if (!control->statusText().empty())
                line += " status " + quote(control->statusText());
            context.print(line + states(window, *control));
            printMenus(context, window, control->number(), depth + 1);
        } else if (control->kind() == host::ControlKind::Item) {
            if (control->isSeparator()) {
                context.print(indent + "separator");
                continue;
            }
            std::string line = indent + "item " + quote(control->text());
            if (!control->statusText().empty())
                line += " status " + quote(control->statusText());
            if (!control->keyName().empty())
                line += " key " + control->keyName();
            context.print(line + states(window, *control));
        }
    }
}

void printToolbar(SessionContext& context, host::Window& window) {
    for (host::Control* toolbar : window.controls()) {
        if (toolbar->kind() != host::ControlKind::Toolbar)
            continue;
        for (host::Control* control : window.controls()) {
            if (control->parent() != toolbar->number())
                continue;
            std::string line = std::string(host::controlKindName(control->kind())) + " " +
                               std::to_string(control->number());
            if (!control->tip().empty())
                line += " tip " + quote(control->tip());
            if (!control->icon().empty())
                line += " icon " + quote(control->icon());
            context.print(line + states(window, *control));
        }
    }
}

// A command that takes an optional `in window TITLE` and nothing else.
template <typename Show> host::headless::CommandParser windowCommand(Show show) {
    return [show](ScriptArguments& arguments) -> ParsedCommand {
        Optional title = arguments.takeWindowSuffix();
        if (!arguments.atEnd())
            return ParsedCommand::invalid("takes only [in window TITLE]");
        return StepAction([show, title](SessionContext& context) {
            std::string whyNot;
            host::Window* window = shownWindow(context, title, whyNot);
            if (!window)
                return StepResult::failed(whyNot);
            show(context, *window);
            return StepResult::passed();
        });
    };
}

void addProgramCommands(host::headless::SessionCommands& commands, std::shared_ptr<Run> run) {
    commands.add("start program", CommandKind::Action, StepAction([run](SessionContext& context) {
                     auto& scheduler = context.session().desktop().scheduler();
                     if (run->thread != 0 && scheduler.isAlive(run->thread))
                         return StepResult::failed("the program is already running");
                     ProgramFolder folder = run->folder;
                     run->thread = context.session().desktop().startThread(
                         [folder] { Program::run(folder); });
                     context.session().run();
                     return StepResult::passed();
                 }));

    commands.add("expect program ended", CommandKind::Check,
                 StepAction([run](SessionContext& context) {
                     if (run->thread == 0)
                         return StepResult::failed("the program was never started");
                     if (context.session().desktop().scheduler().isAlive(run->thread))
                         return StepResult::failed("the program still runs");
                     const auto& steps = Program::Steps();
                     if (steps.empty() || steps.back() != "program ended")
                         return StepResult::failed(
                             "the program stopped without shutting down (its last step: " +
                             quote(steps.empty() ? "none" : steps.back()) + ")");
                     return StepResult::passed();
                 }));

    commands.add("show start-up", CommandKind::Check, StepAction([](SessionContext& context) {
                     for (const std::string& step : Program::Steps())
                         context.print(step);
                     return StepResult::passed();
                 }));

    commands.add("show menus", CommandKind::Check,
                 windowCommand([](SessionContext& context, host::Window& window) {
                     printMenus(context, window, 0, 0);
                 }),
                 "show menus [in window TITLE]");

    commands.add("show toolbar", CommandKind::Check,
                 windowCommand([](SessionContext& context, host::Window& window) {
                     printToolbar(context, window);
                 }),
                 "show toolbar [in window TITLE]");

    commands.add(
        "dump file", CommandKind::Check,
        [run](ScriptArguments& arguments) -> ParsedCommand {
            Optional name = arguments.takeText();
            if (!name || !arguments.atEnd())
                return ParsedCommand::invalid("name one data file");
            std::optional<host::FileDefinition> file = RecordDump::Declaration(*name);
            if (!file) {
                std::string known;
                for (const std::string& n : RecordDump::FileNames())
                    known += (known.empty() ? "" : ", ") + n;
                return ParsedCommand::invalid("no data file " + quote(*name) + " (there are " +
                                              known + ")");
            }
            return StepAction([run, file = *file](SessionContext& context) {
                for (const std::string& line : RecordDump::Lines(run->folder.dataFolder(), file))
                    context.print(line);
                return StepResult::passed();
            });
        },
        "dump file NAME");

    // Writes a file of the program's folder, as a damaged disk or another program might:
    // a path below the folder only.
    commands.add(
        "write file", CommandKind::Action,
        [run](ScriptArguments& arguments) -> ParsedCommand {
            Optional path = arguments.takeText();
            Optional text = arguments.takeText();
            if (!path || !text || !arguments.atEnd())
                return ParsedCommand::invalid("name the file and its text");
            std::filesystem::path relative = std::filesystem::path(*path).lexically_normal();
            if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
                return ParsedCommand::invalid("the file must lie in the program's folder");
            return StepAction([run, relative, text = *text](SessionContext&) {
                std::filesystem::path file = std::filesystem::path(run->folder.folder()) / relative;
                std::error_code ignored;
                std::filesystem::create_directories(file.parent_path(), ignored);
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out << text << '\n';
                if (!out)
                    return StepResult::failed("cannot write " + file.string());
                return StepResult::passed();
            });
        },
        "write file PATH TEXT");

    commands.add(
        "use test procedure for", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional item = arguments.takeText();
            if (!item || !arguments.atEnd())
                return ParsedCommand::invalid("name the menu item (\"?BrowseCustomers\")");
            return StepAction([item = *item](SessionContext&) {
                FrameProcedures::assign(item, TestProcedure::Run);
                return StepResult::passed();
            });
        },
        "use test procedure for ITEM");
}

} // namespace

void ScenarioCommands::AddTo(host::headless::SessionRunner& runner, const ProgramFolder& folder) {
    auto run = std::make_shared<Run>();
    run->folder = folder;
    addProgramCommands(runner.commands(), run);
}

} // namespace app
