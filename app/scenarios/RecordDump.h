#pragma once

#include "runtime/files/FileDefinition.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Record;
}

namespace app {

// The records of one of the application's data files in a stable text form, so that a
// scenario can state what the files must hold afterwards. The file is read through a
// record-file driver of its own (another station), read-only and shared, in the order of
// its first key (record order for a file without keys).
//
// One line a record: each field as LABEL=VALUE, blank-separated, in field order. Texts
// are clipped and quoted ("" for a quote inside); numbers and decimals as their text,
// decimals with their places ("12.50"); dates as yyyy-mm-dd ("none" for 0).
class RecordDump {
public:
    // The application's file with this name (display name "Customer" or label
    // "CUSTOMER", letter case ignored); none when the application has no such file.
    static std::optional<host::FileDefinition> Declaration(std::string_view name);
    // The names of the application's files, in data dictionary order.
    static std::vector<std::string> FileNames();

    // The file's records in the data folder, one line each. A file that was never
    // created gives the single line "(no file)"; a folder or file that cannot be read,
    // "(cannot read: <reason>)".
    static std::vector<std::string> Lines(const std::string& dataFolder,
                                          const host::FileDefinition& file);
    // One record as a line.
    static std::string Line(const host::Record& record);
};

} // namespace app
