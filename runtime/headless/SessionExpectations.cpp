// The standard expectations of session scripts: what the user should see. A failed
// expectation says what was seen instead.

#include "runtime/base/Value.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/SessionCommands.h"
#include "runtime/headless/SessionView.h"
#include "runtime/ui/Window.h"

namespace host::headless {

namespace {

using Optional = std::optional<std::string>;

std::string quote(std::string_view text) {
    return ScriptArguments::quote(text);
}

// What a user reads in a cell or a field: the text without the blanks around it.
std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return clipped(text);
}

std::string quoteAll(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& text : texts)
        out += (out.empty() ? "" : " ") + quote(text);
    return out;
}

std::string titleOf(const Window& window) {
    return window.title().empty() ? window.name() : window.title();
}

std::vector<std::string> openTitles(const HeadlessSession& session) {
    std::vector<std::string> titles;
    for (Window* w : session.desktop().windows())
        titles.push_back(titleOf(*w));
    return titles;
}

std::string openWindowsText(const HeadlessSession& session) {
    auto titles = openTitles(session);
    return titles.empty() ? "no window is open" : "open are " + quoteAll(titles);
}

// The open window with this title (exactly as shown) or definition name.
Window* windowTitled(const HeadlessSession& session, const std::string& title) {
    for (Window* w : session.desktop().windows())
        if (w->title() == title || equalIgnoringCase(w->name(), title))
            return w;
    return nullptr;
}

std::string plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// --- Windows, status bar, message boxes, halt

void addWindowExpectations(SessionCommands& commands) {
    commands.add(
        "expect active", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional title = arguments.takeText();
            if (!title)
                return ParsedCommand::invalid("give the window's title");
            return StepAction([=](SessionContext& context) {
                Window* active = context.session().activeWindow();
                if (active && titleOf(*active) == *title)
                    return StepResult::passed();
                return StepResult::failed(
                    "expected the active window " + quote(*title) + ", but " +
                    (active ? "it is " + SessionContext::nameOf(*active) : "no window is open"));
            });
        },
        "expect active TITLE");

    for (bool open : {true, false}) {
        commands.add(
            open ? "expect open" : "expect closed", CommandKind::Check,
            [open](ScriptArguments& arguments) -> ParsedCommand {
                Optional title = arguments.takeText();
                if (!title)
                    return ParsedCommand::invalid("give the window's title");
                return StepAction([=](SessionContext& context) {
                    if ((windowTitled(context.session(), *title) != nullptr) == open)
                        return StepResult::passed();
                    return StepResult::failed("expected " + quote(*title) + " to be " +
                                              (open ? "open" : "closed") + ", but " +
                                              openWindowsText(context.session()));
                });
            },
            open ? "expect open TITLE" : "expect closed TITLE");
    }

    commands.add(
        "expect windows", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            std::vector<std::string> titles;
            while (Optional title = arguments.takeText())
                titles.push_back(*title);
            return StepAction([=](SessionContext& context) {
                if (openTitles(context.session()) == titles)
                    return StepResult::passed();
                return StepResult::failed(
                    "expected " + (titles.empty() ? "no window open" : "open " + quoteAll(titles)) +
                    ", but " + openWindowsText(context.session()));
            });
        },
        "expect windows [TITLE...]");

    commands.add(
        "expect status", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            std::optional<int> zone = 1;
            if (arguments.remaining() == 2 && (!(zone = arguments.takeNumber()) || *zone < 1))
                return ParsedCommand::invalid("give the zone as a number from 1");
            Optional text = arguments.takeText();
            if (!text)
                return ParsedCommand::invalid("give the text");
            return StepAction([=](SessionContext& context) {
                std::string shown = context.session().statusBar(*zone);
                if (clipped(shown) == clipped(*text))
                    return StepResult::passed();
                return StepResult::failed("expected status " + std::to_string(*zone) + " " +
                                          quote(*text) + ", but it shows " + quote(clipped(shown)));
            });
        },
        "expect status [ZONE] TEXT");

    commands.add(
        "expect message", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional title = arguments.takeText();
            if (!title)
                return ParsedCommand::invalid("give the message box's title");
            Optional text;
            if (arguments.peek() && arguments.peek()->quoted)
                text = arguments.takeText();
            unsigned buttons = 0;
            while (auto token = arguments.takeToken()) {
                unsigned button = token->quoted ? 0 : SessionView::buttonNamed(token->text);
                if (!button)
                    return ParsedCommand::invalid("not a button: " +
                                                  ScriptArguments::spell(*token));
                buttons |= button;
            }
            return StepAction([=](SessionContext& context) {
                auto shown = context.session().messagesShown();
                std::string expected = "expected message " + quote(*title) +
                                       (text ? " " + quote(*text) : "") +
                                       (buttons ? " " + SessionView::buttonNames(buttons) : "");
                if (shown.empty())
                    return StepResult::failed(expected + ", but no message box was shown");
                const MessageBoxRequest& last = shown.back();
                if (last.title == *title && (!text || last.text == *text) &&
                    (!buttons || last.buttons == buttons))
                    return StepResult::passed();
                return StepResult::failed(expected + ", but the last was message " +
                                          quote(last.title) + " " + quote(last.text) + " " +
                                          SessionView::buttonNames(last.buttons));
            });
        },
        "expect message TITLE [TEXT] [BUTTON...]");

    // A box the program showed and the script answered ahead is gone by the time the
    // next line runs; it still counts, as the user saw it.
    commands.add("expect no message", CommandKind::Check, StepAction([](SessionContext& context) {
                     HeadlessSession& session = context.session();
                     for (const DialogRequest* dialog : session.pendingDialogs())
                         if (dialog->kind == DialogRequest::Kind::Message)
                             return StepResult::failed("expected no message, but " +
                                                       SessionView::describe(*dialog));
                     auto shown = session.messagesShown();
                     std::size_t since = context.messagesBeforeLastAction();
                     if (shown.size() > since)
                         return StepResult::failed(
                             "expected no message, but the last action showed message " +
                             quote(shown[since].title) + " " + quote(shown[since].text) + " " +
                             SessionView::buttonNames(shown[since].buttons));
                     return StepResult::passed();
                 }));

    commands.add(
        "expect halted", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional text = arguments.takeText();
            return StepAction([=](SessionContext& context) {
                if (!context.hasHalted())
                    return StepResult::failed("expected the program to have halted, but it runs");
                if (text && context.haltText() != *text)
                    return StepResult::failed("expected the halt " + quote(*text) +
                                              ", but it halted with " + quote(context.haltText()));
                return StepResult::passed();
            });
        },
        "expect halted [TEXT]");
}

