#pragma once

#include "runtime/files/FileDefinition.h"

#include <string>
#include <vector>

namespace host::records {

// The names a data file's table goes by, alike in every SQL driver so that a data folder
// can be copied to a server and back: the table is the file's name on disk; a column per
// field is named after the field's label without its prefix ("CUS:NAME" is "NAME"), with
// "F<n>_" put in front of a name that is empty, starts with '_' (the drivers' own
// columns) or repeats an earlier one in any letter case; key k's index is
// "<table>_<key label>" with ':' made '_'.
class ColumnNames {
public:
    ColumnNames() = default;
    explicit ColumnNames(const FileDefinition& definition);

    const std::string& table() const { return table_; }
    // Column name of field n (1-based).
    const std::string& column(int field) const {
        return columns_.at(static_cast<size_t>(field - 1));
    }
    int fieldCount() const { return static_cast<int>(columns_.size()); }
    // Index name of key k (1-based).
    const std::string& indexName(int key) const {
        return indexes_.at(static_cast<size_t>(key - 1));
    }

private:
    std::string table_;
    std::vector<std::string> columns_;
    std::vector<std::string> indexes_;
};

} // namespace host::records
