#pragma once

#include "framework/data/Relation.h"
#include "framework/data/Severity.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace framework {

class BufferedPairList;
class FileAccess;

// A file's relations to other files, and the referential integrity they ask for. Record
// changes that may touch other files go through the link: Delete and Update apply each
// relation's action to the other file's matching records (clear, restrict, cascade)
// inside one transaction frame of the record-file driver, so that either every record
// of the change is written or none is. The link also opens and closes a file together
// with every file reachable through its relations.
class RelationLink {
public:
    RelationLink() = default;
    RelationLink(const RelationLink&) = delete;
    RelationLink& operator=(const RelationLink&) = delete;
    virtual ~RelationLink();

    // Virtual operations, in slot order.

    // Removes the file's placeholder record through this link (delete actions apply).
    virtual Severity CancelAutoNumber();
    // Tree close: this file and every related file, each once.
    virtual Severity Close(bool recursive = false);
    // Deletes the current record with its relations' delete actions; `askFirst` asks
    // "Confirm Delete" first.
    virtual Severity Delete(bool askFirst = true);
    // On the other file's link, for the parent's Delete: applies `action` to every
    // record whose linking fields (the right side of `fields`) equal the parent's.
    virtual Severity CascadeDelete(int key, BufferedPairList* fields, std::uint8_t action);
    // Tears down the file's FileAccess, then the relations.
    virtual void Teardown();
    // Tree open: this file (opened for real at the top) and every related file, each once.
    // A tree open that fails closes again what it had opened.
    virtual Severity Open(bool recursive = false);
    // Remembers the record's linking values (left to buffer) for every relation.
    virtual void SaveLinkValues();
    // Sends "QUICKSCAN=on" or "off" to the file; scope 0 this file only, 1 also the
    // files of relations without a key, 2 those with a key, any other all related files.
    virtual void SwitchQuickScan(bool on, int scope = 0);
    // Writes the current record with its relations' update actions. `dittoNotice` turns
    // "changed by another station" into the notice that mentions the Ditto button.
    virtual Severity Update(bool dittoNotice = false);
    // On the other file's link, for the parent's Update: carries the change of the
    // linking values (buffer: old, left: new) to the matching records.
    virtual Severity CascadeUpdate(int key, BufferedPairList* fields, std::uint8_t action);

    void Setup(FileAccess& access, bool useLogout);
    // A relation without fields, key or actions.
    void DeclareRelation(RelationLink& other);
    void DeclareRelation(RelationLink& other, std::uint8_t updateMode, std::uint8_t deleteMode,
                         int hisKey);
    // The same, naming the other file's key by its label.
    void DeclareRelation(RelationLink& other, std::uint8_t updateMode, std::uint8_t deleteMode,
                         std::string_view hisKeyLabel);
    // Adds a linking pair to the last relation declared.
    void AddLinkFields(host::TypedRef ownField, host::TypedRef otherField);

    // The relation to `other`, none when there is no such relation.
    Relation* FindRelation(const RelationLink& other);

    FileAccess* ME = nullptr;
    std::vector<Relation> RELATIONS;
    RelationLink* ALIASFILE = nullptr;
    bool USELOGOUT = false;
    std::int32_t LASTTOUCHED = 0;

    // The pass number of tree walks, shared by every link; 1 at start.
    static std::int32_t PASS;

protected:
    Severity OpenTree(bool top, std::vector<RelationLink*>& opened);
    void CloseTree(bool top);
    void QuickScanTree(bool on, int scope, bool top);
    // Marks the files that a delete (or update) may touch as taking part in the next
    // frame. 0 when done or when the driver has no frames (USELOGOUT then goes off).
    Severity EnlistTree(bool forDelete);
    using ChainStep = std::pair<const RelationLink*, bool>; // a link, and whether for delete
    bool EnlistFiles(bool forDelete, std::vector<ChainStep>& visited, bool& unsupported);
    // Opens the file for a change that may touch related files and, when the driver keeps
    // frames, enlists the files the change may touch and begins a frame (`frame` tells).
    // Closes again when that fails.
    Severity OpenForChange(bool forDelete, bool& frame);
    // Begins the frame; raises id 21 on failure.
    Severity BeginFrame();
    // Rolls back the running frame, when there is one.
    void RollBack();
    bool InFrame() const;
    // One attempt; `recordFailed` tells that the record itself could not be deleted.
    Severity DeleteOnce(bool& recordFailed);
    Severity UpdateChild();
    // Applies every relation's delete action to the records that belong to the current
    // record; the first result that is not Benign.
    Severity CascadeDeleteRelated();
    // Reads in turn the records of `key` that belong to the parent: those whose linking
    // fields (the right side of `fields`) hold the parent's values (the left side, or the
    // values saved in the buffer when `savedValues`). `visit` is called on each; the first
    // result that is not Benign ends the walk. A failed read rolls back and notifies. The
    // file's state is restored afterwards.
    Severity ForEachLinkedRecord(int key, BufferedPairList& fields, bool savedValues,
                                 const std::function<Severity()>& visit);
    // Positions this file at the first record of `key` whose linked components hold the
    // values now in the linking fields.
    void PositionAtLinks(int key, BufferedPairList& fields);
};

} // namespace framework
