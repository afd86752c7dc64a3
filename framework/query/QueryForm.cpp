#include "framework/query/QueryForm.h"

#include "runtime/base/MessageBox.h"
#include "runtime/base/TypedRef.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Event.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

namespace framework {

namespace {

constexpr int rowHeight = 14;
constexpr int firstRowTop = 40;
constexpr int entryWidth = 500; // characters an entry holds

std::string quotedText(std::string_view text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"')
            result += '"';
        if (c == '\n' || c == '\r')
            c = ' ';
        result += c;
    }
    return result + "\"";
}

std::string at(int x, int y, int w, int h) {
    return " at=" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
           std::to_string(h);
}

const char* const nameWindow = R"(window QBENAME "Save the Query" at=48,40,200,56 mdi system
  prompt "&Name of the query:" at=8,8
  entry 1 at=8,20,184,10 use=QBE:QUERYNAME picture=@s100
  button 2 "&OK" at=88,36,50,14 default
  button 3 "&Cancel" at=142,36,50,14 cancel
end
)";

std::shared_ptr<const host::WindowDefinition> parsed(std::string_view text) {
    host::DefinitionParseResult result = host::WindowDefinitionParser::parse(text, "query");
    if (!result.ok() || result.windows.empty())
        return nullptr;
    return std::make_shared<const host::WindowDefinition>(result.windows[0]);
}

} // namespace

struct QueryForm::RowVariables {
    host::Variable value{host::FieldType::text(entryWidth)};
    host::Variable from{host::FieldType::text(entryWidth)};
    host::Variable to{host::FieldType::text(entryWidth)};
    host::Variable anyCase{host::FieldType::byte()};
};

std::shared_ptr<const host::WindowDefinition> QueryForm::FormDefinition() const {
    int rows = static_cast<int>(FieldCount());
    bool bounds = false;
    for (std::size_t entry = 1; entry <= FieldCount(); ++entry)
        bounds = bounds || !IsTextField(entry);
    constexpr int width = 380;
    int buttonsTop = firstRowTop + rows * rowHeight + 8;
    std::string text = "window QBEFORM " + quotedText(formTitle) +
                       at(24, 16, width, buttonsTop + 22) + " mdi system\n";
    text += "  prompt 1 " + quotedText(hint1) + at(8, 4, width - 16, 10) + "\n";
    // The bounds are mentioned only where a row has them.
    std::string_view second = bounds ? hint2 : hint2.substr(0, hint2.find("      From"));
    text += "  prompt 2 " + quotedText(second) + at(8, 14, width - 16, 10) + "\n";
    text += "  prompt 3 \"Column\"" + at(8, 28, 70, 10) + " font=\",,bold\"\n";
    text += "  prompt 4 \"Value\"" + at(82, 28, 110, 10) + " font=\",,bold\"\n";
    if (bounds) {
        text += "  prompt 5 \"From\"" + at(252, 28, 58, 10) + " font=\",,bold\"\n";
        text += "  prompt 6 \"To\"" + at(314, 28, 58, 10) + " font=\",,bold\"\n";
    }
    for (int row = 1; row <= rows; ++row) {
        auto entry = static_cast<std::size_t>(row);
        int y = firstRowTop + (row - 1) * rowHeight;
        std::string n = std::to_string(row);
        std::string title = FieldText(entry, TitleField);
        if (title.empty())
            title = FieldText(entry, NameField);
        text += "  prompt " + std::to_string(RowControl(row, TitlePart)) + " " +
                quotedText(title + ":") + at(8, y + 1, 72, 10) + "\n";
        text += "  entry " + std::to_string(RowControl(row, ValuePart)) + at(82, y, 110, 10) +
                " use=QBE:VALUE" + n + " picture=@s" + std::to_string(entryWidth) + "\n";
        if (IsTextField(entry)) {
            text += "  check " + std::to_string(RowControl(row, CasePart)) + " \"Any case\"" +
                    at(198, y, 50, 10) + " use=QBE:CASE" + n + "\n";
        } else {
            text += "  entry " + std::to_string(RowControl(row, FromPart)) + at(252, y, 58, 10) +
                    " use=QBE:FROM" + n + " picture=@s" + std::to_string(entryWidth) + "\n";
            text += "  entry " + std::to_string(RowControl(row, ToPart)) + at(314, y, 58, 10) +
                    " use=QBE:TO" + n + " picture=@s" + std::to_string(entryWidth) + "\n";
        }
    }
    text += "  button " + std::to_string(SaveButton) + " \"Save as...\"" +
            at(8, buttonsTop, 56, 14) + "\n";
    text += "  button " + std::to_string(ClearButton) + " \"C&lear\"" + at(68, buttonsTop, 50, 14) +
            "\n";
    text += "  button " + std::to_string(OkButton) + " \"&OK\"" +
            at(width - 112, buttonsTop, 50, 14) + " default\n";
    text += "  button " + std::to_string(CancelButton) + " \"&Cancel\"" +
            at(width - 58, buttonsTop, 50, 14) + " cancel\n";
    text += "end\n";
    return parsed(text);
}

