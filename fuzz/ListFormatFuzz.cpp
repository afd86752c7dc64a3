// Feeds arbitrary text to the list format parser. A format that reads must write itself
// back in a spelling that reads to the same columns, and must format, render and hit-test
// rows of a queue built for it without fault.
#include "runtime/base/Queue.h"
#include "runtime/ui/ListFormat.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace host;

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

FieldType typeForField(int field) {
    switch (field % 5) {
    case 0:
        return FieldType::text(12);
    case 1:
        return FieldType::longInteger();
    case 2:
        return FieldType::decimal(7, 2);
    case 3:
        return FieldType::date();
    default:
        return FieldType::cstring(8);
    }
}

void exerciseRows(const ListFormat& format, std::string_view data) {
    int fields = format.fieldsUsed();
    if (fields > 400)
        return;
    auto layout = std::make_shared<RecordLayout>();
    for (int field = 1; field <= fields; ++field)
        layout->addField("F" + std::to_string(field), typeForField(field));
    Queue queue(layout);
    for (int row = 0; row < 3; ++row) {
        queue.buffer().clear();
        for (int field = 1; field <= fields; ++field) {
            std::size_t at = static_cast<std::size_t>(field * 7 + row * 13) % (data.size() + 1);
            std::string_view piece = data.substr(at, 10);
            TypedRef target = queue.buffer().field(field);
            if (target.type().isText())
                target.assign(Value(piece));
            else
                target.assign(
                    Value(static_cast<long long>(std::hash<std::string_view>{}(piece) % 2000000) -
                          1000000));
        }
        queue.add();
    }
    std::vector<ListCell> cells;
    for (std::size_t row = 0; row <= queue.count() + 1; ++row) {
        format.formatRow(queue, row, cells);
        require(static_cast<int>(cells.size()) == format.columnCount());
        for (const ListCell& cell : cells)
            require(cell.icon >= 0);
        format.renderRow(cells);
    }
    format.renderHeader();
    for (int x : {-1, 0, 1, 100, 1000, 100000}) {
        int column = format.columnAt(x);
        require(column >= 0 && column <= format.columnCount());
        require(x < 0 || column >= 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ParseError error;
    std::optional<ListFormat> format = ListFormat::parse(text, &error);
    if (!format) {
        require(error.position <= size);
        require(!error.message.empty());
        return 0;
    }
    std::string canonical = format->toText();
    std::optional<ListFormat> again = ListFormat::parse(canonical);
    require(again.has_value());
    require(again->columns() == format->columns());
    require(again->groups() == format->groups());
    require(again->toText() == canonical);
    exerciseRows(*format, text);
    return 0;
}
