#include "runtime/sqlite/OrderTerm.h"

namespace host::sqlite::keyset {

namespace {

std::string parameter(int number) {
    return "?" + std::to_string(number);
}

// The comparison that is "after" for a term read in this direction.
const char* afterOperator(const OrderTerm& term, bool backward, bool orEqual) {
    bool greater = term.ascending != backward;
    if (orEqual)
        return greater ? " >= " : " <= ";
    return greater ? " > " : " < ";
}

std::string nested(const OrderTerms& terms, int at, int count, bool backward, bool inclusive,
                   int first) {
    const OrderTerm& term = terms[static_cast<size_t>(at)];
    bool last = at == count - 1;
    std::string compare =
        term.expression + afterOperator(term, backward, last && inclusive) + parameter(first + at);
    if (last)
        return compare;
    return "(" + compare + " OR (" + term.expression + " = " + parameter(first + at) + " AND " +
           nested(terms, at + 1, count, backward, inclusive, first) + "))";
}

} // namespace

std::string orderBy(const OrderTerms& terms, bool backward) {
    std::string sql = " ORDER BY ";
    for (size_t i = 0; i < terms.size(); ++i) {
        if (i > 0)
            sql += ", ";
        sql += terms[i].expression;
        sql += terms[i].ascending != backward ? " ASC" : " DESC";
    }
    return sql;
}

std::string after(const OrderTerms& terms, int count, bool backward, bool inclusive, int first) {
    if (count <= 0 || terms.empty())
        return "1";
    count = std::min<int>(count, static_cast<int>(terms.size()));
    const OrderTerm& lead = terms.front();
    std::string seek = lead.expression + afterOperator(lead, backward, true) + parameter(first);
    if (count == 1 && inclusive)
        return seek;
    bool sameDirection = true;
    for (int i = 1; i < count; ++i)
        sameDirection = sameDirection && terms[static_cast<size_t>(i)].ascending == lead.ascending;
    std::string rest;
    if (sameDirection) {
        std::string left = "(", right = "(";
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                left += ", ";
                right += ", ";
            }
            left += terms[static_cast<size_t>(i)].expression;
            right += parameter(first + i);
        }
        rest = left + ")" + afterOperator(lead, backward, inclusive) + right + ")";
    } else {
        rest = nested(terms, 0, count, backward, inclusive, first);
    }
    return seek + " AND " + rest;
}

} // namespace host::sqlite::keyset
