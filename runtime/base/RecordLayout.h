#pragma once

#include "runtime/base/FieldType.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// One field of a record layout: its label ("CUS:NAME"), type and byte offset.
struct FieldInfo {
    std::string label;
    FieldType type;
    std::size_t offset = 0;
};

// The layout of a record: fields in order, packed with no padding, so that the
// record's size is the sum of its field widths as the data dictionary states.
class RecordLayout {
public:
    RecordLayout() = default;
    // Builds a layout from (label, type) pairs.
    RecordLayout(std::initializer_list<std::pair<std::string, FieldType>> fields);

    // Appends a field; returns its 1-based number.
    int addField(std::string label, FieldType type);

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    // 1-based, as "field number n" counts.
    const FieldInfo& field(int number) const { return fields_.at(static_cast<size_t>(number - 1)); }
    // 1-based number of the field with this label (letter case ignored), 0 when none.
    // A label without prefix ("NAME") also finds "CUS:NAME".
    int fieldNumber(std::string_view label) const;
    std::size_t size() const { return size_; }
    const std::vector<FieldInfo>& fields() const { return fields_; }

private:
    std::vector<FieldInfo> fields_;
    std::size_t size_ = 0;
};

using SharedLayout = std::shared_ptr<const RecordLayout>;

} // namespace host
