#include "framework/data/RelationLink.h"

#include "framework/data/FileAccess.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"

#include <algorithm>

namespace framework {

std::int32_t RelationLink::PASS = 1;

RelationLink::~RelationLink() = default;

// ---- Set-up --------------------------------------------------------------------------------

void RelationLink::Setup(FileAccess& access, bool useLogout) {
    ME = &access;
    RELATIONS.clear();
    USELOGOUT = useLogout;
    LASTTOUCHED = 0;
}

void RelationLink::DeclareRelation(RelationLink& other) {
    Relation relation;
    relation.FILE = &other;
    RELATIONS.push_back(std::move(relation));
}

void RelationLink::DeclareRelation(RelationLink& other, std::uint8_t updateMode,
                                   std::uint8_t deleteMode, int hisKey) {
    Relation relation;
    relation.FILE = &other;
    relation.FIELDS = std::make_unique<BufferedPairList>();
    relation.FIELDS->Setup();
    relation.HISKEY = hisKey;
    relation.UPDATEMODE = updateMode;
    relation.DELETEMODE = deleteMode;
    RELATIONS.push_back(std::move(relation));
}

void RelationLink::DeclareRelation(RelationLink& other, std::uint8_t updateMode,
                                   std::uint8_t deleteMode, std::string_view hisKeyLabel) {
    int key = other.ME && other.ME->FILE ? other.ME->FILE->definition().keyNumber(hisKeyLabel) : 0;
    DeclareRelation(other, updateMode, deleteMode, key);
}

void RelationLink::AddLinkFields(host::TypedRef ownField, host::TypedRef otherField) {
    if (RELATIONS.empty())
        return;
    Relation& relation = RELATIONS.back();
    if (!relation.FIELDS) {
        relation.FIELDS = std::make_unique<BufferedPairList>();
        relation.FIELDS->Setup();
    }
    relation.FIELDS->PairUp(ownField, otherField);
}

Relation* RelationLink::FindRelation(const RelationLink& other) {
    for (Relation& relation : RELATIONS)
        if (relation.FILE == &other)
            return &relation;
    return nullptr;
}

void RelationLink::Teardown() {
    if (ME)
        ME->Teardown();
    for (Relation& relation : RELATIONS)
        if (relation.FIELDS)
            relation.FIELDS->Teardown();
    RELATIONS.clear();
    ME = nullptr;
}

Severity RelationLink::CancelAutoNumber() {
    return ME->CancelAutoNumber(this);
}

void RelationLink::SaveLinkValues() {
    for (Relation& relation : RELATIONS)
        if (relation.FIELDS)
            relation.FIELDS->LeftToBuffer();
}

// ---- Tree walks ----------------------------------------------------------------------------

Severity RelationLink::Open(bool recursive) {
    std::vector<RelationLink*> opened;
    Severity result = OpenTree(!recursive, opened);
    if (result != Severity::Benign && !recursive) {
        // Close exactly what this walk opened: a tree close would also take a count from
        // related files this walk never reached, which an outer procedure may hold open.
        for (auto link = opened.rbegin(); link != opened.rend(); ++link)
            (*link)->ME->Close();
    }
    return result;
}

Severity RelationLink::OpenTree(bool top, std::vector<RelationLink*>& opened) {
    if (top)
        ++PASS;
    else if (LASTTOUCHED == PASS)
        return Severity::Benign;
    LASTTOUCHED = PASS;
    Severity result = ME->Open();
    if (result == Severity::Benign) {
        opened.push_back(this);
        if (top)
            result = ME->CheckOpen(2);
    }
    for (std::size_t r = 0; result == Severity::Benign && r < RELATIONS.size(); ++r)
        result = RELATIONS[r].FILE->OpenTree(false, opened);
    return result;
}

Severity RelationLink::Close(bool recursive) {
    CloseTree(!recursive);
    return Severity::Benign;
}

void RelationLink::CloseTree(bool top) {
    if (top)
        ++PASS;
    else if (LASTTOUCHED == PASS)
        return;
    LASTTOUCHED = PASS;
    ME->Close();
    for (Relation& relation : RELATIONS)
        relation.FILE->CloseTree(false);
}

void RelationLink::SwitchQuickScan(bool on, int scope) {
    QuickScanTree(on, scope, true);
}

void RelationLink::QuickScanTree(bool on, int scope, bool top) {
    if (scope != 0) {
        if (top)
            ++PASS;
        else if (LASTTOUCHED == PASS)
            return;
        LASTTOUCHED = PASS;
    }
    ME->FILE->sendOption(on ? "QUICKSCAN=on" : "QUICKSCAN=off");
    if (scope == 0)
        return;
    for (Relation& relation : RELATIONS) {
        bool follow = scope == 1 ? relation.HISKEY == 0 : scope == 2 ? relation.HISKEY != 0 : true;
        if (follow)
            relation.FILE->QuickScanTree(on, scope, false);
    }
}

// ---- Transaction frames --------------------------------------------------------------------

bool RelationLink::InFrame() const {
    return ME->DRIVER && ME->DRIVER->inTransaction();
}

void RelationLink::RollBack() {
    // Whoever fails inside a frame ends it, whether or not this link itself uses
    // frames: a frame left running would refuse every later one.
    if (InFrame())
        ME->DRIVER->rollback();
}

Severity RelationLink::EnlistTree(bool forDelete) {
    std::vector<ChainStep> visited;
    bool unsupported = false;
    bool enlisted = EnlistFiles(forDelete, visited, unsupported);
    if (unsupported) {
        USELOGOUT = false;
        return Severity::Benign;
    }
    return enlisted ? Severity::Benign : Severity::Notify;
}

bool RelationLink::EnlistFiles(bool forDelete, std::vector<ChainStep>& visited, bool& unsupported) {
    // A link is visited once per kind of chain: its delete chain and its update chain
    // reach different files.
    ChainStep step{this, forDelete};
    if (std::find(visited.begin(), visited.end(), step) != visited.end())
        return true;
    visited.push_back(step);
    if (ME->CheckOpen(2) != Severity::Benign)
        return false;
    if (!ME->FILE->enlist()) {
        if (host::errorCode() == host::errors::notSupported) {
            unsupported = true;
            return true;
        }
        ME->RaiseError(21);
        return false;
    }
    for (Relation& relation : RELATIONS) {
        bool enlisted = true;
        if (forDelete && relation.DELETEMODE == ActionCascade)
            enlisted = relation.FILE->EnlistFiles(true, visited, unsupported);
        else if (forDelete && relation.DELETEMODE == ActionClear)
            enlisted = relation.FILE->EnlistFiles(false, visited, unsupported);
        else if (!forDelete &&
                 (relation.UPDATEMODE == ActionClear || relation.UPDATEMODE == ActionCascade))
            enlisted = relation.FILE->EnlistFiles(false, visited, unsupported);
        if (!enlisted || unsupported)
            return enlisted;
    }
    return true;
}

Severity RelationLink::BeginFrame() {
    if (ME->DRIVER && ME->DRIVER->begin(2))
        return Severity::Benign;
    ME->RaiseError(21);
    return Severity::Notify;
}

} // namespace framework
