#pragma once

#include "runtime/base/TypedRef.h"

#include <vector>

namespace framework {

// A pair with a remembered value: BUFFER is a variable of the right variable's type,
// owned by the entry.
struct BufferedPair {
    host::TypedRef LEFT;
    host::TypedRef RIGHT;
    host::Variable BUFFER;
};

// A pair list whose entries each keep a private buffer, so that a value can be
// remembered and later compared or put back: the linking fields of a relation as they
// were when a change began, the range limits a filter was built with. Besides the buffer
// operations it copies, blanks and compares the two sides as a FieldPairList does.
class BufferedPairList {
public:
    BufferedPairList() = default;
    BufferedPairList(const BufferedPairList&) = delete;
    BufferedPairList& operator=(const BufferedPairList&) = delete;

    // Starts an empty list, dropping any earlier one; LIST walks REALLIST.
    void Setup();
    // Drops every entry and buffer; safe to call again.
    void Teardown();

    // The buffer starts as the cleared value of the right variable's type; the right
    // variable itself is not touched.
    void PairUp(host::TypedRef left, host::TypedRef right);

    void LeftToBuffer() const;
    void RightToBuffer() const;
    void BufferToLeft() const;
    void BufferToRight() const;
    bool SameLeftBuffer() const;
    bool SameRightBuffer() const;

    void LeftToRight() const;
    void RightToLeft() const;
    void BlankLeft() const;
    void BlankRight() const;
    bool SameLeftRight() const;

    // The entries that the operations walk: REALLIST, unless an owner points it elsewhere.
    std::vector<BufferedPair>* LIST = &REALLIST;
    std::vector<BufferedPair> REALLIST;
};

} // namespace framework
