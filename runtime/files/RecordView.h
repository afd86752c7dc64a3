#pragma once

#include "runtime/base/TypedRef.h"

#include <string>
#include <string_view>

namespace host {

class RecordFile;

// A view: a read-only join of a primary file with other files, read in an order
// through a filter. Made by RecordFileDriver::makeView. Reading a record of the view
// fills the record buffers of its files (a joined file without a matching record gets
// a cleared buffer). Every operation leaves the runtime error as RecordFile does.
//
// Texts a view understands:
// - Join expression: equalities between a field of the joined file and a field of a
//   file already in the view, joined by AND: "ITM:ITEMNUMBER = IND:ITEMNUMBER".
// - Order text: field labels of the view's files joined by commas; "-" in front orders
//   a field descending; "UPPER(label)" orders text without regard to letter case:
//   "UPPER(CUS:NAME),-CUS:CUSTOMERID". Records with equal order values come as a file
//   reads equal key values (RecordFile, "Order of equal values"): in the order they were
//   added reading forward, reversed reading backward, whatever the fields' directions,
//   across page boundaries too; an order text that is exactly a key of the primary file
//   without duplicates (fields, directions and letter case) reads that key's ties, a
//   placeholder's among them, as the file does. An empty order text is record order.
// - Filter text: an expression in the host's expression language naming fields by
//   their labels; a record is read when it is true. Labels resolve, in this order, to
//   variables bound with bindLabel and to the fields of the view's files.
//
// Positioning and paging. Pages are found by the order values of the record next to
// them, never by counting records, so reading a page costs the same at the start and at
// the end of a file of millions. `setStart`, `setAt` and `reset` position the view;
// `next` and `previous` read from there as RecordFile::next and previous do.
class RecordView {
public:
    virtual ~RecordView();

    // Joins another file. `inner` leaves out primary records without a match; otherwise
    // they are read with the joined file's buffer cleared. Only while the view is closed.
    // An expression naming unknown fields, or no field of `other`, fails with 47.
    virtual bool join(RecordFile& other, std::string_view expression, bool inner = false) = 0;

    // Opens the view over its files, which must be open (37 otherwise). The mode is
    // accepted for the host's sake (34 or 66); a view never writes.
    virtual bool open(int mode = 0x42) = 0;
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;

    // Paging parameters: records fetched per page, pages kept behind and read ahead,
    // and the time-out in seconds. Accepted at any time.
    virtual void setPaging(int pageSize, int pagesBehind, int pagesAhead, int timeoutSeconds) = 0;
    virtual int pageSize() const = 0;

    // Sets the order or filter text (an empty text: record order, no filter). A text
    // that cannot be read fails with 47 and a message naming the position; the view
    // keeps its previous setting. Either call positions the view at the start.
    virtual bool setOrder(std::string_view text) = 0;
    virtual bool setFilter(std::string_view text) = 0;
    virtual std::string order() const = 0;
    virtual std::string filter() const = 0;

    // Makes a variable known to the filter under a label (a label bound here wins over
    // a field of the view's files with the same label). Bind before setting the filter
    // that names it. The filter reads the variable when the view is positioned (setStart,
    // setAt, reset) and, where SQL cannot decide the filter alone, at every record.
    virtual void bindLabel(std::string label, TypedRef variable) = 0;

    // Positions at the start of the order.
    virtual bool setStart() = 0;
    // Positions at the values the record buffers hold for the first `count` fields of
    // the order (all of them when count exceeds their number; the start when 0).
    virtual bool setAt(int count) = 0;
    // Positions at a position taken by `position`.
    virtual bool reset(std::string_view position) = 0;
    virtual bool next() = 0;
    virtual bool previous() = 0;
    // Reads the record at a position taken by `position`, or the first one after it, as
    // `reset` then `next` do, and leaves the view there; for one record looked up by its
    // position (a list's row read again), so a driver fetches that record alone rather
    // than the page that would follow it.
    virtual bool readAt(std::string_view position);
    // The position of the record last read; empty before any.
    virtual std::string position() const = 0;
};

} // namespace host
