#pragma once

#include "runtime/files/FileDefinition.h"

#include <functional>
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

    // How reading a file went: its records were read, it was never created, or it
    // cannot be read (`reason` says why, in the driver's words when it gave them).
    struct ReadResult {
        enum class Outcome { Read, NoFile, CannotRead } outcome = Outcome::Read;
        std::string reason;
    };
    // Reads the file's records in the data folder in the order Lines gives them, calling
    // `each` with every record until it returns false. A record that a station holds (the
    // program editing it, say) cannot be read by another: `each` gets null for it. The
    // file is opened for the read and closed again; the program's own files, cursors and
    // holds are not touched.
    static ReadResult Read(const std::string& dataFolder, const host::FileDefinition& file,
                           const std::function<bool(const host::Record*)>& each);

    // The file's records in the data folder, one line each; "(held)" for a record a
    // station holds. A file that was never created gives the single line "(no file)"; a
    // folder or file that cannot be read, "(cannot read: <reason>)".
    static std::vector<std::string> Lines(const std::string& dataFolder,
                                          const host::FileDefinition& file);
    // One record as a line.
    static std::string Line(const host::Record& record);
    // One field's value as the line shows it, texts clipped and not quoted.
    static std::string Value(const host::Record& record, int field);
};

} // namespace app
