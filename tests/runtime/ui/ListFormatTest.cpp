#include "runtime/ui/ListFormat.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Queue.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

// The list formats of the program's windows.
constexpr const char* customerFormat =
    "124L|M~Name~@s30@31L|M~Number~@s4@55L|M~Phone~@s10@80L|M~Contact~@s20@";
constexpr const char* itemFormat =
    "43L(2)|_FM~Number~C(0)@s10@100L(2)|_FM~Description~@s30@83L|_M~Image~L(2)@s255@21C|_M~"
    "UOM~@s2@[35C|_M~List~@n8.2@34C|_M~Sell~@n8.2@43C|_M~Cost~@n8.2@]|M~Pricing~";
constexpr const char* invoiceFormat =
    "37R(1)|M~Invoice~C(0)@n07@48R(1)|M~Date~C(0)@d2b@120L(2)|M~Customer Name~@s30@";
constexpr const char* lineFormat =
    "32C|_FM~Sequence~@n_4@40C|_FM~Item~@s10@108L(2)|_FM~Description~@s30@23R(2)|_FM~Qty~C(0)"
    "@n5@[32D(12)|_FM~Cost~C(0)@n-7.2@34D(12)|_FM~List~C(0)@n8.2@31R(2)|_FM~Sell~C(0)@n8.2@]|"
    "FM~Pricing Information~26C|_FMI~Print?~@p p@42D(14)|_FM~Extended~C(0)@n$9.2@";

ListFormat parsed(const char* text) {
    ParseError error;
    std::optional<ListFormat> format = ListFormat::parse(text, &error);
    EXPECT_TRUE(format) << text << ": " << error.message << " at " << error.position;
    return format ? *format : ListFormat();
}

std::vector<std::string> headersOf(const ListFormat& format) {
    std::vector<std::string> headers;
    for (const ListColumn& column : format.columns())
        headers.push_back(column.header);
    return headers;
}

// What the program's formats say that the rendering tests below do not show.
TEST(ListFormat, ReadsTheProgramsListsGroupsAndIconFields) {
    ListFormat customers = parsed(customerFormat);
    EXPECT_EQ(headersOf(customers),
              (std::vector<std::string>{"Name", "Number", "Phone", "Contact"}));
    EXPECT_TRUE(customers.column(1).rightBorder && customers.column(1).resizable);
    EXPECT_FALSE(customers.column(1).fixed || customers.column(1).underline);
    EXPECT_TRUE(customers.groups().empty());
    EXPECT_EQ(customers.fieldsUsed(), 4);

    ListFormat items = parsed(itemFormat);
    const ListColumn& number = items.column(1);
    EXPECT_TRUE(number.rightBorder && number.underline && number.fixed && number.resizable);
    EXPECT_EQ(number.headerJustification, Justification::Center);
    EXPECT_EQ(number.headerIndent, 0);
    // Without its own justification a header follows its column, indent and all.
    EXPECT_EQ(items.column(2).headerJustification, Justification::Left);
    EXPECT_EQ(items.column(2).headerIndent, 2);
    EXPECT_EQ(items.column(3).indent, 0);
    EXPECT_EQ(items.column(3).headerIndent, 2);
    ASSERT_EQ(items.groups().size(), 1u);
    const ListGroup& pricing = items.groups()[0];
    EXPECT_EQ(pricing.firstColumn, 5);
    EXPECT_EQ(pricing.lastColumn, 7);
    EXPECT_TRUE(pricing.rightBorder && pricing.resizable && !pricing.fixed);
    EXPECT_EQ(items.column(4).group, 0);
    EXPECT_EQ(items.column(5).group, 1);

    // An icon column takes the next field for its icon number; later columns move on.
    ListFormat lines = parsed(lineFormat);
    const ListColumn& print = lines.column(8);
    EXPECT_TRUE(print.icon && !print.transparentIcon);
    EXPECT_EQ(print.field, 8);
    EXPECT_EQ(print.iconField, 9);
    EXPECT_EQ(lines.column(9).field, 10);
    EXPECT_EQ(lines.column(9).iconField, 0);
    EXPECT_EQ(lines.fieldsUsed(), 10);
    EXPECT_TRUE(lines.groups()[0].fixed);
    EXPECT_EQ(lines.column(8).group, 0);
}