void QueryForm::LoadRows(std::vector<RowVariables>& rows) const {
    for (std::size_t n = 1; n <= rows.size(); ++n) {
        RowVariables& row = rows[n - 1];
        std::string value = FieldText(n, MiddleField);
        bool anyCase = IsTextField(n) && !value.empty() && value[0] == '^';
        if (anyCase)
            value.erase(0, 1);
        row.value.assign(host::Value(value));
        row.anyCase.assign(host::Value(anyCase ? 1 : 0));
        // The form's bounds include themselves: the "=" it puts in front is not shown.
        for (auto [field, variable] : {std::pair{LowField, &row.from}, {HighField, &row.to}}) {
            std::string bound = FieldText(n, field);
            if (!bound.empty() && bound[0] == '=')
                bound.erase(0, 1);
            variable->assign(host::Value(bound));
        }
    }
}

void QueryForm::StoreRows(const std::vector<RowVariables>& rows) {
    for (std::size_t n = 1; n <= rows.size(); ++n) {
        const RowVariables& row = rows[n - 1];
        std::string value = host::clip(row.value.value().toText());
        if (IsTextField(n) && row.anyCase.value().toInteger() != 0 && !value.empty() &&
            value[0] != '^')
            value = "^" + value;
        SetFieldText(n, MiddleField, value);
        for (auto [field, variable] : {std::pair{LowField, &row.from}, {HighField, &row.to}}) {
            std::string bound = host::clip(variable->value().toText());
            // A bound typed without an operator includes itself.
            if (!bound.empty() && bound.find_first_of("=<>~") != 0)
                bound = "=" + bound;
            SetFieldText(n, field, IsTextField(n) ? std::string() : bound);
        }
    }
}

std::string QueryForm::Refusal() {
    std::string filter = BuildFilter();
    if (!LastFault().empty())
        return "The value typed for " + LastFault() + " is not one it can hold.";
    if (filter.size() > filterLimit - 100)
        return "The query is too long. Shorten the values typed.";
    return {};
}

void QueryForm::Tell(std::string_view message) {
    host::showMessage(message, formTitle, host::MessageIcon::Exclamation);
}

std::string QueryForm::AskName() {
    auto definition = parsed(nameWindow);
    if (!definition)
        return {};
    host::Variable name(host::FieldType::text(100));
    name.assign(host::Value(CHOSEN));
    host::Window window(definition);
    window.bind("QBE:QUERYNAME", name);
    bool saved = false;
    window.open();
    while (window.nextEvent()) {
        if (window.currentEvent() != host::EventKind::Accepted)
            continue;
        int control = window.eventControl();
        if (control == NameOk) {
            window.update();
            saved = true;
            window.endCycle(host::CycleEnd::Leave);
        } else if (control == NameCancel) {
            window.endCycle(host::CycleEnd::Leave);
        }
    }
    return saved ? host::clip(name.value().toText()) : std::string();
}

bool QueryForm::AskWindow() {
    auto definition = FormDefinition();
    if (!definition)
        return false;
    std::vector<RowVariables> rows(FieldCount());
    LoadRows(rows);
    host::Window window(definition);
    for (std::size_t n = 1; n <= rows.size(); ++n) {
        std::string number = std::to_string(n);
        window.bind("QBE:VALUE" + number, rows[n - 1].value);
        window.bind("QBE:FROM" + number, rows[n - 1].from);
        window.bind("QBE:TO" + number, rows[n - 1].to);
        window.bind("QBE:CASE" + number, rows[n - 1].anyCase);
    }
    // What the entries held, for Cancel.
    host::Queue before(FieldLayout());
    for (std::size_t n = 1; n <= FieldCount(); ++n) {
        QFIELDS->get(n);
        before.buffer() = QFIELDS->buffer();
        before.add();
    }
    bool applied = false;
    window.open();
    while (window.nextEvent()) {
        if (window.currentEvent() != host::EventKind::Accepted)
            continue;
        int control = window.eventControl();
        if (control == OkButton) {
            window.update();
            StoreRows(rows);
            std::string refusal = Refusal();
            if (!refusal.empty()) {
                Tell(refusal);
                continue;
            }
            applied = true;
            window.endCycle(host::CycleEnd::Leave);
        } else if (control == CancelButton) {
            window.endCycle(host::CycleEnd::Leave);
        } else if (control == ClearButton) {
            for (RowVariables& row : rows) {
                row.value.assign(host::Value(""));
                row.from.assign(host::Value(""));
                row.to.assign(host::Value(""));
                row.anyCase.assign(host::Value(0));
            }
            window.display();
        } else if (control == SaveButton) {
            window.update();
            StoreRows(rows);
            std::string refusal = Refusal();
            if (!refusal.empty()) {
                Tell(refusal);
                continue;
            }
            std::string name = AskName();
            if (name.empty())
                continue;
            if (!IsStorableName(name) || name == mruName)
                Tell("A query's name cannot hold [ ] = $ , ; # or quotes, nor begin or end "
                     "with a blank.");
            else if (!SaveQuery(name))
                Tell("This query cannot be saved: a value holds a comma.");
            else
                CHOSEN = name;
        }
    }
    if (!applied) {
        for (std::size_t n = 1; n <= before.count(); ++n) {
            before.get(n);
            QFIELDS->get(n);
            QFIELDS->buffer() = before.buffer();
            QFIELDS->put();
        }
    }
    return applied;
}

} // namespace framework
