#include "runtime/ui/WindowDefinitionParser.h"

#include "runtime/base/Value.h"

#include <charconv>
#include <optional>
#include <set>

namespace host {

std::string DefinitionParseResult::message() const {
    if (ok())
        return {};
    if (errorLine == 0)
        return error;
    return "line " + std::to_string(errorLine) + ": " + error;
}

namespace {

struct Token {
    enum Kind { Word, String, Assignment } kind = Word;
    std::string key;  // Assignment: the attribute name (lower case)
    std::string text; // Word/String: the text; Assignment: the value
};

struct ParseError {
    int line;
    std::string text;
};

// Splits one statement into tokens. Quoted strings use "" for a quote inside.
std::vector<Token> tokenize(std::string_view line, int lineNumber) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    auto readQuoted = [&](std::size_t& pos) {
        std::string out;
        ++pos; // opening quote
        while (true) {
            if (pos >= line.size())
                throw ParseError{lineNumber, "unterminated quoted text"};
            char c = line[pos++];
            if (c == '"') {
                if (pos < line.size() && line[pos] == '"') {
                    out += '"';
                    ++pos;
                    continue;
                }
                return out;
            }
            out += c;
        }
    };
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (i < line.size()) {
        char c = line[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == '#')
            break; // comment to the end of the line
        if (c == '"') {
            tokens.push_back({Token::String, {}, readQuoted(i)});
            if (i < line.size() && !isSpace(line[i]))
                throw ParseError{lineNumber, "a blank must follow quoted text"};
            continue;
        }
        std::size_t start = i;
        while (i < line.size() && !isSpace(line[i]) && line[i] != '=' && line[i] != '"')
            ++i;
        std::string word(line.substr(start, i - start));
        if (i < line.size() && line[i] == '=') {
            if (word.empty())
                throw ParseError{lineNumber, "\"=\" without an attribute name"};
            ++i;
            Token t{Token::Assignment, lower(word), {}};
            if (i < line.size() && line[i] == '"') {
                t.text = readQuoted(i);
                if (i < line.size() && !isSpace(line[i]))
                    throw ParseError{lineNumber, "a blank must follow quoted text"};
            } else {
                std::size_t vs = i;
                while (i < line.size() && !isSpace(line[i]))
                    ++i;
                t.text = std::string(line.substr(vs, i - vs));
                if (t.text.empty())
                    throw ParseError{lineNumber, "attribute \"" + word + "\" has no value"};
            }
            tokens.push_back(std::move(t));
            continue;
        }
        if (i < line.size() && line[i] == '"')
            throw ParseError{lineNumber, "a blank must come before quoted text"};
        tokens.push_back({Token::Word, {}, word});
    }
    return tokens;
}

std::optional<long long> toNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return n;
}

// A spin box's step or range end: a number, places allowed ("-5", "99999.99"), within the
// signed 32-bit range that spin boxes count in.
std::optional<Decimal> rangeNumber(std::string_view text) {
    if (text.empty() || text.front() == ' ' || text.back() == ' ')
        return std::nullopt;
    auto n = Decimal::parse(text);
    if (!n || *n > Decimal(2147483647LL) || *n < Decimal(-2147483647LL))
        return std::nullopt;
    return n;
}

std::vector<long long> numberList(const std::string& key, const std::string& value, int line,
                                  std::size_t minCount, std::size_t maxCount,
                                  long long limit = 1000000) {
    std::vector<long long> numbers;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = value.find(',', start);
        std::string_view piece = std::string_view(value).substr(
            start, comma == std::string::npos ? std::string::npos : comma - start);
        auto n = toNumber(piece);
        if (!n || *n < -limit || *n > limit)
            throw ParseError{line, "attribute \"" + key + "\" needs whole numbers, not \"" + value +
                                       "\""};
        numbers.push_back(*n);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (numbers.size() < minCount || numbers.size() > maxCount)
        throw ParseError{line, "attribute \"" + key + "\" needs " + std::to_string(minCount) +
                                   (minCount == maxCount ? "" : " to " + std::to_string(maxCount)) +
                                   " numbers"};
    return numbers;
}

