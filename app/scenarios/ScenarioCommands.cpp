#include "app/scenarios/ScenarioCommands.h"

#include "app/FrameProcedures.h"
#include "app/Program.h"
#include "app/scenarios/RecordDump.h"
#include "app/scenarios/TestProcedure.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/SessionRunner.h"
#include "runtime/report/PrintService.h"
#include "runtime/ui/Window.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

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
    std::filesystem::path scenarioFolder; // where `copy file` finds its sources
    ScenarioCommands::ScreenPicture picture;
    ScenarioCommands::PdfPrinting pdf;
    int thread = 0; // the program's logical thread, 0 before it starts
};

// The text of a PDF file, through pdftotext (poppler-utils); false when it cannot be read.
bool pdfText(const std::string& path, std::string& text) {
    if (!std::filesystem::exists(path))
        return false;
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    std::string command = "pdftotext -layout " + quoted + " - 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    return ::pclose(pipe) == 0;
}

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

std::string noDataFile(const std::string& name) {
    std::string known;
    for (const std::string& n : RecordDump::FileNames())
        known += (known.empty() ? "" : ", ") + n;
    return "no data file " + quote(name) + " (there are " + known + ")";
}

// The name scripts use for the file ("Customer").
std::string displayName(const host::FileDefinition& file) {
    for (const std::string& name : RecordDump::FileNames())
        if (RecordDump::Declaration(name)->label() == file.label())
            return name;
    return file.label();
}

std::string records(int count) {
    return std::to_string(count) + (count == 1 ? " record" : " records");
}

// Why a data file could not be looked at for an expectation; empty when it could.
std::string unreadable(const std::string& name, const RecordDump::ReadResult& read) {
    if (read.outcome == RecordDump::ReadResult::Outcome::CannotRead)
        return "cannot read the " + name + " file: " + read.reason;
    return {};
}

StepResult expectRecords(const std::string& dataFolder, const host::FileDefinition& file,
                         int expected) {
    int count = 0;
    RecordDump::ReadResult read = RecordDump::Read(dataFolder, file, [&count](const host::Record*) {
        ++count;
        return true;
    });
    std::string name = quote(displayName(file));
    if (std::string why = unreadable(name, read); !why.empty())
        return StepResult::failed(why);
    if (count == expected)
        return StepResult::passed();
    std::string holds = read.outcome == RecordDump::ReadResult::Outcome::NoFile
                            ? "it was never made"
                            : "it holds " + std::to_string(count);
    return StepResult::failed("expected the " + name + " file to hold " + records(expected) +
                              ", but " + holds);
}

struct FieldValue {
    int field = 0;
    std::string value;
};

