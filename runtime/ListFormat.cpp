#include "runtime/ListFormat.h"

#include "runtime/Queue.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace host {

namespace {

constexpr int largestUnits = 32767; // widths and indents, in dialog units
constexpr int unitsPerCharacter = 4;

char upperAscii(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::optional<Justification> justificationLetter(char c) {
    switch (upperAscii(c)) {
    case 'L':
        return Justification::Left;
    case 'R':
        return Justification::Right;
    case 'C':
        return Justification::Center;
    case 'D':
        return Justification::Decimal;
    default:
        return std::nullopt;
    }
}

char letterOf(Justification justification) {
    switch (justification) {
    case Justification::Left:
        return 'L';
    case Justification::Right:
        return 'R';
    case Justification::Center:
        return 'C';
    case Justification::Decimal:
        return 'D';
    }
    return 'L';
}

// A header has no decimal point: under a decimal column it sits on the right.
Justification defaultHeaderJustification(const ListColumn& column) {
    return column.justification == Justification::Decimal ? Justification::Right
                                                          : column.justification;
}

// Reads one format text; every method stops at the first fault and records it.
class FormatReader {
public:
    explicit FormatReader(std::string_view text) : text_(text) {}

    bool read(std::vector<ListColumn>& columns, std::vector<ListGroup>& groups,
              std::vector<std::string>& pictures);
    const ParseError& error() const { return error_; }

private:
    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    bool fail(std::size_t position, std::string message) {
        error_ = {position, std::move(message)};
        return false;
    }

    bool readColumn(ListColumn& column, std::string& picture);
    bool readNumber(int& number, bool allowSign, const char* what);
    bool readIndent(int& indent);
    // Flags up to the header; `icons` allows I and J (columns, not groups).
    template <typename Target> bool readFlags(Target& target, bool icons);
    // "~text~" and an optional justification with indent; absent when no '~' follows.
    bool readHeader(std::string& header, std::optional<Justification>& justification, int& indent,
                    bool& present);
    bool readPicture(std::string& picture);

    std::string_view text_;
    std::size_t at_ = 0;
    ParseError error_;
};

bool FormatReader::read(std::vector<ListColumn>& columns, std::vector<ListGroup>& groups,
                        std::vector<std::string>& pictures) {
    if (text_.empty())
        return fail(0, "the format has no columns");
    std::optional<std::size_t> groupStart; // position of the open '['
    while (!atEnd()) {
        char c = peek();
        if (c == '[') {
            if (groupStart)
                return fail(at_, "groups cannot be nested");
            groupStart = at_++;
            ListGroup group;
            group.firstColumn = static_cast<int>(columns.size()) + 1;
            groups.push_back(group);
            continue;
        }
        if (c == ']') {
            if (!groupStart)
                return fail(at_, "']' closes no group");
            ListGroup& group = groups.back();
            group.lastColumn = static_cast<int>(columns.size());
            if (group.lastColumn < group.firstColumn)
                return fail(*groupStart, "a group needs at least one column");
            ++at_;
            groupStart.reset();
            if (!readFlags(group, false))
                return false;
            std::optional<Justification> justification;
            bool present = false;
            if (!readHeader(group.header, justification, group.headerIndent, present))
                return false;
            if (justification)
                group.headerJustification = *justification;
            continue;
        }
        ListColumn column;
        std::string picture;
        if (!readColumn(column, picture))
            return false;
        column.group = groupStart ? static_cast<int>(groups.size()) : 0;
        columns.push_back(std::move(column));
        pictures.push_back(std::move(picture));
    }
    if (groupStart)
        return fail(*groupStart, "the group is not closed with ']'");
    return true;
}

bool FormatReader::readColumn(ListColumn& column, std::string& picture) {
    if (!std::isdigit(static_cast<unsigned char>(peek()))) {
        if (atEnd())
            return fail(at_, "the format ends where a column should start");
        return fail(at_, std::string("a column starts with its width, not '") + peek() + "'");
    }
    if (!readNumber(column.width, false, "column width"))
        return false;
    std::optional<Justification> justification = justificationLetter(peek());
    if (!justification || atEnd())
        return fail(at_, "expected the justification L, R, C or D after the width");
    column.justification = *justification;
    ++at_;
    if (peek() == '(' && !readIndent(column.indent))
        return false;
    if (!readFlags(column, true))
        return false;
    std::optional<Justification> headerJustification;
    bool present = false;
    if (!readHeader(column.header, headerJustification, column.headerIndent, present))
        return false;
    if (headerJustification) {
        column.headerJustification = *headerJustification;
    } else {
        column.headerJustification = defaultHeaderJustification(column);
        column.headerIndent = column.indent;
    }
    if (peek() == '@' && !readPicture(picture))
        return false;
    column.picture = picture;
    return true;
}

bool FormatReader::readNumber(int& number, bool allowSign, const char* what) {
    std::size_t start = at_;
    bool negative = false;
    if (allowSign && peek() == '-') {
        negative = true;
        ++at_;
    }
    if (!std::isdigit(static_cast<unsigned char>(peek())))
        return fail(at_, std::string("expected the digits of the ") + what);
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(peek()))) {
        value = value * 10 + (peek() - '0');
        if (value > largestUnits)
            return fail(start, std::string("the ") + what + " is larger than 32767");
        ++at_;
    }
    number = static_cast<int>(negative ? -value : value);
    return true;
}