Rect toRect(const std::string& key, const std::string& value, int line) {
    auto n = numberList(key, value, line, 2, 4);
    Rect r;
    r.x = static_cast<int>(n[0]);
    r.y = static_cast<int>(n[1]);
    if (n.size() > 2)
        r.width = static_cast<int>(n[2]);
    if (n.size() > 3)
        r.height = static_cast<int>(n[3]);
    if (r.width < 0 || r.height < 0)
        throw ParseError{line, "a width or height cannot be negative"};
    return r;
}

// "Arial,9,bold,italic"
Font toFont(const std::string& value, int line) {
    Font font;
    std::size_t start = 0;
    int index = 0;
    while (start <= value.size()) {
        std::size_t comma = value.find(',', start);
        std::string piece(clipped(std::string_view(value).substr(
            start, comma == std::string::npos ? std::string::npos : comma - start)));
        while (!piece.empty() && piece.front() == ' ')
            piece.erase(0, 1);
        if (index == 0) {
            font.face = piece;
        } else if (index == 1 && !piece.empty() && toNumber(piece)) {
            font.size = static_cast<int>(*toNumber(piece));
            if (font.size < 0 || font.size > 500)
                throw ParseError{line, "font size out of range"};
        } else if (equalIgnoringCase(piece, "bold")) {
            font.bold = true;
        } else if (equalIgnoringCase(piece, "italic")) {
            font.italic = true;
        } else if (!piece.empty()) {
            throw ParseError{line, "unknown font style \"" + piece + "\""};
        }
        ++index;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return font;
}

std::vector<std::string> wordList(const std::string& value) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && value[i] == ' ')
            ++i;
        std::size_t start = i;
        while (i < value.size() && value[i] != ' ')
            ++i;
        if (i > start)
            words.emplace_back(value.substr(start, i - start));
    }
    return words;
}

// A constant table, not a set: window texts are parsed while the program's static objects
// are being made (ResourceRegistration), possibly before a set here would exist.
constexpr std::string_view standardActions[] = {
    "print-setup", "exit",    "cut",           "copy",        "paste",   "tile",
    "cascade",     "arrange", "help-contents", "help-search", "help-how"};

bool isStandardAction(std::string_view name) {
    for (std::string_view action : standardActions)
        if (action == name)
            return true;
    return false;
}

class Parser {
public:
    Parser(std::string_view text, std::string_view module) : text_(text), module_(module) {}

