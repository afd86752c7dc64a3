// The standard actions of session scripts: what a user does with the program.

#include "runtime/base/Clock.h"
#include "runtime/base/Value.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/SessionCommands.h"
#include "runtime/headless/SessionView.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <algorithm>
#include <functional>

namespace host::headless {

namespace {

using Optional = std::optional<std::string>;

std::string quote(std::string_view text) {
    return ScriptArguments::quote(text);
}

constexpr long long hundredthsPerDay = 8640000;
constexpr long long longestAdvance = 31 * hundredthsPerDay;

// The window and control a step names, found as a user would find them.
struct Target {
    Window* window = nullptr;
    Control* control = nullptr;
    std::string whyNot;
    explicit operator bool() const { return whyNot.empty(); }
};

Target findWindow(SessionContext& context, const Optional& window) {
    Target target;
    target.window = context.window(window, target.whyNot);
    return target;
}

// The control, which the user must be able to use (visible and enabled) unless
// `anyState`.
Target findControl(SessionContext& context, const Optional& window, const std::string& which,
                   bool anyState = false) {
    Target target = findWindow(context, window);
    if (!target)
        return target;
    target.control = context.control(*target.window, which, target.whyNot);
    if (target.control && !anyState)
        target.whyNot = SessionContext::whyUnusable(*target.window, *target.control, which);
    return target;
}

// The step that finds the window a command names and does `step` with it, or fails
// telling why the window is not there.
template <typename Step> StepAction onWindow(Optional window, Step step) {
    return [window, step](SessionContext& context) {
        Target t = findWindow(context, window);
        if (!t)
            return StepResult::failed(t.whyNot);
        return step(context, t);
    };
}

// The same for a control of the window (see findControl).
template <typename Step>
StepAction onControl(Optional window, std::string which, Step step, bool anyState = false) {
    return [window, which, step, anyState](SessionContext& context) {
        Target t = findControl(context, window, which, anyState);
        if (!t)
            return StepResult::failed(t.whyNot);
        return step(context, t);
    };
}

// What a command does with the control it names (`which`).
using ControlStep =
    std::function<StepResult(SessionContext&, const Target&, const std::string& which)>;

StepResult result(bool done, std::string whyNot) {
    return done ? StepResult::passed() : StepResult::failed(std::move(whyNot));
}

// "1s", "1.5s", "250ms", "2m", "1h", "1m30s" in hundredths of a second.
std::optional<long long> duration(std::string_view text) {
    static constexpr std::pair<std::string_view, long long> units[] = {
        {"ms", 1}, {"s", 1000}, {"min", 60000}, {"m", 60000}, {"h", 3600000}};
    long long milliseconds = 0;
    std::size_t i = 0;
    if (text.empty())
        return std::nullopt;
    while (i < text.size()) {
        long long whole = 0;
        long long fraction = 0;
        long long scale = 1;
        std::size_t start = i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            whole = std::min(whole * 10 + (text[i] - '0'), longestAdvance);
        if (i < text.size() && text[i] == '.') {
            for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
                if (scale >= 1000000)
                    return std::nullopt;
                fraction = fraction * 10 + (text[i] - '0');
                scale *= 10;
            }
        }
        if (i == start)
            return std::nullopt;
        long long unit = 0;
        for (const auto& [name, size] : units) {
            std::string_view rest = text.substr(i, name.size());
            if (equalIgnoringCase(rest, name) &&
                (i + name.size() == text.size() || text[i + name.size()] < 'A')) {
                unit = size;
                i += name.size();
                break;
            }
        }
        if (unit == 0)
            return std::nullopt;
        long long part = whole * unit + fraction * unit / scale;
        if (fraction * unit % scale != 0 || part % 10 != 0)
            return std::nullopt; // finer than a hundredth of a second
        milliseconds += part;
        if (milliseconds / 10 > longestAdvance)
            return std::nullopt;
    }
    return milliseconds / 10;
}

// "9:00", "23:59", "23:59:59", "23:59:59.50" in hundredths since midnight.
std::optional<int> clockTime(std::string_view text) {
    // Fields and the separator in front of each: hours, ":" minutes, ":" seconds,
    // "." hundredths.
    static constexpr char separators[] = {0, ':', ':', '.'};
    static constexpr int limits[] = {23, 59, 59, 99};
    int fields[4] = {0, 0, 0, 0};
    std::size_t i = 0;
    int count = 0;
    for (; count < 4 && i < text.size(); ++count) {
        if (count > 0 && text[i++] != separators[count])
            return std::nullopt;
        std::size_t start = i;
        while (i < text.size() && i - start < 2 && text[i] >= '0' && text[i] <= '9')
            fields[count] = fields[count] * 10 + (text[i++] - '0');
        bool twoDigits = i - start == 2;
        if (i == start || (count > 0 && !twoDigits) || fields[count] > limits[count])
            return std::nullopt;
    }
    if (count < 2 || i != text.size())
        return std::nullopt;
    return ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 100 + fields[3];
}

// "2026-12-07" as a day number.
std::optional<int> calendarDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto digits = [&](std::size_t from, std::size_t count) -> int {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    int number = dayNumber(year, month, day);
    return number > 0 ? std::optional<int>(number) : std::nullopt;
}

// --- Controls

void addControlActions(SessionCommands& commands) {
    // The commands on one control: NAME CONTROL [in window TITLE], where `whatToName` is
    // what the user names ("control", "tab").
    auto controlCommand = [&commands](std::string_view name, std::string_view whatToName,
                                      ControlStep step, bool anyState = false) {
        commands.add(
            name, CommandKind::Action,
            [=](ScriptArguments& arguments) -> ParsedCommand {
                Optional window = arguments.takeWindowSuffix();
                Optional which = arguments.takeText();
                if (!which)
                    return ParsedCommand::invalid("name the " + std::string(whatToName));
                return onControl(
                    window, *which,
                    [step, which](SessionContext& context, const Target& t) {
                        return step(context, t, *which);
                    },
                    anyState);
            },
            std::string(name) + " " + upper(whatToName) + " [in window TITLE]");
    };

    controlCommand("press", "control",
                   [](SessionContext& context, const Target& t, const std::string& which) {
                       return result(context.session().press(t.control->number(), t.window),
                                     "could not press " + quote(which));
                   });

    commands.add(
        "type", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeWindowSuffix();
            Optional text = arguments.takeText();
            if (!text)
                return ParsedCommand::invalid("give the text to type");
            Optional which;
            if (arguments.take("into") && !(which = arguments.takeText()))
                return ParsedCommand::invalid("name the control to type into");
            return StepAction([=](SessionContext& context) {
                Target t;
                std::string name;
                if (which) {
                    t = findControl(context, window, *which);
                    name = *which;
                } else {
                    t = findWindow(context, window);
                    if (t && !(t.control = t.window->control(t.window->focus())))
                        t.whyNot =
                            "no control of " + SessionContext::nameOf(*t.window) + " has the focus";
                    name = std::to_string(t.window ? t.window->focus() : 0);
                }
                if (!t)
                    return StepResult::failed(t.whyNot);
                return result(context.session().type(t.control->number(), *text, t.window),
                              "cannot type into " + quote(name));
            });
        },
        "type TEXT [into CONTROL] [in window TITLE]");

