#pragma once

#include <string>
#include <vector>

namespace host::sqlite {

// One term of an order: an SQL expression (a column, with its collation) and its
// direction. The terms of every order the driver reads end with the row id, so that no
// two records have equal order values and a record's values place it exactly.
struct OrderTerm {
    std::string expression;
    bool ascending = true;
};

using OrderTerms = std::vector<OrderTerm>;

// Keyset paging over an order: the SQL that reads on from a place in the order without
// counting records, so that it costs the same anywhere in a file.
namespace keyset {

// "ORDER BY ..." for reading forward, or backward (every direction reversed).
std::string orderBy(const OrderTerms& terms, bool backward);
// A condition placing a record after the place given by the first `count` terms' values
// (bound as parameters ?first, ?first+1, ...), reading forward; before it reading
// backward. `inclusive` also takes records whose first `count` values equal the place.
// The condition leads with a range on the first term, so that SQLite seeks in its index.
std::string after(const OrderTerms& terms, int count, bool backward, bool inclusive, int first);

} // namespace keyset

} // namespace host::sqlite
