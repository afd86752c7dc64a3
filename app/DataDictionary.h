#pragma once

#include "runtime/Record.h"

#include <cstdint>

namespace host {
class RecordFile;
class RecordFileDriver;
} // namespace host

namespace framework {
class ErrorReporter;
class FileAccess;
class FileRegistry;
class RelationLink;
} // namespace framework

namespace app {

// The global record buffers, one per data file, holding the fields of the file.
extern host::Record ItemRecord;
extern host::Record ConfigRecord;
extern host::Record CustomerRecord;
extern host::Record InvDetRecord;
extern host::Record InvHdrRecord;

// The host files, bound to the record-file driver and to their buffers. Set while the
// data dictionary is set up.
extern host::RecordFile* ItemFile;
extern host::RecordFile* ConfigFile;
extern host::RecordFile* CustomerFile;
extern host::RecordFile* InvDetFile;
extern host::RecordFile* InvHdrFile;

// Every procedure reaches a file through its access object, for record operations, and
// through its relation link, for changes that must respect the relations. Set while the
// data dictionary is set up, none otherwise.
extern framework::FileAccess* ItemAccess;
extern framework::FileAccess* ConfigAccess;
extern framework::FileAccess* CustomerAccess;
extern framework::FileAccess* InvDetAccess; // an InvDetFileAccess
extern framework::FileAccess* InvHdrAccess;
extern framework::RelationLink* ItemLink;
extern framework::RelationLink* ConfigLink;
extern framework::RelationLink* CustomerLink;
extern framework::RelationLink* InvDetLink;
extern framework::RelationLink* InvHdrLink;

// Bound to the invoice window's "Show Row Validation" check box; read by the invoice
// lines' validation. 0 at start.
extern std::uint8_t ShowRowValidation;

// The application's five data files with their settings, keys and relations. Set-up
// makes the files through the driver and the access objects and links for them, in the
// order Item, Config, Customer, InvDet, InvHdr; no file is opened (each opens on first
// use). Tear-down goes in the same order and releases everything set-up made.
class DataDictionary {
public:
    static void setUp(host::RecordFileDriver& driver, framework::ErrorReporter& errors,
                      framework::FileRegistry& registry);
    static void tearDown();
    static bool isSetUp();
};

} // namespace app
