#pragma once

#include "framework/data/UsageScope.h"
#include "runtime/base/ThreadEndSubscription.h"

#include <cstdint>
#include <vector>

namespace host {
class RecordFile;
}

namespace framework {

class ErrorReporter;
class FileAccess;

// The program's one list of files and of who uses them. It maps each host file to its
// FileAccess, and follows, per thread, which procedure uses which file: when a nested
// procedure takes over a file that its caller was positioned in, the file's state is
// saved, and it is put back when the nested procedure closes the file for the last time.
//
// Shared by all threads without locks; the scopes are keyed by thread.
class FileRegistry {
public:
    // A registered file.
    struct Entry {
        host::RecordFile* FILELABEL = nullptr;
        FileAccess* FILEMANAGER = nullptr;
    };

    FileRegistry() = default;
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    void Setup();
    // Releases both lists.
    void Teardown();

    // Adds a file (kept in FILELABEL order); the reporter comes with the first file.
    void Register(FileAccess& access);
    void Unregister(FileAccess& access);
    // The FileAccess of a host file; none when the file is not registered.
    FileAccess* Find(const host::RecordFile& file) const;

    // The current procedure (the reporter's CurrentProcedureName) uses the file:
    // 2 reads and positions it, 3 changes its current record (a state saved for an
    // outer procedure is then not put back).
    void NoteUse(FileAccess& access, std::uint8_t usage);
    void NoteOpen(FileAccess& access);
    void NoteClose(FileAccess& access);
    // Ends an ended thread's usage scopes; the file states they kept for the thread are
    // discarded, not restored (called when a logical thread ends, between Setup and
    // Teardown).
    void DropThread(std::int32_t thread);

    ErrorReporter* ERRS = nullptr;
    std::vector<Entry> FILES;
    // Sorted by thread, file and scope level.
    std::vector<UsageScope> SCOPES;

private:
    // Index of the last scope of (this thread, this file); -1 when there is none.
    std::ptrdiff_t lastScope(const host::RecordFile* file) const;
    bool ownsScope(const UsageScope& scope) const;

    host::ThreadEndSubscription threadEnded_;
};

} // namespace framework
