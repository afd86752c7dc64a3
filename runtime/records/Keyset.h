#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

// Keyset paging over an order of terms (each with an SQL `expression` and a direction,
// `ascending`): the SQL that reads on from a place in the order without counting records,
// so that it costs the same anywhere in a file. Each driver says how it writes a term's
// parameter and a condition that always holds, and whether every condition leads with a
// range on the first term (SQLite seeks its index by it).
namespace host::records::keyset {

// The comparison that is "after" for a term read in this direction.
inline const char* afterOperator(bool ascending, bool backward, bool orEqual) {
    bool greater = ascending != backward;
    if (orEqual)
        return greater ? " >= " : " <= ";
    return greater ? " > " : " < ";
}

// "ORDER BY ..." for reading forward, or backward (every direction reversed).
template <typename Terms> std::string orderBy(const Terms& terms, bool backward) {
    std::string sql = " ORDER BY ";
    for (size_t i = 0; i < terms.size(); ++i) {
        if (i > 0)
            sql += ", ";
        sql += terms[i].expression;
        sql += terms[i].ascending != backward ? " ASC" : " DESC";
    }
    return sql;
}

// The exact condition term by term, for terms of mixed directions:
// t0 > v0 OR (t0 = v0 AND (t1 > v1 OR ...)).
template <typename Terms, typename Parameter>
std::string nested(const Terms& terms, int at, int count, bool backward, bool inclusive, int first,
                   const Parameter& parameter) {
    const auto& term = terms[static_cast<size_t>(at)];
    bool last = at == count - 1;
    std::string value = parameter(term, first + at);
    std::string compare =
        term.expression + afterOperator(term.ascending, backward, last && inclusive) + value;
    if (last)
        return compare;
    return "(" + compare + " OR (" + term.expression + " = " + value + " AND " +
           nested(terms, at + 1, count, backward, inclusive, first, parameter) + "))";
}

// A condition placing a record after the place given by the first `count` terms' values
// (parameters numbered from `first`; `parameter(term, number)` writes one), reading
// forward; before it reading backward. `inclusive` also takes records whose first
// `count` values equal the place. Terms of one direction compare as a row value; mixed
// ones term by term, after a range on the first term. `seekFirst`: every condition leads
// with that range. No terms or values: `always`.
template <typename Terms, typename Parameter>
std::string after(const Terms& terms, int count, bool backward, bool inclusive, int first,
                  const Parameter& parameter, const std::string& always, bool seekFirst) {
    if (count <= 0 || terms.empty())
        return always;
    count = std::min<int>(count, static_cast<int>(terms.size()));
    const auto& lead = terms.front();
    std::string seek =
        lead.expression + afterOperator(lead.ascending, backward, true) + parameter(lead, first);
    bool sameDirection = true;
    for (int i = 1; i < count; ++i)
        sameDirection = sameDirection && terms[static_cast<size_t>(i)].ascending == lead.ascending;
    if (!sameDirection)
        return seek + " AND " + nested(terms, 0, count, backward, inclusive, first, parameter);
    if (count == 1 && (inclusive || !seekFirst))
        return seekFirst ? seek
                         : lead.expression + afterOperator(lead.ascending, backward, inclusive) +
                               parameter(lead, first);
    std::string left = "(", right = "(";
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            left += ", ";
            right += ", ";
        }
        left += terms[static_cast<size_t>(i)].expression;
        right += parameter(terms[static_cast<size_t>(i)], first + i);
    }
    std::string rows =
        left + ")" + afterOperator(lead.ascending, backward, inclusive) + right + ")";
    return seekFirst ? seek + " AND " + rows : rows;
}

} // namespace host::records::keyset