    controlCommand(
        "focus", "control", [](SessionContext& context, const Target& t, const std::string& which) {
            return result(context.session().focus(std::to_string(t.control->number()), t.window),
                          quote(which) + " cannot take the focus");
        });

    commands.add(
        "key", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeWindowSuffix();
            std::vector<std::pair<std::string, int>> keys;
            while (auto token = arguments.takeToken()) {
                auto code = KeyCode::parse(token->text);
                if (!code)
                    return ParsedCommand::invalid("unknown key " + ScriptArguments::spell(*token));
                keys.emplace_back(token->text, *code);
            }
            if (keys.empty())
                return ParsedCommand::invalid("name the key");
            return StepAction([=](SessionContext& context) {
                for (const auto& [name, code] : keys) {
                    // Each key finds its window anew: the one before may have closed it.
                    Target t = findWindow(context, window);
                    if (!t)
                        return StepResult::failed(t.whyNot);
                    if (!context.session().pressKey(code, t.window))
                        return StepResult::failed("could not press the key " + name);
                }
                return StepResult::passed();
            });
        },
        "key NAME... [in window TITLE]");

    auto clickCommand = [&commands](std::string_view name, int keyCode) {
        commands.add(
            name, CommandKind::Action,
            [keyCode](ScriptArguments& arguments) -> ParsedCommand {
                Optional window = arguments.takeWindowSuffix();
                Optional which = arguments.takeText();
                if (!which)
                    return ParsedCommand::invalid("name the list");
                std::optional<int> row;
                if (!arguments.take("row") || !(row = arguments.takeNumber()) || *row < 1)
                    return ParsedCommand::invalid("give the row (row N)");
                std::optional<int> column = 1;
                if (arguments.take("column") && (!(column = arguments.takeNumber()) || *column < 0))
                    return ParsedCommand::invalid("give the column (column N)");
                return onControl(window, *which, [=](SessionContext& context, const Target& t) {
                    std::size_t rows = t.control->rowCount();
                    if (static_cast<std::size_t>(*row) > rows)
                        return StepResult::failed(quote(*which) + " has " + std::to_string(rows) +
                                                  " rows");
                    return result(context.session().clickRow(std::to_string(t.control->number()),
                                                             *row, *column, keyCode, t.window),
                                  "could not click " + quote(*which));
                });
            },
            std::string(name) + " LIST row N [column N] [in window TITLE]");
    };
    clickCommand("click", KeyCode::MouseLeft);
    clickCommand("double-click", KeyCode::MouseLeft2);
    clickCommand("right-click", KeyCode::MouseRight);

    commands.add(
        "choose", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeWindowSuffix();
            std::optional<ScriptToken> item = arguments.takeToken();
            Optional which;
            if (!item || !arguments.take("from") || !(which = arguments.takeText()))
                return ParsedCommand::invalid("say what to choose from which control");
            return onControl(window, *which, [=](SessionContext& context, const Target& t) {
                std::string list = std::to_string(t.control->number());
                int index = ScriptArguments::number(*item).value_or(0);
                auto rows = context.session().listCells(list, t.window);
                if (!ScriptArguments::number(*item)) {
                    for (std::size_t i = 0; i < rows.size() && index == 0; ++i)
                        if (!rows[i].empty() &&
                            equalIgnoringCase(clipped(rows[i][0]), clipped(item->text)))
                            index = static_cast<int>(i) + 1;
                }
                if (index < 1 || static_cast<std::size_t>(index) > rows.size())
                    return StepResult::failed(quote(*which) + " has no item " +
                                              ScriptArguments::spell(*item));
                return result(context.session().chooseItem(list, index, t.window),
                              "could not choose from " + quote(*which));
            });
        },
        "choose ITEM from CONTROL [in window TITLE]");

    // A tab is chosen even where the control on it is not usable.
    controlCommand(
        "tab", "tab",
        [](SessionContext& context, const Target& t, const std::string& which) {
            if (t.control->kind() != ControlKind::Tab)
                return StepResult::failed(quote(which) + " is not a tab");
            int sheet = t.control->parent();
            int position = 0;
            for (Control* c : t.window->controls()) {
                if (c->kind() == ControlKind::Tab && c->parent() == sheet)
                    ++position;
                if (c == t.control)
                    break;
            }
            return result(context.session().chooseTab(std::to_string(sheet), position, t.window),
                          "could not choose the tab " + quote(which));
        },
        true);

    commands.add(
        "menu", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional path = arguments.takeText();
            if (!path)
                return ParsedCommand::invalid("give the menu path (\"&Browse|&Customers\")");
            return StepAction([=](SessionContext& context) {
                Window* owner = nullptr;
                Control* item = context.session().menuItem(*path, &owner);
                if (!item)
                    return StepResult::failed("no menu item " + quote(*path));
                std::string whyNot = SessionContext::whyUnusable(*owner, *item, *path);
                if (!whyNot.empty())
                    return StepResult::failed(whyNot);
                return result(context.session().chooseMenu(*path),
                              "could not choose " + quote(*path));
            });
        },
        "menu PATH");
}

