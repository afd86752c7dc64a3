#pragma once

#include "runtime/base/RecordLayout.h"
#include "runtime/base/TypedRef.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// A record buffer: the bytes of one record with its layout. Whole-record copy and
// compare work on the bytes; fields are reached by number or label as typed references.
class Record {
public:
    Record() = default;
    explicit Record(SharedLayout layout);

    const SharedLayout& layout() const { return layout_; }
    std::size_t size() const { return bytes_.size(); }
    std::byte* data() { return bytes_.data(); }
    const std::byte* data() const { return bytes_.data(); }

    // 1-based field number; an out-of-range number gives a null reference.
    TypedRef field(int number) const;
    TypedRef field(std::string_view label) const;
    int fieldCount() const { return layout_ ? layout_->fieldCount() : 0; }

    // Every field blank (text) or zero (numbers).
    void clear();
    // The record image: its bytes, for saving and restoring a buffer.
    std::string image() const;
    void setImage(std::string_view image);

    // Whole-record copy and compare by bytes (records of one layout).
    Record& operator=(const Record& other);
    Record(const Record& other) = default;
    bool operator==(const Record& other) const { return bytes_ == other.bytes_; }

private:
    SharedLayout layout_;
    std::vector<std::byte> bytes_;
};

// Blanks every field of a record held at `data` with `layout`.
void clearRecord(const RecordLayout& layout, std::byte* data);

} // namespace host