// --- Controls and lists

enum class State { Enabled, Disabled, Visible, Hidden, Checked, Unchecked, Focused };

struct StateWord {
    const char* word;
    State state;
};
constexpr StateWord stateWords[] = {
    {"enabled", State::Enabled}, {"disabled", State::Disabled}, {"visible", State::Visible},
    {"hidden", State::Hidden},   {"checked", State::Checked},   {"unchecked", State::Unchecked},
    {"focused", State::Focused},
};

std::optional<State> stateNamed(const ScriptToken& token) {
    for (const auto& s : stateWords)
        if (!token.quoted && equalIgnoringCase(token.text, s.word))
            return s.state;
    return std::nullopt;
}

// Whether the control is in the state, and the word for how it is instead.
bool isIn(const Window& window, const Control& control, State state, std::string& instead) {
    int n = control.number();
    bool enabled = window.isEnabled(n);
    bool visible = window.isVisible(n);
    bool checked = control.isChecked();
    bool focused = window.focus() == n;
    switch (state) {
    case State::Enabled:
    case State::Disabled:
        instead = enabled ? "enabled" : "disabled";
        return enabled == (state == State::Enabled);
    case State::Visible:
    case State::Hidden:
        instead = visible ? "visible" : "hidden";
        return visible == (state == State::Visible);
    case State::Checked:
    case State::Unchecked:
        instead = checked ? "checked" : "unchecked";
        return checked == (state == State::Checked);
    case State::Focused:
        instead = "not focused";
        return focused;
    }
    return false;
}

std::vector<std::string> cellsOf(const std::vector<std::string>& row) {
    std::vector<std::string> cells;
    for (const auto& cell : row)
        cells.emplace_back(trimmed(cell));
    return cells;
}

// What the user should see of a control: `shows TEXT`, states, or a list's rows.
struct ControlExpectation {
    enum class Kind { Shows, States, Rows, Row, Selected } kind = Kind::Shows;
    std::string text;
    std::vector<State> states;
    std::vector<std::string> stateNames;
    int number = 0; // rows, row or selected row
    int column = 0; // 0: the whole row
    std::vector<std::string> cells;
};