bool FormatReader::readIndent(int& indent) {
    std::size_t open = at_++;
    if (!readNumber(indent, true, "indent"))
        return false;
    if (peek() != ')')
        return fail(atEnd() ? open : at_, "the indent is not closed with ')'");
    ++at_;
    return true;
}

template <typename Target> bool FormatReader::readFlags(Target& target, bool icons) {
    while (!atEnd()) {
        char c = upperAscii(peek());
        if (c == '|')
            target.rightBorder = true;
        else if (c == '_')
            target.underline = true;
        else if (c == 'F')
            target.fixed = true;
        else if (c == 'M')
            target.resizable = true;
        else if (icons && (c == 'I' || c == 'J')) {
            if constexpr (requires { target.icon; }) {
                target.icon = true;
                if (c == 'J')
                    target.transparentIcon = true;
            }
        } else
            return true;
        ++at_;
    }
    return true;
}

bool FormatReader::readHeader(std::string& header, std::optional<Justification>& justification,
                              int& indent, bool& present) {
    present = peek() == '~';
    if (!present)
        return true;
    std::size_t open = at_++;
    std::size_t close = text_.find('~', at_);
    if (close == std::string_view::npos)
        return fail(open, "the header text is not closed with '~'");
    header.assign(text_.substr(at_, close - at_));
    at_ = close + 1;
    std::optional<Justification> letter = justificationLetter(peek());
    if (!letter || atEnd())
        return true;
    if (*letter == Justification::Decimal)
        return fail(at_, "a header is justified L, R or C");
    justification = letter;
    ++at_;
    indent = 0;
    if (peek() == '(')
        return readIndent(indent);
    return true;
}

bool FormatReader::readPicture(std::string& picture) {
    std::size_t open = at_;
    std::size_t close = text_.find('@', open + 1);
    if (close == std::string_view::npos)
        return fail(open, "the picture is not closed with '@'");
    if (close == open + 1)
        return fail(open, "the picture is empty");
    picture.assign(text_.substr(open, close - open));
    at_ = close + 1;
    return true;
}

// The part of a picture's output the user reads: numbers, dates and times lose the
// blanks the picture pads them with; texts and patterns keep their leading blanks,
// which belong to the value.
std::string_view visiblePart(std::string_view text, std::string_view picture) {
    std::size_t end = text.find_last_not_of(' ');
    if (end == std::string_view::npos)
        return {};
    text = text.substr(0, end + 1);
    char kind = picture.size() > 1 ? upperAscii(picture[1]) : 'S';
    if (kind == 'S' || kind == 'P' || kind == 'K')
        return text;
    return text.substr(text.find_first_not_of(' '));
}

