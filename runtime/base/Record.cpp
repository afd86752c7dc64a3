#include "runtime/base/Record.h"

#include <algorithm>
#include <cstring>

namespace host {

Record::Record(SharedLayout layout)
    : layout_(std::move(layout)), bytes_(layout_ ? layout_->size() : 0) {
    clear();
}

TypedRef Record::field(int number) const {
    if (!layout_ || number < 1 || number > layout_->fieldCount())
        return {};
    const FieldInfo& info = layout_->field(number);
    return TypedRef(const_cast<std::byte*>(bytes_.data()) + info.offset, info.type);
}

TypedRef Record::field(std::string_view label) const {
    return layout_ ? field(layout_->fieldNumber(label)) : TypedRef();
}

void Record::clear() {
    if (layout_)
        clearRecord(*layout_, bytes_.data());
}

std::string Record::image() const {
    return std::string(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
}

void Record::setImage(std::string_view image) {
    std::memcpy(bytes_.data(), image.data(), std::min(image.size(), bytes_.size()));
}

Record& Record::operator=(const Record& other) {
    if (this == &other)
        return *this;
    if (!layout_) {
        layout_ = other.layout_;
        bytes_ = other.bytes_;
        return *this;
    }
    std::memcpy(bytes_.data(), other.bytes_.data(), std::min(bytes_.size(), other.bytes_.size()));
    return *this;
}

void clearRecord(const RecordLayout& layout, std::byte* data) {
    for (const FieldInfo& f : layout.fields())
        TypedRef(data + f.offset, f.type).clear();
}

} // namespace host