TEST(ListFormat, LettersAndTransparentIcons) {
    ListFormat format = parsed("20l(3)j~a~r(-2)@s5@10d~b~");
    EXPECT_EQ(format.column(1).justification, Justification::Left);
    EXPECT_TRUE(format.column(1).icon && format.column(1).transparentIcon);
    EXPECT_EQ(format.column(1).headerJustification, Justification::Right);
    EXPECT_EQ(format.column(1).headerIndent, -2);
    EXPECT_EQ(format.column(2).justification, Justification::Decimal);
    // A header over decimal-aligned numbers sits on the right.
    EXPECT_EQ(format.column(2).headerJustification, Justification::Right);
    EXPECT_EQ(format.column(2).picture, "");
    EXPECT_EQ(format.column(2).field, 3);
}

// A queue of one row layout, and a way to add rows to it field by field.
struct RowQueue {
    explicit RowQueue(std::initializer_list<std::pair<std::string, FieldType>> fields)
        : queue(std::make_shared<const RecordLayout>(fields)) {}
    RowQueue& add(std::initializer_list<Value> values) {
        queue.buffer().clear();
        int field = 1;
        for (const Value& value : values)
            queue.buffer().field(field++).assign(value);
        queue.add();
        return *this;
    }
    Queue queue;
};

Value money(const char* text) {
    return Value(*Decimal::parse(text));
}

std::vector<std::string> textsOf(const std::vector<ListCell>& cells) {
    std::vector<std::string> texts;
    for (const ListCell& cell : cells)
        texts.push_back(cell.text);
    return texts;
}

TEST(ListFormat, ShowsCustomerRows) {
    ListFormat format = parsed(customerFormat);
    RowQueue rows{{"NAME", FieldType::text(30)},    {"NUMBER", FieldType::text(4)},
                  {"PHONE", FieldType::text(10)},   {"CONTACT", FieldType::text(20)},
                  {"ID", FieldType::longInteger()}, {"POSITION", FieldType::text(1024)}};
    rows.add({"Acme Tools", "A001", "5551234567", " Jo Smith", 7});
    std::vector<ListCell> cells = format.formatRow(rows.queue, 1);
    // Texts lose their trailing blanks but keep leading ones.
    EXPECT_EQ(textsOf(cells),
              (std::vector<std::string>{"Acme Tools", "A001", "5551234567", " Jo Smith"}));
    EXPECT_EQ(
        format.renderHeader(),
        (std::vector<std::string>{"Name                           Number  Phone         Contact"}));
    EXPECT_EQ(format.renderRow(cells),
              "Acme Tools                     A001    5551234567     Jo Smith");
}

TEST(ListFormat, TextCellsComeOutAsTheirPictureFormatsThem) {
    // Text cells are cut from the row's bytes directly; each must read as the picture
    // formats the field's value: pictures narrower, as wide and wider than the field, and
    // texts with blanks before, inside and after them, or nothing but blanks.
    ListFormat format = parsed("20L|M~A~@s3@20L|M~B~@s6@20L|M~C~@s12@");
    RowQueue rows{{"A", FieldType::text(6)}, {"B", FieldType::text(6)}, {"C", FieldType::text(6)}};
    for (const char* text : {"", " ", "ab", "abcdef", " a b  ", "   xyz", "abc   "}) {
        rows.add({Value(text), Value(text), Value(text)});
        std::size_t row = rows.queue.count();
        for (int column = 1; column <= 3; ++column)
            EXPECT_EQ(format.formatCell(rows.queue, row, column).text,
                      format.formatValue(column, rows.queue.entryField(row, column).value()))
                << "'" << text << "' in column " << column;
    }
}

TEST(ListFormat, ShowsItemRowsWithPrices) {
    ListFormat format = parsed(itemFormat);
    RowQueue rows{{"NUMBER", FieldType::text(10)},       {"DESCRIPTION", FieldType::text(30)},
                  {"ICONFILE", FieldType::cstring(256)}, {"UOM", FieldType::text(2)},
                  {"LIST", FieldType::decimal(7, 2)},    {"SELL", FieldType::decimal(7, 2)},
                  {"COST", FieldType::decimal(7, 2)},    {"ID", FieldType::longInteger()},
                  {"POSITION", FieldType::text(1024)}};
    rows.add(
        {"HAMMER", "Claw hammer", "hammer.gif", "EA", money("18"), money("1234.5"), money("10")});
    EXPECT_EQ(textsOf(format.formatRow(rows.queue, 1)),
              (std::vector<std::string>{"HAMMER", "Claw hammer", "hammer.gif", "EA", "18.00",
                                        "1,234.50", "10.00"}));
    std::vector<std::string> header = format.renderHeader();
    ASSERT_EQ(header.size(), 2u);
    // "Pricing" is centred over its three columns (characters 62 to 89).
    EXPECT_EQ(header[0], std::string(72, ' ') + "Pricing");
    EXPECT_EQ(header[1], "  Number    Description              Image                UOM   List"
                         "     Sell     Cost");
    EXPECT_EQ(format.renderRow(format.formatRow(rows.queue, 1)),
              " HAMMER     Claw hammer             hammer.gif            EA    18.00  1,234.50   "
              "10.00");
}