// --- Windows

void addWindowActions(SessionCommands& commands) {
    commands.add(
        "close", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeText();
            return onWindow(window, [=](SessionContext& context, const Target& t) {
                return result(context.session().closeWindow(t.window),
                              "could not close " + SessionContext::nameOf(*t.window));
            });
        },
        "close [TITLE]");

    commands.add(
        "activate", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeText();
            if (!window)
                return ParsedCommand::invalid("name the window");
            return onWindow(window, [=](SessionContext& context, const Target& t) {
                return result(context.session().activate(*t.window),
                              "could not activate " + SessionContext::nameOf(*t.window));
            });
        },
        "activate TITLE");

    commands.add(
        "resize", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeWindowSuffix();
            std::optional<int> width = arguments.takeNumber();
            std::optional<int> height = arguments.takeNumber();
            if (!width && arguments.peek() && !arguments.peek()->quoted) {
                // "600x450"
                std::string size = arguments.peek()->text;
                std::size_t x = size.find_first_of("xX");
                if (x != std::string::npos) {
                    width = ScriptArguments::number({size.substr(0, x), false});
                    height = ScriptArguments::number({size.substr(x + 1), false});
                    if (width && height)
                        arguments.takeToken();
                }
            }
            if (!width || !height || *width <= 0 || *height <= 0)
                return ParsedCommand::invalid("give the width and the height");
            return onWindow(window, [=](SessionContext& context, const Target& t) {
                return result(context.session().resize(*width, *height, t.window),
                              "could not resize " + SessionContext::nameOf(*t.window));
            });
        },
        "resize WIDTH HEIGHT [in window TITLE]");
}

