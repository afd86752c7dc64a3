// Reads arbitrary bytes as a packed constant table with a descriptor and termination
// kind taken from the input. A table must never read past its source, must end (each
// record consumes at least one byte, or is counted), and must stay ended.
#include "framework/window/ConstantTable.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

host::FieldType destinationType(std::uint8_t itemType, std::size_t index) {
    if (itemType == 1 || itemType == 2)
        return index % 2 ? host::FieldType::text(10) : host::FieldType::cstring(40);
    switch (index % 4) {
    case 0:
        return host::FieldType::longInteger();
    case 1:
        return host::FieldType::shortInteger();
    case 2:
        return host::FieldType::byte();
    default:
        return host::FieldType::decimal(7, 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto take = [&]() -> std::uint8_t {
        if (input.empty())
            return 0;
        auto byte = static_cast<std::uint8_t>(input.front());
        input.remove_prefix(1);
        return byte;
    };

    framework::ConstantTable table;
    table.Setup(take() % 6);
    std::deque<host::Variable> destinations;
    std::size_t items = take() % 9;
    for (std::size_t i = 0; i < items; ++i) {
        std::uint8_t type = take() % 8;
        destinations.emplace_back(destinationType(type, i));
        table.DescribeItem(type, destinations.back());
    }
    std::size_t terminatorLength = take() % 40;
    table.TERMINATORVALUE = std::string(input.substr(0, terminatorLength));
    input.remove_prefix(std::min(terminatorLength, input.size()));
    table.SetSource(input);

    bool counted = table.TERMINATION == 2 || table.TERMINATION == 3;
    std::size_t limit = counted ? table.ITEMS : input.size();
    std::size_t records = 0;
    while (table.ReadRecord() == framework::Severity::Benign) {
        ++records;
        check(records <= limit);
        check(table.CHARPNT >= 1 && table.CHARPNT <= table.SOURCESIZE + 1);
    }
    check(table.ReadRecord() == framework::Severity::Notify);

    table.Reset();
    std::size_t again = 0;
    while (table.ReadRecord() == framework::Severity::Benign)
        ++again;
    check(again == records);
    table.Teardown();
    return 0;
}
