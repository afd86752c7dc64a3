#pragma once

#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFileDriver.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tools {

// Moves the records of data files from one store to another (a data folder's SQLite data
// base, a PostgreSQL server), file by file: each target file is made empty (a target file
// that holds records is never written), the records are added in the source's record
// order in transaction frames of `frameSize`, each frame in one addAll call, and then
// both files are read side by side in every key's order, which must give the same records
// in the same order, and counted. Stops at the first file that fails, with the reason in
// `error`.
struct DataCopy {
    using Progress = std::function<void(const std::string& line)>;

    // A store named on the command line: a connection text ("host=... dbname=...", or
    // "postgresql://...") for a server, otherwise a data folder.
    static bool namesServer(const std::string& store);
    // The driver for a store, opened; null with `error` set when it cannot be opened.
    static std::unique_ptr<host::RecordFileDriver> open(const std::string& store,
                                                        std::string& error);

    static bool copy(host::RecordFileDriver& from, host::RecordFileDriver& to,
                     const std::vector<host::FileDefinition>& files, std::string& error,
                     const Progress& progress = {}, int frameSize = 10000);
};

} // namespace tools