// --- Dialogs: answered when one is waiting, otherwise kept for the next to come.

void addDialogActions(SessionCommands& commands) {
    using Kind = DialogRequest::Kind;
    auto waiting = [](SessionContext& context, Kind kind) -> DialogRequest* {
        for (DialogRequest* d : context.session().pendingDialogs())
            if (d->kind == kind)
                return d;
        return nullptr;
    };

    commands.add(
        "answer", CommandKind::Action,
        [waiting](ScriptArguments& arguments) -> ParsedCommand {
            Optional name = arguments.takeText();
            unsigned button = name ? SessionView::buttonNamed(*name) : 0;
            if (!button)
                return ParsedCommand::invalid(
                    "name the button: OK, Yes, No, Abort, Retry, Ignore, Cancel or Help");
            return StepAction([=](SessionContext& context) {
                DialogRequest* box = waiting(context, Kind::Message);
                if (!box) {
                    context.session().answerNextMessage(button);
                    context.print("(kept for the next message box)");
                    return StepResult::passed();
                }
                unsigned shown = box->message.buttons;
                return result(context.session().answerMessage(button),
                              "the message box has no " + SessionView::buttonNames(button) +
                                  " button (it shows " + SessionView::buttonNames(shown) + ")");
            });
        },
        "answer BUTTON");

    commands.add(
        "popup", CommandKind::Action,
        [waiting](ScriptArguments& arguments) -> ParsedCommand {
            std::optional<ScriptToken> entry = arguments.takeToken();
            if (!entry)
                return ParsedCommand::invalid("give the entry's text or number, or none");
            std::optional<int> number = ScriptArguments::number(*entry);
            if (!entry->quoted && equalIgnoringCase(entry->text, "none"))
                number = 0;
            return StepAction([=](SessionContext& context) {
                HeadlessSession& session = context.session();
                DialogRequest* popup = waiting(context, Kind::Popup);
                if (!popup) {
                    if (number)
                        session.answerNextPopup(*number);
                    else
                        session.answerNextPopup(entry->text);
                    context.print("(kept for the next popup menu)");
                    return StepResult::passed();
                }
                if (number)
                    return result(session.answerPopup(*number), "the popup menu did not close");
                return result(session.answerPopup(std::string_view(entry->text)),
                              "the popup menu has no entry " + quote(entry->text) + " (" +
                                  quote(popup->menuText) + ")");
            });
        },
        "popup ENTRY|NUMBER|none");

    commands.add(
        "file", CommandKind::Action,
        [waiting](ScriptArguments& arguments) -> ParsedCommand {
            std::optional<ScriptToken> name = arguments.takeToken();
            if (!name)
                return ParsedCommand::invalid("give the file name, or cancel");
            Optional file = name->text;
            if (!name->quoted && equalIgnoringCase(name->text, "cancel"))
                file.reset();
            return StepAction([=](SessionContext& context) {
                if (!waiting(context, Kind::File)) {
                    context.session().answerNextFileDialog(file);
                    context.print("(kept for the next file dialog)");
                    return StepResult::passed();
                }
                return result(context.session().answerFileDialog(file),
                              "the file dialog did not close");
            });
        },
        "file NAME|cancel");

    commands.add(
        "printer", CommandKind::Action,
        [waiting](ScriptArguments& arguments) -> ParsedCommand {
            bool ok = arguments.take("ok");
            if (!ok && !arguments.take("cancel"))
                return ParsedCommand::invalid("say ok or cancel");
            return StepAction([=](SessionContext& context) {
                if (!waiting(context, Kind::PrinterSetup)) {
                    context.session().display().answerNextPrinterSetup(ok);
                    context.print("(kept for the next printer setup)");
                    return StepResult::passed();
                }
                return result(context.session().answerPrinterSetup(ok),
                              "the printer setup did not close");
            });
        },
        "printer ok|cancel");
}