TEST(ListFormat, ShowsInvoiceRows) {
    ListFormat format = parsed(invoiceFormat);
    RowQueue rows{{"NUMBER", FieldType::longInteger()}, {"DATE", FieldType::date()},
                  {"NAME", FieldType::text(30)},        {"ID", FieldType::longInteger()},
                  {"CUSTOMER", FieldType::text(4)},     {"POSITION", FieldType::text(1024)}};
    rows.add({42, dayNumber(2024, 12, 25), "Acme Tools"});
    rows.add({43, 0, ""}); // undated, customer gone
    EXPECT_EQ(textsOf(format.formatRow(rows.queue, 1)),
              (std::vector<std::string>{"0000042", "12/25/2024", "Acme Tools"}));
    EXPECT_EQ(textsOf(format.formatRow(rows.queue, 2)),
              (std::vector<std::string>{"0000043", "", ""}));
    EXPECT_EQ(format.renderRow(format.formatRow(rows.queue, 1)),
              "  0000042  12/25/2024 Acme Tools");
}

TEST(ListFormat, ShowsInvoiceLinesWithThePrintIcon) {
    ListFormat format = parsed(lineFormat);
    RowQueue rows{{"SEQUENCE", FieldType::longInteger()}, {"ITEM", FieldType::text(10)},
                  {"DESCRIPTION", FieldType::text(30)},   {"QUANTITY", FieldType::longInteger()},
                  {"COST", FieldType::decimal(7, 2)},     {"LIST", FieldType::decimal(7, 2)},
                  {"SELL", FieldType::decimal(7, 2)},     {"PRINT", FieldType::text(1)},
                  {"ICON", FieldType::unsignedShort()},   {"EXTENDED", FieldType::decimal(7, 2)},
                  {"LINEID", FieldType::longInteger()},   {"HEADERID", FieldType::longInteger()},
                  {"POSITION", FieldType::text(1024)}};
    rows.add({10, "HAMMER", "Claw hammer", 3, money("10"), money("18"), money("18"), "1", 2,
              money("54")});
    rows.add({20, "NAIL", "Nails", 1, money("-0.5"), money("0"), money("0"), "0", 1, money("0")});
    std::vector<ListCell> first = format.formatRow(rows.queue, 1);
    EXPECT_EQ(textsOf(first), (std::vector<std::string>{"10", "HAMMER", "Claw hammer", "3", "10.00",
                                                        "18.00", "18.00", "", "$54.00"}));
    EXPECT_EQ(first[7].icon, 2); // "Print?" shows only its icon
    EXPECT_EQ(first[8].icon, 0);
    std::vector<ListCell> second = format.formatRow(rows.queue, 2);
    EXPECT_EQ(second[4].text, "-0.50");
    EXPECT_EQ(second[7].icon, 1);
    // Decimal columns line their points up: Cost's point sits 3 characters from the
    // right edge of its 8-character cell.
    std::string one = format.renderRow(first);
    std::string two = format.renderRow(second);
    EXPECT_EQ(one.find('.', 50), two.find('.', 50));
    EXPECT_EQ(format.renderHeader()[0].find("Pricing Information"), 53u);
}

