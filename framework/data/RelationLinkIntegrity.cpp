#include "framework/data/FileAccess.h"
#include "framework/data/KeyBounds.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Record.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"

#include <functional>
#include <string>

namespace framework {

namespace {

// After a frame that wrote the record was rolled back, the file still remembers the
// version it wrote as the one it watches; the record is back at the version it was read
// in, so it is watched again as that, keeping what the buffer holds.
void watchAgain(FileAccess& access, const std::string& position) {
    if (!access.FILE->isWatched() || position.empty())
        return;
    std::string image = access.BUFFER->image();
    access.FILE->watch();
    access.FILE->getAt(position);
    access.BUFFER->setImage(image);
}

bool hasLinks(const BufferedPairList* fields) {
    return fields && !fields->LIST->empty();
}

} // namespace

void RelationLink::PositionAtLinks(int key, BufferedPairList& fields) {
    if (key < 1 || key > ME->FILE->keyCount()) {
        ME->FILE->set(0);
        return;
    }
    for (const host::KeyComponent& component : ME->FILE->key(key).components) {
        host::TypedRef field = ME->BUFFER->field(component.field);
        bool linked = false;
        for (const BufferedPair& pair : *fields.LIST)
            linked = linked || pair.RIGHT.sameVariable(field);
        if (linked)
            continue;
        if (component.ascending)
            keyBounds::setLowest(field);
        else
            keyBounds::setHighest(field);
    }
    ME->FILE->setAt(key);
}

Severity RelationLink::OpenForChange(bool forDelete, bool& frame) {
    frame = false;
    Severity result = Open(false);
    if (result != Severity::Benign || !USELOGOUT)
        return result;
    if (EnlistTree(forDelete) != Severity::Benign) {
        Close(false);
        return Severity::Notify;
    }
    if (USELOGOUT) {
        if (BeginFrame() != Severity::Benign) {
            Close(false);
            return Severity::Notify;
        }
        frame = true;
    }
    return Severity::Benign;
}

// ---- Delete --------------------------------------------------------------------------------

Severity RelationLink::Delete(bool askFirst) {
    if (askFirst && ME->RaiseError(9) != Severity::Benign)
        return Severity::Notify;
    for (;;) {
        bool recordFailed = false;
        Severity result = DeleteOnce(recordFailed);
        // Only a failure to delete the record itself is offered again; a refusal or
        // failure of a related file has been reported and stands.
        if (!recordFailed || ME->RaiseError(33) != Severity::Benign)
            return result;
    }
}

Severity RelationLink::DeleteOnce(bool& recordFailed) {
    std::string position = ME->CurrentPosition();
    bool frame = false;
    Severity result = OpenForChange(true, frame);
    if (result != Severity::Benign)
        return result;
    auto fail = [&] {
        recordFailed = true;
        ME->SetError(11);
        RollBack();
        ME->ReportLastError();
        return Severity::Notify;
    };
    // Inside the frame, the record is read again as it stands now.
    if (ME->Reget(position) != Severity::Benign) {
        result = fail();
    } else {
        result = CascadeDeleteRelated();
        if (result != Severity::Benign) {
            RollBack();
            Close(false);
            return result;
        }
        if (!ME->FILE->remove())
            result = fail();
        else if (frame && !ME->DRIVER->commit())
            result = fail();
        else
            result = Severity::Benign;
    }
    Close(false);
    return result;
}

Severity RelationLink::CascadeDeleteRelated() {
    for (Relation& relation : RELATIONS) {
        if (!Relation::acts(relation.DELETEMODE))
            continue;
        Severity result = relation.FILE->CascadeDelete(relation.HISKEY, relation.FIELDS.get(),
                                                       relation.DELETEMODE);
        if (result != Severity::Benign)
            return result;
    }
    return Severity::Benign;
}

Severity RelationLink::ForEachLinkedRecord(int key, BufferedPairList& fields, bool savedValues,
                                           const std::function<Severity()>& visit) {
    Severity result = ME->CheckOpen(2);
    if (result != Severity::Benign)
        return result;
    std::uint16_t state = ME->StoreState();
    ME->BUFFER->clear();
    if (savedValues)
        fields.BufferToRight();
    else
        fields.LeftToRight();
    PositionAtLinks(key, fields);
    bool wholeFile = key == 0;
    for (;;) {
        Severity read = ME->ReadNextQuiet();
        if (read != Severity::Benign) {
            if (!ME->SelectInfo().ATEOF) {
                RollBack();
                ME->ReportLastError();
                result = Severity::Notify;
            }
            break;
        }
        if (savedValues ? !fields.SameRightBuffer() : !fields.SameLeftRight()) {
            if (wholeFile)
                continue;
            break;
        }
        result = visit();
        if (result != Severity::Benign)
            break;
    }
    ME->RecallState(state, true);
    return result;
}

Severity RelationLink::CascadeDelete(int key, BufferedPairList* fields, std::uint8_t action) {
    // Without linking fields no record of this file belongs to the parent.
    if (!hasLinks(fields))
        return Severity::Benign;
    return ForEachLinkedRecord(key, *fields, false, [&] {
        if (action == ActionRestrict) {
            ME->SetError(30);
            RollBack();
            ME->ReportLastError();
            return Severity::Notify;
        }
        if (action == ActionClear) {
            SaveLinkValues();
            fields->BlankRight();
            return UpdateChild() == Severity::Benign ? Severity::Benign : Severity::Notify;
        }
        Severity result = CascadeDeleteRelated();
        if (result != Severity::Benign)
            return result;
        if (!ME->FILE->remove()) {
            ME->SetError(11);
            RollBack();
            ME->ReportLastError();
            return Severity::Notify;
        }
        return Severity::Benign;
    });
}

// ---- Update --------------------------------------------------------------------------------

Severity RelationLink::Update(bool dittoNotice) {
    bool frame = false;
    Severity result = OpenForChange(false, frame);
    if (result != Severity::Benign)
        return result;
    result = ME->UpdateQuiet();
    if (result != Severity::Benign) {
        RollBack();
        std::uint8_t last = ME->LastError();
        if (dittoNotice && last == 6) {
            last = 7;
            ME->SetLastError(last);
        }
        if (result == Severity::Notify)
            ME->ReportLastError();
        // A refusal by validation stays a refusal, whatever an earlier error was.
        bool changedElsewhere = result == Severity::Notify && (last == 6 || last == 7);
        Close(false);
        return changedElsewhere ? Severity::Notify : Severity::User;
    }
    std::string position = ME->FILE->position(0);
    auto undo = [&] {
        for (Relation& relation : RELATIONS)
            if (relation.FIELDS)
                relation.FIELDS->BufferToLeft();
        RollBack();
        if (frame)
            watchAgain(*ME, position);
    };
    for (Relation& relation : RELATIONS) {
        if (!Relation::acts(relation.UPDATEMODE) || !hasLinks(relation.FIELDS.get()) ||
            relation.FIELDS->SameLeftBuffer())
            continue;
        result = relation.FILE->CascadeUpdate(relation.HISKEY, relation.FIELDS.get(),
                                              relation.UPDATEMODE);
        if (result != Severity::Benign) {
            undo();
            Close(false);
            return result;
        }
    }
    if (frame && !ME->DRIVER->commit()) {
        ME->SetError(25);
        undo();
        ME->ReportLastError();
        Close(false);
        return Severity::Notify;
    }
    Close(false);
    return Severity::Benign;
}

Severity RelationLink::CascadeUpdate(int key, BufferedPairList* fields, std::uint8_t action) {
    if (!hasLinks(fields))
        return Severity::Benign;
    return ForEachLinkedRecord(key, *fields, true, [&] {
        SaveLinkValues();
        if (action == ActionRestrict) {
            ME->SetError(31);
            RollBack();
            ME->ReportLastError();
            fields->BufferToLeft();
            return Severity::Notify;
        }
        if (action == ActionClear)
            fields->BlankRight();
        else
            fields->LeftToRight();
        return UpdateChild() == Severity::Benign ? Severity::Benign : Severity::Notify;
    });
}

Severity RelationLink::UpdateChild() {
    for (Relation& relation : RELATIONS) {
        if (!Relation::acts(relation.UPDATEMODE) || !hasLinks(relation.FIELDS.get()) ||
            relation.FIELDS->SameLeftBuffer())
            continue;
        if (relation.FILE->CascadeUpdate(relation.HISKEY, relation.FIELDS.get(),
                                         relation.UPDATEMODE) != Severity::Benign) {
            relation.FIELDS->BufferToLeft();
            return Severity::Notify;
        }
    }
    if (ME->UpdateQuiet() != Severity::Benign) {
        RollBack();
        Severity answer = ME->ReportLastError();
        return answer == Severity::Benign ? Severity::Notify : answer;
    }
    return Severity::Benign;
}

} // namespace framework
