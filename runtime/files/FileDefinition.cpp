#include "runtime/files/FileDefinition.h"

#include <algorithm>

#include "runtime/base/Value.h"

namespace host {

FileDefinition::FileDefinition(std::string label, std::string prefix, SharedLayout layout)
    : label_(std::move(label)), prefix_(std::move(prefix)), nameOnDisk_(label_),
      layout_(std::move(layout)) {}

std::string FileDefinition::fieldLabel(int number) const {
    if (!layout_ || number < 1 || number > layout_->fieldCount())
        return {};
    return layout_->field(number).label;
}

int FileDefinition::addKey(KeyDefinition key) {
    keys_.push_back(std::move(key));
    return keyCount();
}

int FileDefinition::addKey(std::string label, std::initializer_list<std::string_view> fieldLabels,
                           bool duplicates, bool ignoreCase, bool primary) {
    KeyDefinition key;
    key.label = std::move(label);
    key.duplicates = duplicates;
    key.ignoreCase = ignoreCase;
    key.primary = primary;
    for (std::string_view fieldLabel : fieldLabels) {
        int number = layout_ ? layout_->fieldNumber(fieldLabel) : 0;
        if (number > 0)
            key.components.push_back({number, true});
    }
    return addKey(std::move(key));
}

int FileDefinition::keyNumber(std::string_view label) const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (equalIgnoringCase(keys_[i].label, label))
            return static_cast<int>(i) + 1;
    return 0;
}

int FileDefinition::primaryKey() const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i].primary)
            return static_cast<int>(i) + 1;
    return 0;
}

void FileDefinition::markSearched(std::string_view fieldLabel) {
    int number = layout_ ? layout_->fieldNumber(fieldLabel) : 0;
    if (number == 0 || !layout_->field(number).type.isText())
        return;
    if (std::find(searched_.begin(), searched_.end(), number) == searched_.end())
        searched_.push_back(number);
}

} // namespace host
