#include "runtime/records/OrderText.h"

#include "runtime/records/ViewTextReader.h"

namespace host::records {

bool parseOrderText(std::string_view text, std::vector<OrderItem>& items, TextError& error) {
    items.clear();
    ViewTextReader reader(text);
    if (reader.atEnd())
        return true;
    do {
        OrderItem item;
        if (reader.take('-'))
            item.ascending = false;
        else
            reader.take('+');
        bool wrapped = false;
        {
            ViewTextReader probe = reader;
            if (probe.takeWord("UPPER") && probe.take('(')) {
                reader = probe;
                wrapped = true;
            }
        }
        item.label = reader.label();
        if (item.label.empty())
            return reader.fail(error, "a field label is expected");
        if (wrapped && !reader.take(')'))
            return reader.fail(error, "')' is expected");
        item.ignoreCase = wrapped;
        items.push_back(std::move(item));
    } while (reader.take(','));
    if (!reader.atEnd())
        return reader.fail(error, "',' or the end of the order is expected");
    return true;
}

} // namespace host::records
