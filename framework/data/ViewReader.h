#pragma once

#include "framework/data/RecordJudgement.h"
#include "framework/data/Severity.h"
#include "framework/data/SortOrderList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class RecordFile;
class RecordView;
class Value;
} // namespace host

namespace framework {

class RelationLink;

// Reads the records of a host view (a primary file, and the files joined to it) in the
// current sort order through a filter. Each sort order follows a key of the primary
// file and can be limited to the records of a related file's current record and
// filtered by named filter texts; the reader writes the view's order and filter texts
// from them, and passes every record read through AcceptRecord, which takes it, skips it
// or ends the reading. The browse list and the record processor derive from it.
class ViewReader {
public:
    ViewReader() = default;
    ViewReader(const ViewReader&) = delete;
    ViewReader& operator=(const ViewReader&) = delete;
    virtual ~ViewReader();

    // Virtual operations, in slot order.

    // Writes the filter text (range limit, then the filters) and sets it on the view.
    virtual void PushFilter();
    virtual void PushOrder();
    // For a sort order limited by a related file: true when a limit value changed since
    // the filter was built (the filter is then built again).
    virtual bool RangeChanged();
    virtual void Close();
    // The key component the range limit leaves free, as order texts name it.
    virtual std::string FreeComponentName();
    // The number of range pairs plus one; 0 beyond the key's components or without key.
    virtual int FixedKeyComponents();
    virtual void Teardown();
    // 0 a record was read and taken, 5 no more records, 3 a read error (reported).
    virtual Severity ReadNext();
    virtual void Open();
    virtual Severity ReadPrevious();
    // Prepares a new record of the primary file inside the current range.
    virtual void ResetToRange(bool keepOtherBuffers = false);
    // Positions at the start of the order (0) or at the values the record buffers hold
    // for the first `n` order fields.
    virtual void ResetFrom(int n);
    virtual void Reset();
    virtual void PutFilter(std::string_view text);
    // Sets the filter with this id (cut to 30); an empty text removes it.
    virtual void PutFilterWithId(std::string_view text, std::string_view id);
    virtual void PutOrderText(std::string_view text);
    // Makes sort order n current (0 is 1); false when it already was.
    virtual bool SelectSortOrder(int n);
    virtual RecordJudgement AcceptRecord();

    // `orders` given: the owner's list, not disposed of here. `joinedFiles`: the files
    // the view joins to the primary file. Every file of the view is opened for real.
    void Setup(host::RecordView& view, RelationLink& primary, SortOrderList* orders = nullptr,
               std::vector<host::RecordFile*> joinedFiles = {});
    // Appends a sort order for a key of the primary file and makes it current; returns
    // its number.
    std::size_t DeclareSortOrder(int key);
    std::size_t DeclareSortOrder(std::string_view keyLabel);
    // Limits the current sort order to the records whose linking fields equal those of
    // the related file's current record.
    void AddRangeFromFile(RelationLink& own, RelationLink& related);

    // A key's order text from component `first` (1 when 0).
    std::string KeyOrderText(int key, int first = 1) const;
    // A value written into a filter text for a component named `componentName`.
    static std::string Literal(const host::Value& value, bool isText,
                               std::string_view componentName);
    SortOrder& CurrentSortOrder() { return ORDER->current(); }
    const std::vector<host::RecordFile*>& Files() const { return FILES; }

    bool DISPOSEORDER = false;
    bool OPENED = false;
    SortOrderList* ORDER = nullptr;
    std::uint16_t PAGESAHEAD = 0;
    std::uint16_t PAGESBEHIND = 2;
    std::uint16_t PAGESIZE = 20;
    RelationLink* PRIMARY = nullptr;
    std::uint16_t TIMEOUT = 60;
    host::RecordView* VIEW = nullptr;

protected:
    Severity Read(bool backward);
    // The primary file's key record component names of a key, in key order.
    std::vector<std::string> ComponentNames(int key) const;
    void RaiseViewError();

    std::vector<host::RecordFile*> FILES; // the primary file first
    std::unique_ptr<SortOrderList> ownOrders_;
};

} // namespace framework
