#include "runtime/ui/ListFormat.h"

#include "runtime/base/Queue.h"
#include "runtime/pictures/Picture.h"
#include "runtime/ui/ListFormatReader.h"

#include <algorithm>
#include <limits>

namespace host {

namespace {

constexpr int unitsPerCharacter = 4;

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

// The part of a picture's output the user reads: numbers, dates and times lose the
// blanks the picture pads them with; texts and patterns keep their leading blanks,
// which belong to the value.
std::string_view visiblePart(std::string_view text, const Picture* picture) {
    std::size_t end = text.find_last_not_of(' ');
    if (end == std::string_view::npos)
        return {};
    text = text.substr(0, end + 1);
    if (!picture || !picture->isNumeric())
        return text;
    return text.substr(text.find_first_not_of(' '));
}

int characterAt(long long units) {
    return static_cast<int>((units + unitsPerCharacter / 2) / unitsPerCharacter);
}

// Writes `text` into the cell [start, start + width) of `line`.
void place(std::string& line, int start, int width, std::string_view text,
           Justification justification, int indentUnits) {
    int indent = indentUnits >= 0 ? characterAt(indentUnits) : -characterAt(-indentUnits);
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

void dropTrailingBlanks(std::string& line) {
    std::size_t end = line.find_last_not_of(' ');
    line.resize(end == std::string::npos ? 0 : end + 1);
}

} // namespace

std::optional<ListFormat> ListFormat::parse(std::string_view text, ParseError* error) {
    ListFormat format;
    std::vector<std::size_t> picturePositions;
    ListFormatReader reader(text);
    if (!reader.read(format.columns_, format.groups_, picturePositions)) {
        if (error)
            *error = reader.error();
        return std::nullopt;
    }
    for (std::size_t i = 0; i < format.columns_.size(); ++i) {
        const std::string& source = format.columns_[i].picture;
        if (source.empty()) {
            format.pictures_.emplace_back();
            continue;
        }
        std::optional<Picture> picture = Picture::parse(source);
        if (!picture) {
            if (error)
                *error = {picturePositions[i], "the picture " + source + " is not a picture"};
            return std::nullopt;
        }
        format.pictures_.push_back(std::make_shared<const Picture>(std::move(*picture)));
    }
    int field = 1;
    for (ListColumn& column : format.columns_) {
        column.field = field++;
        if (column.icon)
            column.iconField = field++;
    }
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
    const Picture* picture = pictures_[static_cast<std::size_t>(column - 1)].get();
    std::string text = picture ? picture->format(value) : value.toText();
    std::string_view visible = visiblePart(text, picture);
    if (visible.size() != text.size())
        return std::string(visible);
    return text;
}

ListCell ListFormat::formatCell(const Queue& queue, std::size_t row, int column) const {
    ListCell cell;
    if (column < 1 || column > columnCount())
        return cell;
    const ListColumn& c = columns_[static_cast<std::size_t>(column - 1)];
    if (TypedRef text = queue.entryField(row, c.field)) {
        const Picture* picture = pictures_[static_cast<std::size_t>(column - 1)].get();
        if (picture && picture->isText() && text.type().kind == FieldKind::Text) {
            // The commonest cell, a text under a text picture, straight from the row's
            // bytes: cut to the picture's width, without the blanks after it, as the
            // picture and the visible part make it.
            std::string_view bytes(reinterpret_cast<const char*>(text.address()),
                                   std::min<std::size_t>(text.type().size, static_cast<std::size_t>(
                                                                               picture->width())));
            std::size_t end = bytes.find_last_not_of(' ');
            cell.text.assign(end == std::string_view::npos ? std::string_view()
                                                           : bytes.substr(0, end + 1));
        } else {
            cell.text = formatValue(column, text.value());
        }
    }
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
    columns_[static_cast<std::size_t>(number - 1)].width = std::clamp(width, 0, LargestUnits);
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
                     column.usualHeaderJustification(), column.indent);
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
