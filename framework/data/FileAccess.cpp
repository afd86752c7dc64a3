#include "framework/data/FileAccess.h"

#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/OpenMode.h"
#include "runtime/files/RecordFile.h"

#include <optional>
#include <string>

namespace framework {

namespace {

constexpr std::size_t descriptionLength = 80;

} // namespace

FileAccess::FileAccess() = default;

FileAccess::~FileAccess() = default;

// ---- Set-up and release --------------------------------------------------------------------

void FileAccess::Setup(host::RecordFile& file, host::RecordFileDriver& driver,
                       ErrorReporter& errors, FileRegistry& registry) {
    FILE = &file;
    DRIVER = &driver;
    ERRORS = &errors;
    REGISTRY = &registry;
    BUFFER = &file.buffer();
    INFO.clear();
    KEYS.clear();
    BUFFERS.clear();
    SAVED.clear();
    SKIPHELDRECORDS = false;
    OPENMODE = host::openMode::shared;
    CREATE = true;
    LOCKRECOVER = 10;
    PRIMARYKEY = 0;
    LAZYOPEN = true;
    HASAUTOINC = false;
    FILENAMEVALUE = file.nameOnDisk();
    registry.Register(*this);
    threadEnded_.subscribe([this](int thread) { DropThread(thread); });
}

void FileAccess::DeclareKey(int key, std::string_view description, std::uint8_t autoNumber) {
    if (!FILE || key < 1 || key > FILE->keyCount())
        return;
    const host::KeyDefinition& definition = FILE->key(key);
    KeyRecord record;
    record.KEY = key;
    record.DESCRIPTION = std::string(description.substr(0, descriptionLength));
    record.AUTOINC = autoNumber;
    record.DUPS = definition.duplicates;
    record.NOCASE = definition.ignoreCase;
    for (const host::KeyComponent& part : definition.components) {
        KeyRecord::Component component;
        component.FIELD = BUFFER->field(part.field);
        std::string label = FILE->fieldLabel(part.field);
        component.FIELDNAME =
            record.NOCASE && component.FIELD.type().isText() ? "UPPER(" + label + ")" : label;
        component.ASCEND = part.ascending;
        record.FIELDS.push_back(std::move(component));
    }
    if (autoNumber != 0)
        HASAUTOINC = true;
    KEYS.push_back(std::move(record));
    if (definition.primary)
        PRIMARYKEY = static_cast<std::uint8_t>(KEYS.size());
}

void FileAccess::DeclareKey(std::string_view keyLabel, std::string_view description,
                            std::uint8_t autoNumber) {
    if (FILE)
        DeclareKey(FILE->definition().keyNumber(keyLabel), description, autoNumber);
}

void FileAccess::Teardown() {
    threadEnded_.cancel();
    if (REGISTRY)
        REGISTRY->Unregister(*this);
    INFO.clear();
    KEYS.clear();
    BUFFERS.clear();
    SAVED.clear();
}

// ---- Per-thread bookkeeping and errors -----------------------------------------------------

int FileAccess::ThreadId() const {
    return FILE && FILE->isPerThread() ? host::currentThread() : 1;
}

ThreadFileInfo& FileAccess::SelectInfo() {
    std::int32_t id = ThreadId();
    auto found = INFO.find(id);
    if (found == INFO.end()) {
        found = INFO.emplace(id, ThreadFileInfo{}).first;
        found->second.ID = id;
    }
    if (ERRORS)
        ERRORS->NoteFile(DisplayName());
    return found->second;
}

void FileAccess::DropThread(std::int32_t thread) {
    if (FILE && FILE->isPerThread())
        INFO.erase(thread);
}

std::string FileAccess::DisplayName() const {
    return FILENAME ? FILENAME.text() : FILENAMEVALUE;
}

void FileAccess::SetError(std::uint16_t id) {
    SelectInfo().LASTERROR = static_cast<std::uint8_t>(id);
    ERRORS->CaptureRuntimeError();
}

std::uint8_t FileAccess::LastError() {
    return SelectInfo().LASTERROR;
}

void FileAccess::SetLastError(std::uint8_t id) {
    SelectInfo().LASTERROR = id;
}

Severity FileAccess::RaiseError(std::uint16_t id) {
    SetError(id);
    return ReportLastError();
}

Severity FileAccess::ReportLastError() {
    return ERRORS->Report(SelectInfo().LASTERROR);
}

Severity FileAccess::RaiseWithText(std::uint16_t id, std::string_view text) {
    SelectInfo();
    return ERRORS->RaiseWithText(id, text);
}

const KeyRecord* FileAccess::FindKey(int key) const {
    for (const KeyRecord& record : KEYS)
        if (record.KEY == key)
            return &record;
    return nullptr;
}

bool FileAccess::IsReallyOpen() {
    return SelectInfo().USED && FILE->isOpen();
}

void FileAccess::ExposeFields() {}

// ---- Opening and closing -------------------------------------------------------------------

Severity FileAccess::OpenFile(bool report) {
    ThreadFileInfo& info = SelectInfo();
    ExposeFields();
    if (!LAZYOPEN && !info.USED) {
        Severity result = RealOpen(report);
        if (result != Severity::Benign)
            return result;
    }
    // Counted only once the open holds, so that a failed open leaves no trace.
    REGISTRY->NoteOpen(*this);
    ++info.OPENED;
    return Severity::Benign;
}

Severity FileAccess::Open() {
    return OpenFile(true);
}

Severity FileAccess::OpenQuiet() {
    return OpenFile(false);
}

Severity FileAccess::Close() {
    ThreadFileInfo& info = SelectInfo();
    REGISTRY->NoteClose(*this);
    if (info.OPENED > 0) {
        --info.OPENED;
        if (info.OPENED == 0) {
            // Nobody can finish an insert on a file that is closing: a placeholder left
            // now would stay in the file for good, since the next open forgets it.
            if (info.AUTOINCDONE && info.USED)
                RemovePlaceholder();
            FILE->close();
            info.USED = false;
        }
    }
    return Severity::Benign;
}

Severity FileAccess::CheckOpen(std::uint8_t usage) {
    ThreadFileInfo& info = SelectInfo();
    if (usage != 4)
        REGISTRY->NoteUse(*this, usage);
    if (info.USED)
        return Severity::Benign;
    if (info.OPENED < 1)
        return RaiseError(39);
    // The open must not change the record buffer.
    std::int32_t image = StoreImage();
    Severity result = RealOpen(true);
    RecallImage(image, true);
    return result;
}

Severity FileAccess::RealOpen(bool report) {
    ThreadFileInfo& info = SelectInfo();
    // The read-only fall-back holds for this open only: the next real open asks for
    // write access again, so one busy moment does not leave the file read-only for the
    // rest of the run.
    int mode = OPENMODE;
    auto giveUp = [&](std::uint16_t id) {
        SetError(id);
        return report ? ReportLastError() : Severity::Notify;
    };
    // A create that failed because another station made the file meanwhile (both found
    // it missing) is followed by one more open; only when that fails too is the
    // creation's failure reported.
    std::optional<host::RuntimeError> createFailure;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        bool opened = FILE->open(mode);
        if (!opened && host::errorCode() == host::errors::accessDenied) {
            FILE->sendOption("Recover=" + std::to_string(LOCKRECOVER));
            opened = FILE->open(mode);
        }
        if (!opened && createFailure) {
            host::restoreError(std::move(*createFailure));
            return giveUp(10);
        }
        int code = opened ? 0 : host::errorCode();
        if (opened || code == host::errors::alreadyOpen) {
            info.USED = true;
            info.ATEOF = false;
            info.AUTOINCDONE = false;
            info.AUTOINCPOS.clear();
            return Severity::Benign;
        }
        switch (code) {
        case host::errors::accessDenied:
            if ((mode & host::openMode::accessMask) == host::openMode::readOnly)
                return giveUp(23);
            mode &= host::openMode::sharingMask;
            RaiseError(2);
            continue;
        case host::errors::invalidKeyFile:
            SetError(27);
            if (!report)
                return Severity::Notify;
            ReportLastError();
            if (!FILE->rebuildKeys())
                return RaiseError(26);
            continue;
        case host::errors::fileNotFound:
            if (!CREATE)
                return giveUp(23);
            if (!FILE->create()) {
                if (attempt == 2)
                    return giveUp(10);
                createFailure = host::lastError();
            }
            continue;
        default:
            return giveUp(23);
        }
    }
    return giveUp(23);
}

} // namespace framework
