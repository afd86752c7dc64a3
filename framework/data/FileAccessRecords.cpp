#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"

namespace framework {

namespace {

constexpr std::size_t messageLength = 254;

} // namespace

// ---- Reading -------------------------------------------------------------------------------

Severity FileAccess::Read(bool backward, bool report) {
    if (CheckOpen(2) != Severity::Benign)
        return Severity::Fatal;
    ThreadFileInfo& info = SelectInfo();
    for (;;) {
        info.ATEOF = false;
        if (backward ? FILE->previous() : FILE->next())
            return Severity::Benign;
        switch (host::errorCode()) {
        case host::errors::noRecord:
            info.ATEOF = true;
            return Severity::Notify;
        case host::errors::recordHeld:
            if (SKIPHELDRECORDS)
                continue;
            SetError(28);
            return report ? ReportLastError() : Severity::Notify;
        default:
            SetError(1);
            return report ? ReportLastError() : Severity::Fatal;
        }
    }
}

Severity FileAccess::ReadNext() {
    return Read(false, true);
}

Severity FileAccess::ReadPrevious() {
    return Read(true, true);
}

Severity FileAccess::ReadNextQuiet() {
    return Read(false, false);
}

Severity FileAccess::ReadPreviousQuiet() {
    return Read(true, false);
}

Severity FileAccess::ReadByKey(int key) {
    if (CheckOpen(2) != Severity::Benign)
        return Severity::Fatal;
    if (FILE->get(key))
        return Severity::Benign;
    switch (host::errorCode()) {
    case host::errors::recordNotFound:
    case host::errors::noRecord:
        return Severity::Notify;
    case host::errors::recordHeld:
        SetError(28);
        return Severity::Notify;
    default:
        SetError(1);
        return Severity::Fatal;
    }
}

Severity FileAccess::FetchOrClear(int key) {
    Severity result = ReadByKey(key);
    if (result != Severity::Benign)
        BUFFER->clear();
    return result;
}

// ---- Inserting -----------------------------------------------------------------------------

const KeyRecord* FileAccess::DuplicatedKey(bool skipAutoNumbered, bool overCurrent) {
    for (const KeyRecord& key : KEYS) {
        if (skipAutoNumbered && key.AUTOINC != 0)
            continue;
        if (FILE->wouldDuplicate(key.KEY, overCurrent))
            return &key;
    }
    return nullptr;
}

void FileAccess::ReportDuplicate(const KeyRecord* key) {
    SelectInfo();
    ERRORS->MESSAGETEXT = key ? key->DESCRIPTION.substr(0, messageLength) : std::string();
    ERRORS->Report(13);
}

bool FileAccess::OverwritePlaceholder() {
    ThreadFileInfo& info = SelectInfo();
    // Other reads may have moved the file since the placeholder was added: come back to
    // exactly that record, keeping what the buffer holds now.
    std::string image = BUFFER->image();
    bool there = FILE->getAt(info.AUTOINCPOS);
    BUFFER->setImage(image);
    if (there)
        return FILE->put();
    if (host::errorCode() != host::errors::recordNotFound)
        return false;
    // Someone removed the placeholder: the record goes in as a new one, numbers and all.
    return FILE->add();
}

Severity FileAccess::InsertRecord(bool report) {
    if (CheckOpen(2) != Severity::Benign)
        return Severity::Fatal;
    if (CheckRecord() != Severity::Benign)
        return Severity::Notify;
    ThreadFileInfo& info = SelectInfo();
    bool overwrite = HASAUTOINC && info.AUTOINCDONE;
    bool added = false;
    if (overwrite) {
        added = OverwritePlaceholder();
    } else if (HASAUTOINC) {
        if (Reserve(report, false) != Severity::Benign)
            return Severity::Notify;
        added = true;
    } else {
        added = FILE->add();
    }
    if (added) {
        info.AUTOINCDONE = false;
        info.AUTOINCPOS.clear();
        return Severity::Benign;
    }
    if (host::errorCode() == host::errors::duplicateKey) {
        SetError(13);
        if (report) {
            // Written over the placeholder, the record is asked as a put over it, so that
            // the placeholder's own numbers do not count, but another record's do.
            bool overPlaceholder = overwrite && FILE->position(0) == info.AUTOINCPOS;
            ReportDuplicate(DuplicatedKey(false, overPlaceholder));
        }
        return Severity::Notify;
    }
    SetError(4);
    return report ? ReportLastError() : Severity::Notify;
}

Severity FileAccess::Insert() {
    return InsertRecord(true);
}

Severity FileAccess::InsertQuiet() {
    return InsertRecord(false);
}

// ---- Updating ------------------------------------------------------------------------------

Severity FileAccess::UpdateRecord(bool report) {
    if (CheckOpen(2) != Severity::Benign)
        return Severity::Fatal;
    if (CheckRecord() != Severity::Benign)
        return Severity::User;
    if (FILE->put())
        return Severity::Benign;
    if (host::errorCode() == host::errors::recordChanged) {
        // A put that failed leaves the file on the record, so its position is taken now,
        // not before every put.
        std::string position = CurrentPosition();
        SetError(6);
        if (report)
            ReportLastError();
        // Show the other station's version, watched again for the next attempt.
        FILE->watch();
        Reget(position);
        return Severity::Notify;
    }
    SetError(25);
    return report ? ReportLastError() : Severity::Notify;
}

Severity FileAccess::Update() {
    return UpdateRecord(true);
}

Severity FileAccess::UpdateQuiet() {
    return UpdateRecord(false);
}

// ---- Validation ----------------------------------------------------------------------------
//
// With an aliased file each check runs on the aliased file, over a copy of this record put
// into its buffer; its own record comes back afterwards.

Severity FileAccess::CheckField(int fieldNo) {
    if (!HasAliasedFile())
        return Severity::Benign;
    std::int32_t image = ALIASEDFILE->StoreImage();
    ALIASEDFILE->BUFFER->setImage(BUFFER->image());
    Severity result = ALIASEDFILE->CheckField(fieldNo);
    ALIASEDFILE->RecallImage(image, true);
    return result;
}

Severity FileAccess::CheckFields(int first, int last, int* failedField) {
    if (HasAliasedFile()) {
        std::int32_t image = ALIASEDFILE->StoreImage();
        ALIASEDFILE->BUFFER->setImage(BUFFER->image());
        Severity result = ALIASEDFILE->CheckFields(first, last, failedField);
        ALIASEDFILE->RecallImage(image, true);
        return result;
    }
    for (int field = first; field <= last; ++field) {
        Severity result = CheckField(field);
        if (result != Severity::Benign) {
            if (failedField)
                *failedField = field;
            return result;
        }
    }
    return Severity::Benign;
}

Severity FileAccess::CheckRecord(int* failedField) {
    if (HasAliasedFile()) {
        std::int32_t image = ALIASEDFILE->StoreImage();
        ALIASEDFILE->BUFFER->setImage(BUFFER->image());
        Severity result = ALIASEDFILE->CheckRecord(failedField);
        ALIASEDFILE->RecallImage(image, true);
        return result;
    }
    return CheckFields(1, BUFFER->fieldCount(), failedField);
}

} // namespace framework