StepResult check(SessionContext& context, const Optional& windowTitle, const std::string& which,
                 const ControlExpectation& e) {
    std::string whyNot;
    Window* window = context.window(windowTitle, whyNot);
    Control* control = window ? context.control(*window, which, whyNot) : nullptr;
    if (!control)
        return StepResult::failed(whyNot);
    HeadlessSession& session = context.session();
    std::string number = std::to_string(control->number());
    std::string name = quote(which);
    using Kind = ControlExpectation::Kind;
    switch (e.kind) {
    case Kind::Shows: {
        std::string shown(clipped(session.text(number, window)));
        if (shown == clipped(e.text))
            return StepResult::passed();
        return StepResult::failed("expected " + name + " to show " + quote(e.text) +
                                  ", but it shows " + quote(shown));
    }
    case Kind::States:
        for (std::size_t i = 0; i < e.states.size(); ++i) {
            std::string instead;
            if (!isIn(*window, *control, e.states[i], instead))
                return StepResult::failed("expected " + name + " to be " + e.stateNames[i] +
                                          ", but it is " + instead);
        }
        return StepResult::passed();
    case Kind::Rows: {
        std::size_t rows = session.listCells(number, window).size();
        if (rows == static_cast<std::size_t>(e.number))
            return StepResult::passed();
        return StepResult::failed("expected " + name + " to have " + plural(e.number, "row") +
                                  ", but it has " + std::to_string(rows));
    }
    case Kind::Row: {
        auto rows = session.listCells(number, window);
        std::string what = "row " + std::to_string(e.number) +
                           (e.column ? " column " + std::to_string(e.column) : "") + " of " + name;
        std::string expected = "expected " + what + " to be " + quoteAll(e.cells);
        if (static_cast<std::size_t>(e.number) > rows.size())
            return StepResult::failed(expected + ", but the list has " +
                                      plural(rows.size(), "row"));
        auto cells = cellsOf(rows[e.number - 1]);
        if (e.column) {
            if (static_cast<std::size_t>(e.column) > cells.size())
                return StepResult::failed(expected + ", but the list has " +
                                          plural(cells.size(), "column"));
            cells = {cells[e.column - 1]};
        }
        std::vector<std::string> wanted;
        for (const auto& cell : e.cells)
            wanted.emplace_back(trimmed(cell));
        if (cells == wanted)
            return StepResult::passed();
        return StepResult::failed(expected + ", but it is " + quoteAll(cells));
    }
    case Kind::Selected: {
        int selected = session.selectedRow(number, window);
        if (selected == e.number)
            return StepResult::passed();
        return StepResult::failed(
            "expected row " + std::to_string(e.number) + " of " + name + " to be selected, but " +
            (selected > 0 ? "row " + std::to_string(selected) + " is" : std::string("no row is")));
    }
    }
    return StepResult::passed();
}

void addControlExpectations(SessionCommands& commands) {
    commands.add(
        "expect", CommandKind::Check,
        [](ScriptArguments& arguments) -> ParsedCommand {
            Optional window = arguments.takeWindowSuffix();
            Optional which = arguments.takeText();
            if (!which)
                return ParsedCommand::invalid("say what to expect");
            ControlExpectation e;
            using Kind = ControlExpectation::Kind;
            if (arguments.take("shows")) {
                Optional text = arguments.takeText();
                if (!text)
                    return ParsedCommand::invalid("give the text it shows");
                e.text = *text;
            } else if (arguments.take("rows")) {
                e.kind = Kind::Rows;
                auto rows = arguments.takeNumber();
                if (!rows || *rows < 0)
                    return ParsedCommand::invalid("give the number of rows");
                e.number = *rows;
            } else if (arguments.take("row")) {
                e.kind = Kind::Row;
                auto row = arguments.takeNumber();
                if (!row || *row < 1)
                    return ParsedCommand::invalid("give the row as a number from 1");
                e.number = *row;
                if (arguments.take("column")) {
                    auto column = arguments.takeNumber();
                    if (!column || *column < 1)
                        return ParsedCommand::invalid("give the column as a number from 1");
                    e.column = *column;
                }
                for (const auto& token : arguments.takeRest())
                    e.cells.push_back(token.text);
                if (e.cells.empty() || (e.column && e.cells.size() != 1))
                    return ParsedCommand::invalid(e.column ? "give the cell's text"
                                                           : "give the row's cells");
            } else if (arguments.take("selected")) {
                e.kind = Kind::Selected;
                auto row = arguments.takeNumber();
                if (!row || *row < 0)
                    return ParsedCommand::invalid("give the selected row (0 for none)");
                e.number = *row;
            } else {
                e.kind = Kind::States;
                while (const ScriptToken* token = arguments.peek()) {
                    auto state = stateNamed(*token);
                    if (!state)
                        break;
                    e.states.push_back(*state);
                    e.stateNames.push_back(lower(token->text));
                    arguments.takeToken();
                }
                if (e.states.empty())
                    return ParsedCommand::invalid(
                        "say what to expect of " + quote(*which) +
                        ": shows, rows, row, selected, or states such as enabled or checked");
            }
            return StepAction(
                [=](SessionContext& context) { return check(context, window, *which, e); });
        },
        "expect CONTROL shows TEXT | STATE... | rows N | row N [column N] CELL... | "
        "selected N [in window TITLE]");
}

} // namespace

void addStandardExpectations(SessionCommands& commands) {
    addWindowExpectations(commands);
    addControlExpectations(commands);
}

} // namespace host::headless
