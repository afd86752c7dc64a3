#pragma once

#include "runtime/files/RecordFileDriver.h"

#include <memory>
#include <string>

namespace host {

// The record-file driver the settings file names. In "mirto.INI":
//
//   [Data]
//   Server=host=shop-server dbname=shop user=counter
//
// keeps the data on that PostgreSQL server (the entry is a libpq connection text; the
// password comes from the server's password file or service file, and a text naming one
// is refused when the driver connects). Without a Server entry, or an empty one, the data
// stay in the embedded SQLite data base of the data folder.
struct DriverChoice {
    static constexpr const char* section = "Data";
    static constexpr const char* serverEntry = "Server";

    // The connection text the settings file gives; empty for the embedded data base.
    static std::string serverIn(const std::string& iniFile);
    static std::unique_ptr<RecordFileDriver> make(const std::string& iniFile);
};

} // namespace host