StepResult expectRecord(const std::string& dataFolder, const host::FileDefinition& file, int number,
                        const std::vector<FieldValue>& values) {
    int count = 0;
    std::string mismatch;
    RecordDump::ReadResult read =
        RecordDump::Read(dataFolder, file, [&](const host::Record* record) {
            if (++count < number)
                return true;
            if (!record) {
                mismatch = "record " + std::to_string(number) +
                           " is held by a station, so its fields cannot be read";
                return false;
            }
            for (const FieldValue& expected : values) {
                std::string actual = RecordDump::Value(*record, expected.field);
                if (actual != host::clipped(expected.value)) {
                    mismatch = "expected " + record->layout()->field(expected.field).label +
                               " of record " + std::to_string(number) + " to be " +
                               quote(expected.value) + ", but it is " + quote(actual);
                    break;
                }
            }
            return false;
        });
    std::string name = quote(displayName(file));
    if (std::string why = unreadable(name, read); !why.empty())
        return StepResult::failed(why);
    if (count < number)
        return StepResult::failed("expected a record " + std::to_string(number) + " in the " +
                                  name + " file, but " +
                                  (read.outcome == RecordDump::ReadResult::Outcome::NoFile
                                       ? std::string("it was never made")
                                       : "it holds " + records(count)));
    if (!mismatch.empty())
        return StepResult::failed(mismatch);
    return StepResult::passed();
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
            if (!file)
                return ParsedCommand::invalid(noDataFile(*name));
            return StepAction([run, file = *file](SessionContext& context) {
                for (const std::string& line : RecordDump::Lines(run->folder.dataFolder(), file))
                    context.print(line);
                return StepResult::passed();
            });
        },
        "dump file NAME");

    commands.add(
        "expect file", CommandKind::Check,
        [run](ScriptArguments& arguments) -> ParsedCommand {
            Optional name = arguments.takeText();
            if (!name)
                return ParsedCommand::invalid("name one data file");
            std::optional<host::FileDefinition> file = RecordDump::Declaration(*name);
            if (!file)
                return ParsedCommand::invalid(noDataFile(*name));
            if (arguments.take("records")) {
                std::optional<int> count = arguments.takeNumber();
                if (!count || *count < 0 || !arguments.atEnd())
                    return ParsedCommand::invalid("give the number of records");
                return StepAction([run, file = *file, count = *count](SessionContext&) {
                    return expectRecords(run->folder.dataFolder(), file, count);
                });
            }
            if (!arguments.take("record"))
                return ParsedCommand::invalid("say records N, or record N and its fields");
            std::optional<int> number = arguments.takeNumber();
            if (!number || *number < 1)
                return ParsedCommand::invalid("give the record as a number from 1");
            std::vector<FieldValue> values;
            for (const host::headless::ScriptToken& token : arguments.takeRest()) {
                std::size_t equals = token.text.find('=');
                if (token.quoted || equals == 0 || equals == std::string::npos)
                    return ParsedCommand::invalid("not FIELD=VALUE: " +
                                                  ScriptArguments::spell(token));
                std::string label = token.text.substr(0, equals);
                int field = file->layout()->fieldNumber(label);
                if (field == 0)
                    return ParsedCommand::invalid("the " + quote(displayName(*file)) +
                                                  " file has no field " + label);
                values.push_back({field, token.text.substr(equals + 1)});
            }
            if (values.empty())
                return ParsedCommand::invalid("give the fields as FIELD=VALUE");
            return StepAction([run, file = *file, number = *number, values](SessionContext&) {
                return expectRecord(run->folder.dataFolder(), file, number, values);
            });
        },
        "expect file NAME records N | record N FIELD=VALUE...");

    // Drawn only when the runner can draw; a run without a display that can goes on.
    commands.add(
        "screenshot", CommandKind::Check,
        [run](ScriptArguments& arguments) -> ParsedCommand {
            Optional path = arguments.takeText();
            if (!path || path->empty() || !arguments.atEnd())
                return ParsedCommand::invalid("name the picture's file");
            return StepAction([run, path = *path](SessionContext& context) {
                if (!run->picture) {
                    context.print("(screenshots need the Qt display)");
                    return StepResult::passed();
                }
                std::string whyNot;
                if (!run->picture(context.session().desktop(), path, whyNot))
                    return StepResult::failed("no screenshot " + quote(path) + ": " + whyNot);
                return StepResult::passed();
            });
        },
        "screenshot FILE");

    // From here on, what the program prints goes into a PDF file instead of the printer.
    commands.add(
        "print to pdf", CommandKind::Action,
        [run](ScriptArguments& arguments) -> ParsedCommand {
            Optional path = arguments.takeText();
            if (!path || path->empty() || !arguments.atEnd())
                return ParsedCommand::invalid("name the PDF file");
            return StepAction([run, path = *path](SessionContext&) {
                std::string whyNot = "PDF files need the Qt display";
                if (!run->pdf || !run->pdf(whyNot))
                    return StepResult::failed("cannot print to " + quote(path) + ": " + whyNot);
                host::PrintService::setPdfDestination(std::filesystem::absolute(path).string());
                return StepResult::passed();
            });
        },
        "print to pdf FILE");

    // The text of a PDF file as pdftotext reads it, line by line, blank lines left out.
    commands.add(
        "show pdf", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional path = arguments.takeText();
            if (!path || path->empty() || !arguments.atEnd())
                return ParsedCommand::invalid("name the PDF file");
            return StepAction([path = *path](SessionContext& context) {
                std::string text;
                if (!pdfText(path, text))
                    return StepResult::failed("cannot read the text of " + quote(path));
                std::istringstream lines(text);
                for (std::string line; std::getline(lines, line);) {
                    while (!line.empty() && (line.back() == ' ' || line.back() == '\f'))
                        line.pop_back();
                    if (!line.empty())
                        context.print(line);
                }
                return StepResult::passed();
            });
        },
        "show pdf FILE");

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

    // Copies a file kept beside the scenario (a picture, say) into the program's folder.
    commands.add(
        "copy file", CommandKind::Action,
        [run](ScriptArguments& arguments) -> ParsedCommand {
            Optional source = arguments.takeText();
            bool to = arguments.take("to");
            Optional path = arguments.takeText();
            if (!source || !to || !path || !arguments.atEnd())
                return ParsedCommand::invalid(
                    "name the file beside the scenario and where it goes");
            std::filesystem::path relative = std::filesystem::path(*path).lexically_normal();
            if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
                return ParsedCommand::invalid("the copy must lie in the program's folder");
            return StepAction([run, relative, source = *source](SessionContext&) {
                std::filesystem::path from = run->scenarioFolder / source;
                std::filesystem::path file = std::filesystem::path(run->folder.folder()) / relative;
                std::error_code error;
                std::filesystem::create_directories(file.parent_path(), error);
                std::filesystem::copy_file(
                    from, file, std::filesystem::copy_options::overwrite_existing, error);
                if (error)
                    return StepResult::failed("cannot copy " + quote(source) + ": " +
                                              error.message());
                return StepResult::passed();
            });
        },
        "copy file SOURCE to PATH");

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

void ScenarioCommands::AddTo(host::headless::SessionRunner& runner, const ProgramFolder& folder,
                             ScreenPicture picture, PdfPrinting pdf,
                             const std::string& scenarioFolder) {
    auto run = std::make_shared<Run>();
    run->folder = folder;
    run->scenarioFolder = scenarioFolder;
    run->picture = std::move(picture);
    run->pdf = std::move(pdf);
    addProgramCommands(runner.commands(), run);
}

} // namespace app
