#include "runtime/sqlite/OrderTerm.h"

#include "runtime/records/Keyset.h"

namespace host::sqlite::keyset {

std::string orderBy(const OrderTerms& terms, bool backward) {
    return records::keyset::orderBy(terms, backward);
}

std::string after(const OrderTerms& terms, int count, bool backward, bool inclusive, int first) {
    auto parameter = [](const OrderTerm&, int number) { return "?" + std::to_string(number); };
    return records::keyset::after(terms, count, backward, inclusive, first, parameter, "1", true);
}

} // namespace host::sqlite::keyset
