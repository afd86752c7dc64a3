#include "runtime/ui/ListFormatReader.h"

#include <cctype>

namespace host {

namespace {

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

} // namespace

bool ListFormatReader::read(std::vector<ListColumn>& columns, std::vector<ListGroup>& groups,
                            std::vector<std::size_t>& picturePositions) {
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
        std::size_t picturePosition = 0;
        if (!readColumn(column, picturePosition))
            return false;
        column.group = groupStart ? static_cast<int>(groups.size()) : 0;
        columns.push_back(std::move(column));
        picturePositions.push_back(picturePosition);
    }
    if (groupStart)
        return fail(*groupStart, "the group is not closed with ']'");
    return true;
}

bool ListFormatReader::readColumn(ListColumn& column, std::size_t& picturePosition) {
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
        column.headerJustification = column.usualHeaderJustification();
        column.headerIndent = column.indent;
    }
    picturePosition = at_;
    if (peek() == '@' && !readPicture(column.picture))
        return false;
    return true;
}

bool ListFormatReader::readNumber(int& number, bool allowSign, const char* what) {
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
        if (value > ListFormat::LargestUnits)
            return fail(start, std::string("the ") + what + " is larger than 32767");
        ++at_;
    }
    number = static_cast<int>(negative ? -value : value);
    return true;
}

bool ListFormatReader::readIndent(int& indent) {
    std::size_t open = at_++;
    if (!readNumber(indent, true, "indent"))
        return false;
    if (peek() != ')')
        return fail(atEnd() ? open : at_, "the indent is not closed with ')'");
    ++at_;
    return true;
}

template <typename Target> bool ListFormatReader::readFlags(Target& target, bool icons) {
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

bool ListFormatReader::readHeader(std::string& header, std::optional<Justification>& justification,
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

bool ListFormatReader::readPicture(std::string& picture) {
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

} // namespace host