// --- The clock and waiting

void addClockActions(SessionCommands& commands) {
    commands.add(
        "advance", CommandKind::Action,
        [](ScriptArguments& arguments) -> ParsedCommand {
            long long total = 0;
            while (auto token = arguments.takeToken()) {
                auto step = token->quoted ? std::nullopt : duration(token->text);
                if (!step)
                    return ParsedCommand::invalid(
                        "not a duration: " + ScriptArguments::spell(*token) +
                        " (such as 1s, 1.5s, 250ms, 2m, 1h; at most 31 days)");
                total += *step;
            }
            if (total <= 0 || total > longestAdvance)
                return ParsedCommand::invalid("give a duration (such as 1s) of at most 31 days");
            return StepAction([=](SessionContext& context) {
                context.session().advanceClock(static_cast<int>(total));
                return StepResult::passed();
            });
        },
        "advance DURATION");

    // "set clock" and "set date" set the one and keep the other.
    auto setCommand = [&commands](std::string_view name, bool day,
                                  std::optional<int> (*read)(std::string_view),
                                  std::string_view howToGive, std::string_view usage) {
        commands.add(
            name, CommandKind::Action,
            [=](ScriptArguments& arguments) -> ParsedCommand {
                Optional text = arguments.takeText();
                std::optional<int> value = text ? read(*text) : std::nullopt;
                if (!value)
                    return ParsedCommand::invalid(std::string(howToGive));
                return StepAction([=](SessionContext& context) {
                    HeadlessSession& session = context.session();
                    if (day)
                        session.setClock(*value, session.clock());
                    else
                        session.setClock(session.today(), *value);
                    session.run();
                    return StepResult::passed();
                });
            },
            std::string(usage));
    };
    setCommand("set clock", false, clockTime, "give the time as 23:59:59 (or 23:59, 23:59:59.50)",
               "set clock HH:MM[:SS[.hh]]");
    setCommand("set date", true, calendarDay, "give a calendar date as 2026-12-07",
               "set date YYYY-MM-DD");

    commands.add("wait", CommandKind::Action, StepAction([](SessionContext& context) {
                     context.session().run();
                     return StepResult::passed();
                 }));
}

} // namespace

void addStandardActions(SessionCommands& commands) {
    addControlActions(commands);
    addWindowActions(commands);
    addDialogActions(commands);
    addClockActions(commands);
}

} // namespace host::headless
