#pragma once

#include "runtime/base/TypedRef.h"

#include <memory>
#include <vector>

namespace framework {

// A left and a right variable that are copied, blanked and compared together.
struct FieldPair {
    host::TypedRef LEFT;
    host::TypedRef RIGHT;
    // The private copy that RIGHT refers to, for a pair made by PairWithCopy; held apart
    // from the entry so that RIGHT stays valid while the list grows.
    std::unique_ptr<host::Variable> COPY;
};

// A list of variable pairs handled as a whole without knowing their types: a record's
// fields and a list row's columns, a file's linking fields, watched fields and their
// remembered values. Copies convert as the host's assignment does; comparisons compare
// values. The list never owns the variables it refers to, only its private copies.
class FieldPairList {
public:
    FieldPairList() = default;
    FieldPairList(const FieldPairList&) = delete;
    FieldPairList& operator=(const FieldPairList&) = delete;

    // Starts an empty list, dropping any earlier one.
    void Setup();
    // Drops every pair and private copy; safe to call again.
    void Teardown();

    void PairUp(host::TypedRef left, host::TypedRef right);
    // Pairs `field` (left) with a private copy of its current value (right).
    void PairWithCopy(host::TypedRef field);

    void LeftToRight() const;
    void RightToLeft() const;
    // Blank text, zero numbers.
    void BlankLeft() const;
    void BlankRight() const;
    // True when every pair's sides are equal; an empty list is equal.
    bool SameLeftRight() const;

    std::vector<FieldPair> LIST;
};

} // namespace framework
