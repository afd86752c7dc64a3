#pragma once

#include <cstdint>
#include <string>

namespace host::records {

// One value as an SQL table stores it: null, integer, real or text. Used for the order values
// that positions and pages are found by.
struct SqlValue {
    enum class Type : std::uint8_t { Null, Integer, Real, Text };

    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;

    static SqlValue ofInteger(std::int64_t v) { return {Type::Integer, v, 0, {}}; }
    static SqlValue ofReal(double v) { return {Type::Real, 0, v, {}}; }
    static SqlValue ofText(std::string v) { return {Type::Text, 0, 0, std::move(v)}; }

    friend bool operator==(const SqlValue&, const SqlValue&) = default;
};

} // namespace host::records