TEST(ListFormat, MissingRowsColumnsAndFieldsGiveEmptyCells) {
    ListFormat format = parsed(lineFormat);
    RowQueue rows{{"SEQUENCE", FieldType::longInteger()}, {"ITEM", FieldType::text(10)}};
    rows.add({10, "HAMMER"});
    EXPECT_EQ(format.formatCell(rows.queue, 1, 2).text, "HAMMER");
    EXPECT_EQ(format.formatCell(rows.queue, 1, 3), ListCell{}); // the row has no field 3
    EXPECT_EQ(format.formatCell(rows.queue, 1, 8), ListCell{}); // nor an icon field
    EXPECT_EQ(format.formatCell(rows.queue, 2, 1), ListCell{});
    EXPECT_EQ(format.formatCell(rows.queue, 0, 1), ListCell{});
    EXPECT_EQ(format.formatCell(rows.queue, 1, 0), ListCell{});
    EXPECT_EQ(format.formatCell(rows.queue, 1, 10), ListCell{});
    EXPECT_EQ(format.formatRow(rows.queue, 5).size(), 9u);
    // Negative icon numbers show no icon.
    ListFormat icons = parsed("10LI@s1@");
    RowQueue iconRows{{"TEXT", FieldType::text(1)}, {"ICON", FieldType::longInteger()}};
    iconRows.add({"x", -3});
    EXPECT_EQ(icons.formatCell(iconRows.queue, 1, 1), (ListCell{"x", 0}));
    // A column without a picture shows the value as stored, less trailing blanks.
    EXPECT_EQ(parsed("10L").formatValue(1, Value("ab  ")), "ab");
}

TEST(ListFormat, BadTextFailsWithItsPosition) {
    struct Case {
        const char* text;
        std::size_t position;
    };
    const Case cases[] = {
        {"", 0},              // no columns
        {"L~Name~", 0},       // no width
        {"20~Name~", 2},      // no justification
        {"20", 2},            // ends after the width
        {"20L(3", 3},         // indent not closed
        {"20L(x)", 4},        // indent without digits
        {"20L~Name", 3},      // header not closed
        {"20L~Name~@s20", 9}, // picture not closed
        {"20L@@", 3},         // empty picture
        {"20L~a~D@s1@", 6},   // a header cannot be decimal-aligned
        {"20L[10L[5L]]", 7},  // nested group
        {"20L]", 3},          // ']' without '['
        {"[20L10R", 0},       // group not closed
        {"[]~x~", 0},         // empty group
        {"20L@s1@ 10L", 7},   // blank between columns
        {"20L@s1@x", 7},      // stray letter
        {"99999L", 0},        // width beyond 32767
        {"20L(-99999)", 4},   // indent beyond 32767
        {"[20L]I~x~", 5},     // icons belong to columns, not groups
    };
    for (const Case& c : cases) {
        ParseError error;
        EXPECT_FALSE(ListFormat::parse(c.text, &error)) << c.text;
        EXPECT_EQ(error.position, c.position) << c.text << ": " << error.message;
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(ListFormat, TextRoundTripsInCanonicalSpelling) {
    for (const char* text : {customerFormat, itemFormat, invoiceFormat, lineFormat}) {
        ListFormat format = parsed(text);
        EXPECT_EQ(format.toText(), text);
        std::optional<ListFormat> again = ListFormat::parse(format.toText());
        ASSERT_TRUE(again);
        EXPECT_EQ(again->columns(), format.columns());
        EXPECT_EQ(again->groups(), format.groups());
    }
    // Lower-case letters, repeated flags and a header that restates its default.
    EXPECT_EQ(parsed("20l(2)mm|~a~l(2)@s4@").toText(), "20L(2)|M~a~@s4@");
    EXPECT_EQ(parsed("20L~~C").toText(), "20L~~C(0)");
}

TEST(ListFormat, ColumnUnderTheMouse) {
    ListFormat format = parsed(customerFormat); // 124, 31, 55, 80
    EXPECT_EQ(format.columnAt(-1), 0);
    EXPECT_EQ(format.columnAt(0), 1);
    EXPECT_EQ(format.columnAt(123), 1);
    EXPECT_EQ(format.columnAt(124), 2);
    EXPECT_EQ(format.columnAt(154), 2);
    EXPECT_EQ(format.columnAt(155), 3);
    EXPECT_EQ(format.columnAt(289), 4);
    EXPECT_EQ(format.columnAt(5000), 4); // the last column reaches the right edge
    EXPECT_EQ(format.columnLeft(3), 155);
    EXPECT_EQ(format.columnLeft(5), -1);

    // The user widens the Name column.
    EXPECT_TRUE(format.setColumnWidth(1, 200));
    EXPECT_EQ(format.columnAt(150), 1);
    EXPECT_EQ(format.columnAt(200), 2);
    EXPECT_FALSE(format.setColumnWidth(0, 10));
    EXPECT_EQ(format.toText().substr(0, 5), "200L|");

    const int widths[] = {10, 0, 5};
    EXPECT_EQ(ListFormat::columnAt(10, widths), 3); // a zero-width column is never hit
    EXPECT_EQ(ListFormat::columnAt(3, std::span<const int>()), 0);
}

} // namespace