// The picture's text for a value. The one place where a cell meets the picture
// formatter.
std::string pictureText(const Picture* picture, std::string_view pictureSource,
                        const Value& value) {
    (void)picture;
    (void)pictureSource;
    return value.toText();
}

// Writes `text` into the cell [start, start + width) of `line`.
void place(std::string& line, int start, int width, std::string_view text,
           Justification justification, int indentUnits) {
    int indent = indentUnits / unitsPerCharacter;
    int length = static_cast<int>(text.size());
    int offset = 0;
    switch (justification) {
    case Justification::Left:
        offset = indent;
        break;
    case Justification::Right:
        offset = width - indent - length;
        break;
    case Justification::Center:
        offset = (width - length) / 2 + indent;
        break;
    case Justification::Decimal: {
        std::size_t point = text.find('.');
        int before = point == std::string_view::npos ? length : static_cast<int>(point);
        offset = width - indent - before;
        break;
    }
    }
    offset = std::max(0, offset);
    for (int i = 0; i < length && offset + i < width; ++i)
        line[static_cast<std::size_t>(start + offset + i)] = text[static_cast<std::size_t>(i)];
}

int characterAt(long long units) {
    return static_cast<int>((units + unitsPerCharacter / 2) / unitsPerCharacter);
}

void dropTrailingBlanks(std::string& line) {
    std::size_t end = line.find_last_not_of(' ');
    line.resize(end == std::string::npos ? 0 : end + 1);
}

} // namespace

std::optional<ListFormat> ListFormat::parse(std::string_view text, ParseError* error) {
    ListFormat format;
    std::vector<std::string> pictures;
    FormatReader reader(text);
    if (!reader.read(format.columns_, format.groups_, pictures)) {
        if (error)
            *error = reader.error();
        return std::nullopt;
    }
    int field = 1;
    for (ListColumn& column : format.columns_) {
        column.field = field++;
        if (column.icon)
            column.iconField = field++;
    }
    format.pictures_.resize(format.columns_.size());
    return format;
}

int ListFormat::fieldsUsed() const {
    if (columns_.empty())
        return 0;
    const ListColumn& last = columns_.back();
    return std::max(last.field, last.iconField);
}

std::string ListFormat::formatValue(int column, const Value& value) const {
    if (column < 1 || column > columnCount())
        return {};
    const ListColumn& c = columns_[static_cast<std::size_t>(column - 1)];
    std::string text =
        pictureText(pictures_[static_cast<std::size_t>(column - 1)].get(), c.picture, value);
    std::string_view visible = visiblePart(text, c.picture);
    if (visible.size() != text.size())
        return std::string(visible);
    return text;
}

ListCell ListFormat::formatCell(const Queue& queue, std::size_t row, int column) const {
    ListCell cell;
    if (column < 1 || column > columnCount())
        return cell;
    const ListColumn& c = columns_[static_cast<std::size_t>(column - 1)];
    if (TypedRef text = queue.entryField(row, c.field))
        cell.text = formatValue(column, text.value());
    if (c.iconField != 0) {
        if (TypedRef icon = queue.entryField(row, c.iconField)) {
            long long number = icon.integer();
            cell.icon = number > 0 && number <= std::numeric_limits<int>::max()
                            ? static_cast<int>(number)
                            : 0;
        }
    }
    return cell;
}

std::vector<ListCell> ListFormat::formatRow(const Queue& queue, std::size_t row) const {
    std::vector<ListCell> cells;
    formatRow(queue, row, cells);
    return cells;
}

void ListFormat::formatRow(const Queue& queue, std::size_t row,
                           std::vector<ListCell>& cells) const {
    cells.resize(columns_.size());
    for (int column = 1; column <= columnCount(); ++column)
        cells[static_cast<std::size_t>(column - 1)] = formatCell(queue, row, column);
}

int ListFormat::columnAt(int x, std::span<const int> widths) {
    if (x < 0 || widths.empty())
        return 0;
    long long right = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        right += std::max(0, widths[i]);
        if (x < right)
            return static_cast<int>(i) + 1;
    }
    return static_cast<int>(widths.size());
}

