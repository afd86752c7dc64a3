#include "framework/data/FileRegistry.h"

#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "runtime/base/CurrentThread.h"

#include <algorithm>
#include <functional>
#include <tuple>

namespace framework {

namespace {

std::less<const host::RecordFile*> fileOrder;

bool fileBefore(const FileRegistry::Entry& entry, const host::RecordFile* file) {
    return fileOrder(entry.FILELABEL, file);
}

// Scopes sort by thread, file and level.
bool scopeBefore(const UsageScope& scope, std::int32_t thread, const host::RecordFile* file,
                 std::uint16_t level) {
    if (scope.THREAD != thread)
        return scope.THREAD < thread;
    if (scope.ID != file)
        return fileOrder(scope.ID, file);
    return scope.SCOPELEVEL < level;
}

} // namespace

void FileRegistry::Setup() {
    FILES.clear();
    SCOPES.clear();
    threadEnded_.subscribe([this](int thread) { DropThread(thread); });
}

void FileRegistry::Teardown() {
    threadEnded_.cancel();
    FILES.clear();
    FILES.shrink_to_fit();
    SCOPES.clear();
    SCOPES.shrink_to_fit();
    ERRS = nullptr;
}

// ---- Files ---------------------------------------------------------------------------------

void FileRegistry::Register(FileAccess& access) {
    if (!ERRS)
        ERRS = access.ERRORS;
    auto at = std::lower_bound(FILES.begin(), FILES.end(), access.FILE, fileBefore);
    if (at != FILES.end() && at->FILELABEL == access.FILE) {
        at->FILEMANAGER = &access;
        return;
    }
    FILES.insert(at, Entry{access.FILE, &access});
}

void FileRegistry::Unregister(FileAccess& access) {
    auto at = std::lower_bound(FILES.begin(), FILES.end(), access.FILE, fileBefore);
    if (at != FILES.end() && at->FILELABEL == access.FILE && at->FILEMANAGER == &access)
        FILES.erase(at);
    std::erase_if(SCOPES, [&](const UsageScope& scope) { return scope.ID == access.FILE; });
}

FileAccess* FileRegistry::Find(const host::RecordFile& file) const {
    auto at = std::lower_bound(FILES.begin(), FILES.end(), &file, fileBefore);
    return at != FILES.end() && at->FILELABEL == &file ? at->FILEMANAGER : nullptr;
}

// ---- Usage scopes --------------------------------------------------------------------------

void FileRegistry::DropThread(std::int32_t thread) {
    for (UsageScope& scope : SCOPES) {
        if (scope.THREAD != thread || scope.HOLD == 0)
            continue;
        if (FileAccess* access = Find(*scope.ID))
            access->RecallState(scope.HOLD, false);
    }
    std::erase_if(SCOPES, [thread](const UsageScope& scope) { return scope.THREAD == thread; });
}

std::ptrdiff_t FileRegistry::lastScope(const host::RecordFile* file) const {
    std::int32_t thread = host::currentThread();
    // The first scope past (thread, file): the one before it is the highest level.
    auto past = std::partition_point(SCOPES.begin(), SCOPES.end(), [&](const UsageScope& scope) {
        return scope.THREAD < thread || (scope.THREAD == thread && !fileOrder(file, scope.ID));
    });
    if (past == SCOPES.begin())
        return -1;
    const UsageScope& last = *(past - 1);
    if (last.THREAD != thread || last.ID != file)
        return -1;
    return past - 1 - SCOPES.begin();
}

bool FileRegistry::ownsScope(const UsageScope& scope) const {
    return ERRS ? scope.PROC == ERRS->CurrentProcedureName() : scope.PROC.empty();
}

void FileRegistry::NoteUse(FileAccess& access, std::uint8_t usage) {
    std::ptrdiff_t last = lastScope(access.FILE);
    if (last >= 0 && ownsScope(SCOPES[static_cast<std::size_t>(last)])) {
        UsageScope& scope = SCOPES[static_cast<std::size_t>(last)];
        scope.USTAT = std::max(scope.USTAT, usage);
        return;
    }
    UsageScope scope;
    scope.THREAD = host::currentThread();
    scope.PROC = ERRS ? ERRS->CurrentProcedureName() : std::string();
    scope.ID = access.FILE;
    scope.USTAT = usage;
    scope.SCOPELEVEL = 1;
    if (last >= 0) {
        // A nested procedure takes over a file its caller uses: the caller's state is
        // kept to be put back when the nested procedure lets go of the file.
        scope.SCOPELEVEL = SCOPES[static_cast<std::size_t>(last)].SCOPELEVEL + 1;
        if (usage != 3)
            scope.HOLD = access.StoreState();
    }
    auto at = std::lower_bound(SCOPES.begin(), SCOPES.end(), 0, [&](const UsageScope& s, int) {
        return scopeBefore(s, scope.THREAD, scope.ID, scope.SCOPELEVEL);
    });
    SCOPES.insert(at, std::move(scope));
}

void FileRegistry::NoteOpen(FileAccess& access) {
    std::ptrdiff_t last = lastScope(access.FILE);
    if (last >= 0 && ownsScope(SCOPES[static_cast<std::size_t>(last)]))
        ++SCOPES[static_cast<std::size_t>(last)].NESTEDOPEN;
}

void FileRegistry::NoteClose(FileAccess& access) {
    std::ptrdiff_t last = lastScope(access.FILE);
    if (last < 0 || !ownsScope(SCOPES[static_cast<std::size_t>(last)]))
        return;
    UsageScope& scope = SCOPES[static_cast<std::size_t>(last)];
    if (scope.NESTEDOPEN > 0) {
        --scope.NESTEDOPEN;
        return;
    }
    std::uint16_t hold = scope.HOLD;
    bool restore = scope.USTAT < 3;
    SCOPES.erase(SCOPES.begin() + last);
    // The scope is gone before the state comes back, so that the reads of the restore
    // are not taken for a new use.
    if (hold != 0)
        access.RecallState(hold, restore);
}

} // namespace framework
