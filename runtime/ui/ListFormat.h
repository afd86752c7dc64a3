#pragma once

#include "runtime/base/ParseError.h"
#include "runtime/base/Value.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class Picture;
class Queue;

// Where a text sits in its cell. The indent is read against it: from the left edge
// (Left), from the right edge (Right), away from the middle (Center), or the distance
// of the decimal point from the right edge (Decimal).
enum class Justification : std::uint8_t { Left, Right, Center, Decimal };

// One column of a list box, as its format text describes it. Widths and indents are in
// dialog units (four to an average character).
struct ListColumn {
    int width = 0;
    Justification justification = Justification::Left;
    int indent = 0;
    std::string header;
    Justification headerJustification = Justification::Left;
    int headerIndent = 0;
    std::string picture;          // "@n8.2"; empty: the value is shown as stored
    bool rightBorder = false;     // '|': a line on the right edge
    bool underline = false;       // '_': a line under every cell (a grid with '|')
    bool fixed = false;           // 'F': stays in view when the list scrolls sideways
    bool resizable = false;       // 'M': the user may drag its right edge
    bool icon = false;            // 'I' or 'J': an icon before the text
    bool transparentIcon = false; // 'J': the icon is drawn transparently
    int group = 0;                // 1-based group holding the column; 0 = none
    int field = 0;                // queue field shown as the cell text
    int iconField = 0;            // queue field holding the icon number; 0 = no icon

    // Where the header sits when the format does not say: as the column, except that
    // over decimal-aligned numbers (a header has no decimal point) it sits on the right.
    Justification usualHeaderJustification() const {
        return justification == Justification::Decimal ? Justification::Right : justification;
    }

    friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

// Columns that share a header above their own ("[...]" in the format text).
struct ListGroup {
    std::string header;
    Justification headerJustification = Justification::Center;
    int headerIndent = 0;
    bool rightBorder = false;
    bool underline = false;
    bool fixed = false;
    bool resizable = false;
    int firstColumn = 0; // 1-based, inclusive
    int lastColumn = 0;

    friend bool operator==(const ListGroup&, const ListGroup&) = default;
};

// What one cell shows: its text and the number of its icon in the list's icon table
// (0 = no icon).
struct ListCell {
    std::string text;
    int icon = 0;

    friend bool operator==(const ListCell&, const ListCell&) = default;
};

// A list box format, parsed once: its columns, their groups and pictures, and the queue
// fields that feed them. Columns take queue fields in order; an icon column takes two,
// its text and then its icon number. Fields after the last column stay in the row
// unseen (ids, the view position). See docs/list-formats.md for the letters.
class ListFormat {
public:
    // The largest width or indent, in dialog units.
    static constexpr int LargestUnits = 32767;

    // Reads a format text. Bad text gives nothing and, when asked, where and why.
    static std::optional<ListFormat> parse(std::string_view text, ParseError* error = nullptr);

    const std::vector<ListColumn>& columns() const { return columns_; }
    int columnCount() const { return static_cast<int>(columns_.size()); }
    // 1-based.
    const ListColumn& column(int number) const {
        return columns_.at(static_cast<std::size_t>(number - 1));
    }
    const std::vector<ListGroup>& groups() const { return groups_; }
    // Lines the header takes above the rows: none without columns, two when columns are
    // grouped (the groups' line over the columns' own), else one.
    int headerLines() const { return columns_.empty() ? 0 : (groups_.empty() ? 1 : 2); }
    // The number of queue fields the columns read (the highest field number).
    int fieldsUsed() const;

    // The cell of `column` (1-based) in queue entry `row` (1-based) as the user sees it:
    // the field through the column's picture, without the padding blanks the picture
    // adds, and the icon number. A row, column or field that does not exist gives an
    // empty cell.
    ListCell formatCell(const Queue& queue, std::size_t row, int column) const;
    std::vector<ListCell> formatRow(const Queue& queue, std::size_t row) const;
    // The same into `cells`, reusing its storage (one call per row of a page).
    void formatRow(const Queue& queue, std::size_t row, std::vector<ListCell>& cells) const;
    // The text a value shows in `column`.
    std::string formatValue(int column, const Value& value) const;

    // The 1-based column under horizontal position `x` (dialog units from the list's
    // left edge), 0 left of the list. The last column reaches to the list's right edge.
    int columnAt(int x) const;
    static int columnAt(int x, std::span<const int> widths);
    // Where column `number` begins, in dialog units; -1 when there is no such column.
    int columnLeft(int number) const;
    // The user dragged a column's edge. Widths stay within 0 to 32767; false when there
    // is no such column.
    bool setColumnWidth(int number, int width);

    // The format text of the columns as they are now (widths included), in the
    // canonical spelling: parsing it gives this format back.
    std::string toText() const;

    // A character rendering, four dialog units to a character, for windows without a
    // display: the header line(s) (the group headers first when there are groups) and
    // one row's cells, each text placed by its column's justification and indent.
    // Trailing blanks are dropped.
    std::vector<std::string> renderHeader() const;
    std::string renderRow(const std::vector<ListCell>& cells) const;

private:
    std::vector<ListColumn> columns_;
    std::vector<ListGroup> groups_;
    // The parsed picture of each column (null: none), shared between copies.
    std::vector<std::shared_ptr<const Picture>> pictures_;
};

} // namespace host