int ListFormat::columnAt(int x) const {
    std::vector<int> widths;
    widths.reserve(columns_.size());
    for (const ListColumn& column : columns_)
        widths.push_back(column.width);
    return columnAt(x, widths);
}

int ListFormat::columnLeft(int number) const {
    if (number < 1 || number > columnCount())
        return -1;
    long long left = 0;
    for (int i = 1; i < number; ++i)
        left += columns_[static_cast<std::size_t>(i - 1)].width;
    return static_cast<int>(std::min<long long>(left, std::numeric_limits<int>::max()));
}

bool ListFormat::setColumnWidth(int number, int width) {
    if (number < 1 || number > columnCount())
        return false;
    columns_[static_cast<std::size_t>(number - 1)].width = std::clamp(width, 0, largestUnits);
    return true;
}

std::string ListFormat::toText() const {
    auto appendFlags = [](std::string& out, const auto& item) {
        if (item.rightBorder)
            out += '|';
        if (item.underline)
            out += '_';
        if (item.fixed)
            out += 'F';
        if (item.resizable)
            out += 'M';
    };
    auto appendHeader = [](std::string& out, const std::string& header, Justification actual,
                           int actualIndent, Justification usual, int usualIndent) {
        bool explicitJustification = actual != usual || actualIndent != usualIndent;
        if (header.empty() && !explicitJustification)
            return;
        out += '~';
        out += header;
        out += '~';
        if (explicitJustification) {
            out += letterOf(actual);
            out += '(' + std::to_string(actualIndent) + ')';
        }
    };
    std::string out;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ListColumn& column = columns_[i];
        int number = static_cast<int>(i) + 1;
        const ListGroup* group =
            column.group > 0 ? &groups_[static_cast<std::size_t>(column.group - 1)] : nullptr;
        if (group && group->firstColumn == number)
            out += '[';
        out += std::to_string(column.width);
        out += letterOf(column.justification);
        if (column.indent != 0)
            out += '(' + std::to_string(column.indent) + ')';
        appendFlags(out, column);
        if (column.icon)
            out += column.transparentIcon ? 'J' : 'I';
        appendHeader(out, column.header, column.headerJustification, column.headerIndent,
                     defaultHeaderJustification(column), column.indent);
        if (!column.picture.empty())
            out += column.picture + '@';
        if (group && group->lastColumn == number) {
            out += ']';
            appendFlags(out, *group);
            appendHeader(out, group->header, group->headerJustification, group->headerIndent,
                         Justification::Center, 0);
        }
    }
    return out;
}

std::vector<std::string> ListFormat::renderHeader() const {
    std::vector<int> starts;
    long long units = 0;
    for (const ListColumn& column : columns_) {
        starts.push_back(characterAt(units));
        units += column.width;
    }
    starts.push_back(characterAt(units));
    std::string line(static_cast<std::size_t>(starts.back()), ' ');
    std::vector<std::string> lines;
    if (!groups_.empty()) {
        std::string groupLine = line;
        for (const ListGroup& group : groups_) {
            int start = starts[static_cast<std::size_t>(group.firstColumn - 1)];
            int end = starts[static_cast<std::size_t>(group.lastColumn)];
            place(groupLine, start, end - start, group.header, group.headerJustification,
                  group.headerIndent);
        }
        dropTrailingBlanks(groupLine);
        lines.push_back(std::move(groupLine));
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ListColumn& column = columns_[i];
        place(line, starts[i], starts[i + 1] - starts[i], column.header, column.headerJustification,
              column.headerIndent);
    }
    dropTrailingBlanks(line);
    lines.push_back(std::move(line));
    return lines;
}

std::string ListFormat::renderRow(const std::vector<ListCell>& cells) const {
    std::string line;
    long long units = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ListColumn& column = columns_[i];
        int start = characterAt(units);
        units += column.width;
        int end = characterAt(units);
        line.resize(static_cast<std::size_t>(end), ' ');
        if (i < cells.size())
            place(line, start, end - start, cells[i].text, column.justification, column.indent);
    }
    dropTrailingBlanks(line);
    return line;
}

} // namespace host
