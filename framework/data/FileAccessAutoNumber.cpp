#include "framework/data/FileAccess.h"
#include "framework/data/KeyBounds.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"

#include <vector>

namespace framework {

// ---- Numbering -----------------------------------------------------------------------------

Severity FileAccess::NumberKeys(bool report) {
    for (const KeyRecord& key : KEYS) {
        if (key.AUTOINC == 0 || key.FIELDS.empty())
            continue;
        std::size_t numbered = key.AUTOINC <= 1 ? 0 : key.AUTOINC - 1u;
        if (numbered >= key.FIELDS.size())
            continue;
        const KeyRecord::Component& target = key.FIELDS[numbered];
        std::int32_t image = StoreImage();
        FILE->skipMemosOnNextRead();
        bool read = false;
        bool sameGroup = true;
        if (numbered == 0) {
            // The highest value: the last record of an ascending key, the first of a
            // descending one.
            FILE->set(key.KEY);
            read = target.ASCEND ? FILE->previous() : FILE->next();
        } else {
            // Within the group of records whose leading components equal the buffer's:
            // position past the group's highest possible value and read back into it.
            std::vector<host::Value> leading;
            for (std::size_t c = 0; c < numbered; ++c)
                leading.push_back(key.FIELDS[c].FIELD.value());
            keyBounds::setHighest(target.FIELD);
            FILE->setAt(key.KEY);
            read = target.ASCEND ? FILE->previous() : FILE->next();
            for (std::size_t c = 0; read && c < numbered; ++c)
                sameGroup = sameGroup && key.FIELDS[c].FIELD.value() == leading[c];
        }
        host::Value next(1);
        if (read) {
            if (sameGroup)
                next = host::Value(target.FIELD.value().toInteger() + 1);
        } else if (host::errorCode() != host::errors::noRecord) {
            SetError(1);
            RecallImage(image, true);
            return report ? ReportLastError() : Severity::Notify;
        }
        RecallImage(image, true);
        target.FIELD.assign(next);
    }
    return Severity::Benign;
}

Severity FileAccess::Reserve(bool report, bool placeholder) {
    if (CheckOpen(2) != Severity::Benign)
        return Severity::Fatal;
    ThreadFileInfo& info = SelectInfo();
    if (!HASAUTOINC || info.AUTOINCDONE)
        return Severity::Benign;
    int failures = 0;
    for (;;) {
        Severity numbered = NumberKeys(report);
        if (numbered != Severity::Benign)
            return numbered;
        AdjustAutoNumbers();
        // The placeholder claims the keys numbered here; the other unique keys, which the
        // user has still to fill, leave it out so that other stations' new records pass.
        std::vector<int> claimed;
        for (const KeyRecord& key : KEYS)
            if (key.AUTOINC != 0)
                claimed.push_back(key.KEY);
        if (placeholder ? FILE->addPlaceholder(claimed) : FILE->add()) {
            info.AUTOINCDONE = true;
            info.AUTOINCPOS = FILE->position(0);
            return Severity::Benign;
        }
        host::RuntimeError failure = host::lastError();
        if (failure.code == host::errors::duplicateKey) {
            // A clash on a key that numbering does not fill is no race for a number:
            // numbering again would meet it every time. It is the duplicate it is.
            if (const KeyRecord* key = DuplicatedKey(true)) {
                host::restoreError(failure);
                SetError(13);
                if (report)
                    ReportDuplicate(key);
                return Severity::Notify;
            }
            host::restoreError(failure);
        }
        if (++failures < 3)
            continue;
        SetError(32);
        if (!report)
            return Severity::Notify;
        if (ReportLastError() != Severity::Benign)
            return Severity::Notify;
        failures = 0;
    }
}

Severity FileAccess::ReserveAutoNumber() {
    return Reserve(true);
}

Severity FileAccess::ReserveAutoNumberQuiet() {
    return Reserve(false);
}

void FileAccess::AdjustAutoNumbers() {}

// ---- New records ---------------------------------------------------------------------------

void FileAccess::FillNewFields() {}

Severity FileAccess::PrepareNewRecord(bool keepBuffer) {
    if (HasAliasedFile()) {
        FileAccess& alias = *ALIASEDFILE;
        alias.Open();
        std::uint16_t aliasState = alias.StoreState();
        if (keepBuffer)
            alias.BUFFER->setImage(BUFFER->image());
        Severity result = alias.PrepareNewRecord(keepBuffer);
        if (result == Severity::Benign) {
            // The primed record and the placeholder mark come over into this file.
            ThreadFileInfo& aliasInfo = alias.SelectInfo();
            ThreadFileInfo& info = SelectInfo();
            BUFFER->setImage(alias.BUFFER->image());
            info.AUTOINCDONE = aliasInfo.AUTOINCDONE;
            info.AUTOINCPOS = aliasInfo.AUTOINCPOS;
        }
        alias.RecallState(aliasState, true);
        alias.Close();
        return result;
    }
    if (!keepBuffer)
        BUFFER->clear();
    FillNewFields();
    if (!HASAUTOINC)
        return Severity::Benign;
    ThreadFileInfo& info = SelectInfo();
    // A placeholder still held from an earlier new record would stay in the file for
    // good once its mark is dropped: it goes first.
    if (info.AUTOINCDONE && IsReallyOpen()) {
        std::string image = BUFFER->image();
        RemovePlaceholder();
        BUFFER->setImage(image);
    }
    info.AUTOINCDONE = false;
    info.AUTOINCPOS.clear();
    return ReserveAutoNumber();
}

// ---- Cancelling ----------------------------------------------------------------------------

bool FileAccess::RemovePlaceholder() {
    ThreadFileInfo& info = SelectInfo();
    if (!FILE->getAt(info.AUTOINCPOS)) {
        if (host::errorCode() != host::errors::recordNotFound)
            return false;
    } else if (!FILE->remove()) {
        return false;
    }
    info.AUTOINCDONE = false;
    info.AUTOINCPOS.clear();
    return true;
}

Severity FileAccess::CancelAutoNumber(RelationLink* link) {
    ThreadFileInfo& info = SelectInfo();
    if (!info.USED || !FILE->isOpen() || !HASAUTOINC || !info.AUTOINCDONE)
        return Severity::Benign;
    if (!link) {
        if (RemovePlaceholder())
            return Severity::Benign;
        SetError(11);
        return Severity::Notify;
    }
    // The link deletes the current record: make that the placeholder, whatever was read
    // since it was added.
    if (!FILE->getAt(info.AUTOINCPOS)) {
        if (host::errorCode() != host::errors::recordNotFound)
            return Severity::Notify;
        info.AUTOINCDONE = false;
        info.AUTOINCPOS.clear();
        return Severity::Benign;
    }
    Severity result = link->Delete(false);
    if (result == Severity::Benign) {
        info.AUTOINCDONE = false;
        info.AUTOINCPOS.clear();
    }
    return result;
}

} // namespace framework