    DefinitionParseResult run() {
        DefinitionParseResult result;
        try {
            readAll();
            if (window_)
                throw ParseError{window_->line, "window \"" + window_->name + "\" has no \"end\""};
            result.windows = std::move(windows_);
        } catch (const ParseError& e) {
            result.errorLine = e.line;
            result.error = e.text;
        }
        return result;
    }

private:
    void readAll() {
        int lineNumber = 0;
        std::size_t pos = 0;
        std::string statement;
        int statementLine = 0;
        while (pos <= text_.size()) {
            std::size_t end = text_.find('\n', pos);
            std::string_view line = text_.substr(
                pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
            ++lineNumber;
            pos = end == std::string_view::npos ? text_.size() + 1 : end + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (statement.empty())
                statementLine = lineNumber;
            std::string_view content = clipped(line);
            if (!content.empty() && content.back() == '\\') {
                statement += std::string(content.substr(0, content.size() - 1));
                statement += ' ';
                continue;
            }
            statement += std::string(line);
            auto tokens = tokenize(statement, statementLine);
            statement.clear();
            if (!tokens.empty())
                statementOf(tokens, statementLine);
        }
        if (!statement.empty())
            throw ParseError{statementLine,
                             "the last statement is continued past the end of the text"};
    }

    void statementOf(std::vector<Token>& tokens, int line) {
        if (tokens[0].kind != Token::Word)
            throw ParseError{line, "a statement must start with a keyword"};
        std::string keyword = lower(tokens[0].text);
        if (keyword == "window") {
            openWindow(tokens, line);
            return;
        }
        if (!window_)
            throw ParseError{line, "\"" + tokens[0].text + "\" outside a window"};
        if (keyword == "end") {
            if (tokens.size() > 1)
                throw ParseError{line, "\"end\" takes nothing after it"};
            if (blocks_.empty()) {
                numberControls();
                windows_.push_back(std::move(*window_));
                window_.reset();
            } else {
                blocks_.pop_back();
            }
            return;
        }
        if (keyword == "separator") {
            addControl(ControlKind::Item, tokens, line, true);
            return;
        }
        auto kind = controlKindNamed(keyword);
        if (!kind)
            throw ParseError{line, "unknown statement \"" + tokens[0].text + "\""};
        addControl(*kind, tokens, line, false);
    }

    void openWindow(std::vector<Token>& tokens, int line) {
        if (window_)
            throw ParseError{line, "a window cannot be defined inside another window"};
        WindowDefinition w;
        w.line = line;
        w.module = std::string(module_);
        bool haveTitle = false;
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.kind == Token::Word && w.name.empty() && i == 1) {
                w.name = t.text;
            } else if (t.kind == Token::String && !haveTitle) {
                w.title = t.text;
                haveTitle = true;
            } else if (t.kind == Token::Word) {
                std::string flag = lower(t.text);
                if (flag == "mdi")
                    w.mdiChild = true;
                else if (flag == "frame")
                    w.frame = true;
                else if (flag == "modal")
                    w.modal = true;
                else if (flag == "resizable")
                    w.resizable = true;
                else if (flag == "system")
                    w.systemMenu = true;
                else if (flag == "max")
                    w.maximizeBox = true;
                else if (flag == "min")
                    w.minimizeBox = true;
                else if (flag == "maximized")
                    w.maximized = true;
                else if (flag == "center")
                    w.centered = true;
                else
                    throw ParseError{line, "unknown window flag \"" + t.text + "\""};
            } else if (t.kind == Token::Assignment) {
                if (t.key == "title")
                    w.title = t.text;
                else if (t.key == "at")
                    w.at = toRect(t.key, t.text, line);
                else if (t.key == "font")
                    w.font = toFont(t.text, line);
                else if (t.key == "icon")
                    w.icon = t.text;
                else if (t.key == "timer") {
                    auto n = toNumber(t.text);
                    if (!n || *n < 0 || *n > 8640000)
                        throw ParseError{line,
                                         "timer needs hundredths of a second from 0 to 8640000"};
                    w.timer = static_cast<int>(*n);
                } else if (t.key == "status") {
                    for (long long width : numberList(t.key, t.text, line, 1, 32)) {
                        if (width < -1)
                            throw ParseError{line, "a status zone width is -1 (the rest) or more"};
                        w.statusZones.push_back(static_cast<int>(width));
                    }
                } else if (t.key == "alert")
                    w.alertKeys = wordList(t.text);
                else
                    throw ParseError{line, "unknown window attribute \"" + t.key + "\""};
            } else {
                throw ParseError{line, "unexpected text \"" + t.text + "\""};
            }
        }
        if (w.name.empty())
            throw ParseError{line, "a window needs a name (window P1$APPFRAME ...)"};
        for (const auto& other : windows_)
            if (equalIgnoringCase(other.name, w.name))
                throw ParseError{line, "window \"" + w.name + "\" is defined twice"};
        if (w.frame && w.mdiChild)
            throw ParseError{line, "a window cannot be both the frame and a child"};
        window_ = std::move(w);
        blocks_.clear();
        parents_.clear();
    }

    // The kind of the innermost open block, or nullopt at window level.
    std::optional<ControlKind> enclosingKind() const {
        if (blocks_.empty())
            return std::nullopt;
        return window_->controls[blocks_.back()].kind;
    }

    void checkPlacement(ControlKind kind, int line) {
        auto outer = enclosingKind();
        bool inMenu = outer && *outer == ControlKind::Menu;
        switch (kind) {
        case ControlKind::Item:
            if (!inMenu)
                throw ParseError{line, "a menu item belongs inside a menu"};
            return;
        case ControlKind::Menu:
            if (outer && !inMenu)
                throw ParseError{line, "a menu belongs in the window or inside another menu"};
            return;
        case ControlKind::Tab:
            if (!outer || *outer != ControlKind::Sheet)
                throw ParseError{line, "a tab belongs inside a sheet"};
            return;
        case ControlKind::Radio:
            if (!outer || *outer != ControlKind::Option)
                throw ParseError{line, "a radio button belongs inside an option"};
            return;
        case ControlKind::Toolbar:
            if (outer)
                throw ParseError{line, "the toolbar belongs at window level"};
            for (const auto& c : window_->controls)
                if (c.kind == ControlKind::Toolbar)
                    throw ParseError{line, "a window has only one toolbar"};
            return;
        default:
            if (inMenu)
                throw ParseError{line, "only items and menus belong inside a menu"};
            if (outer && *outer == ControlKind::Sheet)
                throw ParseError{line, "only tabs belong inside a sheet"};
            return;
        }
    }

    void addControl(ControlKind kind, std::vector<Token>& tokens, int line, bool separator) {
        checkPlacement(kind, line);
        ControlDefinition c;
        c.kind = kind;
        c.line = line;
        c.flags.separator = separator;
        c.parent = 0;
        bool haveNumber = false;
        bool haveText = false;
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.kind == Token::String && !haveText) {
                c.text = t.text;
                haveText = true;
            } else if (t.kind == Token::Word && !haveNumber && toNumber(t.text)) {
                setNumber(c, *toNumber(t.text), line);
                haveNumber = true;
            } else if (t.kind == Token::Word) {
                flag(c, lower(t.text), t.text, line);
            } else if (t.kind == Token::Assignment) {
                if (t.key == "id") {
                    auto n = toNumber(t.text);
                    if (!n)
                        throw ParseError{line, "id needs a whole number"};
                    setNumber(c, *n, line);
                    haveNumber = true;
                } else {
                    attribute(c, t, line);
                }
            } else {
                throw ParseError{line, "unexpected text \"" + t.text + "\""};
            }
        }
        if (haveNumber && window_->control(c.number))
            throw ParseError{line, "control number " + std::to_string(c.number) + " is used twice"};
        if (!c.name.empty() && window_->controlNamed(c.name))
            throw ParseError{line, "control name \"" + c.name + "\" is used twice"};
        if (c.hasRange && c.rangeLow > c.rangeHigh)
            throw ParseError{line, "the range's low end is above its high end"};
        // Only a spin box counts in decimals; a progress bar fills by whole numbers.
        if (c.kind != ControlKind::Spin && (Decimal(c.rangeLow.toInteger()) != c.rangeLow ||
                                            Decimal(c.rangeHigh.toInteger()) != c.rangeHigh ||
                                            Decimal(c.step.toInteger()) != c.step))
            throw ParseError{line, "only a spin box's range and step may have places"};
        parents_.push_back(blocks_.empty() ? -1 : static_cast<int>(blocks_.back()));
        window_->controls.push_back(std::move(c));
        if (isContainerKind(kind))
            blocks_.push_back(window_->controls.size() - 1);
    }

    // Unnumbered controls take, in the order written, the lowest numbers that no
    // numbered control uses; then every control learns its container's number.
    void numberControls() {
        auto& controls = window_->controls;
        std::set<int> used;
        for (const auto& c : controls)
            if (c.number != 0)
                used.insert(c.number);
        int next = 1;
        for (auto& c : controls) {
            if (c.number != 0)
                continue;
            while (used.count(next))
                ++next;
            c.number = next++;
        }
        for (std::size_t i = 0; i < controls.size(); ++i)
            controls[i].parent =
                parents_[i] < 0 ? 0 : controls[static_cast<std::size_t>(parents_[i])].number;
        parents_.clear();
    }

    void setNumber(ControlDefinition& c, long long n, int line) {
        if (n < 1 || n > 1000000)
            throw ParseError{line, "control numbers run from 1 to 1000000"};
        c.number = static_cast<int>(n);
    }

    void flag(ControlDefinition& c, const std::string& f, const std::string& original, int line) {
        auto& fl = c.flags;
        if (f == "required")
            fl.required = true;
        else if (f == "immediate")
            fl.immediate = true;
        else if (f == "default")
            fl.isDefault = true;
        else if (f == "cancel")
            fl.isCancel = true;
        else if (f == "disabled")
            fl.disabled = true;
        else if (f == "hidden")
            fl.hidden = true;
        else if (f == "readonly")
            fl.readOnly = true;
        else if (f == "upper")
            fl.upper = true;
        else if (f == "caps")
            fl.capitalised = true;
        else if (f == "password")
            fl.password = true;
        else if (f == "checked")
            fl.checked = true;
        else if (f == "skip")
            fl.skip = true;
        else if (f == "vscroll")
            fl.vscroll = true;
        else if (f == "hscroll")
            fl.hscroll = true;
        else if (f == "transparent")
            fl.transparent = true;
        else if (f == "nocase")
            fl.noCase = true;
        else if (f == "resize")
            fl.resizableColumns = true;
        else
            throw ParseError{line, "unknown flag \"" + original + "\""};
    }

    void attribute(ControlDefinition& c, const Token& t, int line) {
        const std::string& k = t.key;
        if (k == "name")
            c.name = t.text;
        else if (k == "text")
            c.text = t.text;
        else if (k == "at")
            c.at = toRect(k, t.text, line);
        else if (k == "font")
            c.font = toFont(t.text, line);
        else if (k == "picture")
            c.picture = t.text;
        else if (k == "use")
            c.use = t.text;
        else if (k == "from")
            c.from = t.text;
        else if (k == "format")
            c.format = t.text;
        else if (k == "status")
            c.statusText = t.text;
        else if (k == "tip")
            c.tip = t.text;
        else if (k == "icon")
            c.icon = t.text;
        else if (k == "image")
            c.image = t.text;
        else if (k == "value")
            c.value = t.text;
        else if (k == "off")
            c.falseValue = t.text;
        else if (k == "key")
            c.key = t.text;
        else if (k == "std") {
            if (!isStandardAction(t.text))
                throw ParseError{line, "unknown standard action \"" + t.text + "\""};
            c.standard = t.text;
        } else if (k == "alert")
            c.alertKeys = wordList(t.text);
        else if (k == "items") {
            auto n = toNumber(t.text);
            if (!n || *n < 0 || *n > 10000)
                throw ParseError{line, "items needs a number of rows from 0 to 10000"};
            c.items = static_cast<int>(*n);
        } else if (k == "range") {
            auto comma = t.text.find(',');
            auto low =
                comma == std::string::npos ? std::nullopt : rangeNumber(t.text.substr(0, comma));
            auto high =
                comma == std::string::npos ? std::nullopt : rangeNumber(t.text.substr(comma + 1));
            if (!low || !high)
                throw ParseError{line, "range needs two numbers, low and high (range=0,99999.99)"};
            c.hasRange = true;
            c.rangeLow = *low;
            c.rangeHigh = *high;
        } else if (k == "step") {
            auto n = rangeNumber(t.text);
            if (!n || *n <= Decimal(0))
                throw ParseError{line, "step needs a positive number (step=5, step=0.1)"};
            c.step = *n;
        } else
            throw ParseError{line, "unknown attribute \"" + k + "\""};
    }

    std::string_view text_;
    std::string_view module_;
    std::vector<WindowDefinition> windows_;
    std::optional<WindowDefinition> window_;
    std::vector<std::size_t> blocks_; // indexes of the open container controls
    std::vector<int> parents_;        // per control: index of its container, -1 = window
};

} // namespace

DefinitionParseResult WindowDefinitionParser::parse(std::string_view text,
                                                    std::string_view module) {
    return Parser(text, module).run();
}

} // namespace host
