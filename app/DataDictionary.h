#pragma once

#include "runtime/base/Record.h"

#include <cstdint>
#include <functional>
#include <string_view>

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

// The application's five data files with their settings, keys and relations, brought
// into being in the steps of the program's start-up:
//  - bindClasses makes the ten data objects (a FileAccess and a RelationLink per file;
//    InvDet's access is an InvDetFileAccess);
//  - bindFiles clears the five record buffers and makes the host files through the
//    record-file driver, each bound to its buffer;
//  - setUpFiles sets the five relation-link references, then sets each file up in the
//    order Item, Config, Customer, InvDet, InvHdr: its access object (registering the
//    file with the registry), its per-file values and keys, its access reference, its
//    relation link and the link's relations. No file is opened (each opens on first
//    use).
// At the end, shutDownFiles tears each relation link down (taking its file's access
// with it) in the same order, Item to InvHdr, and clears both references; release then
// frees the objects and the host files.
//
// Every step reports itself to the observer, when one is set ("Item set up", "Item torn
// down"), so that the order can be followed.
class DataDictionary {
public:
    static void bindClasses();
    static void bindFiles(host::RecordFileDriver& driver);
    static void setUpFiles(framework::ErrorReporter& errors, framework::FileRegistry& registry);
    static void shutDownFiles();
    static void release();

    // All of set-up at once (bindClasses, bindFiles, setUpFiles), and all of tear-down
    // (shutDownFiles, release).
    static void setUp(host::RecordFileDriver& driver, framework::ErrorReporter& errors,
                      framework::FileRegistry& registry);
    static void tearDown();
    static bool isSetUp();

    using Observer = std::function<void(std::string_view step)>;
    static void setObserver(Observer observer);
};

} // namespace app
