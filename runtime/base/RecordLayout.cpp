#include "runtime/base/RecordLayout.h"

#include "runtime/base/Value.h"

namespace host {

RecordLayout::RecordLayout(std::initializer_list<std::pair<std::string, FieldType>> fields) {
    for (const auto& [label, type] : fields)
        addField(label, type);
}

int RecordLayout::addField(std::string label, FieldType type) {
    fields_.push_back({std::move(label), type, size_});
    size_ += type.size;
    return fieldCount();
}

int RecordLayout::fieldNumber(std::string_view label) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (equalIgnoringCase(fields_[i].label, label))
            return static_cast<int>(i + 1);
    if (label.find(':') == std::string_view::npos) {
        for (size_t i = 0; i < fields_.size(); ++i) {
            std::string_view own = fields_[i].label;
            size_t colon = own.find(':');
            if (colon != std::string_view::npos && equalIgnoringCase(own.substr(colon + 1), label))
                return static_cast<int>(i + 1);
        }
    }
    return 0;
}

} // namespace host
