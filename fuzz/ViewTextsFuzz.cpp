// Texts the record-file driver reads from its callers: view order texts, join
// expressions and positions (kept by the program in text fields and handed back). Each
// must be refused or accepted without crashing; an accepted position must encode back
// to a position that decodes to the same values.

#include "runtime/records/JoinText.h"
#include "runtime/records/OrderText.h"
#include "runtime/records/PositionText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace host::records;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<OrderItem> items;
    std::vector<JoinPair> pairs;
    TextError error;
    if (!parseOrderText(text, items, error) && (error.position == 0 || error.position > size + 1))
        std::abort();
    if (!parseJoinText(text, pairs, error) && (error.position == 0 || error.position > size + 1))
        std::abort();
    for (std::string_view tag : {"V", "K2"}) {
        auto values = positionText::decode(tag, text);
        if (!values)
            continue;
        std::string again = positionText::encode(tag, *values);
        auto back = positionText::decode(tag, again);
        if (!back || back->size() != values->size())
            std::abort();
        for (std::size_t i = 0; i < values->size(); ++i) {
            const SqlValue& a = (*values)[i];
            const SqlValue& b = (*back)[i];
            bool same = a.type == b.type && a.integer == b.integer && a.text == b.text &&
                        (a.real == b.real || (a.real != a.real && b.real != b.real));
            if (!same)
                std::abort();
        }
    }
    return 0;
}
