#include "runtime/base/FieldText.h"

#include <algorithm>
#include <cstring>

namespace host {

std::size_t writeFieldText(std::byte* data, const FieldType& type, std::string_view text) {
    switch (type.kind) {
    case FieldKind::Text: {
        std::size_t n = std::min<std::size_t>(text.size(), type.size);
        std::memcpy(data, text.data(), n);
        std::memset(data + n, ' ', type.size - n);
        return n;
    }
    case FieldKind::CText: {
        if (type.size == 0)
            return 0;
        std::size_t n = std::min(text.size(), type.textCapacity());
        std::memcpy(data, text.data(), n);
        std::memset(data + n, 0, type.size - n);
        return n;
    }
    case FieldKind::PText: {
        if (type.size == 0)
            return 0;
        std::size_t n = std::min({text.size(), type.textCapacity(), std::size_t{255}});
        data[0] = std::byte(n);
        std::memcpy(data + 1, text.data(), n);
        std::memset(data + 1 + n, 0, type.size - 1 - n);
        return n;
    }
    default:
        return 0;
    }
}

} // namespace host
