#include "runtime/records/ColumnNames.h"

#include "runtime/base/Value.h"

#include <algorithm>

namespace host::records {

namespace {

std::string columnName(const std::string& label) {
    size_t colon = label.find(':');
    std::string name = colon == std::string::npos ? label : label.substr(colon + 1);
    return name.empty() ? label : name;
}

} // namespace

ColumnNames::ColumnNames(const FileDefinition& definition) : table_(definition.nameOnDisk()) {
    for (int n = 1; n <= definition.fieldCount(); ++n) {
        std::string name = columnName(definition.fieldLabel(n));
        bool taken = name.empty() || name[0] == '_' ||
                     std::any_of(columns_.begin(), columns_.end(),
                                 [&](const std::string& c) { return equalIgnoringCase(c, name); });
        if (taken)
            name = "F" + std::to_string(n) + "_" + name;
        columns_.push_back(name);
    }
    for (int k = 1; k <= definition.keyCount(); ++k) {
        std::string label = definition.key(k).label;
        std::replace(label.begin(), label.end(), ':', '_');
        indexes_.push_back(table_ + "_" + label);
    }
}

} // namespace host::records
