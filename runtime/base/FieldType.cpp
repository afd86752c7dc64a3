#include "runtime/base/FieldType.h"

#include "runtime/base/TypedRef.h"

namespace host {

FieldType FieldType::reference() {
    return {FieldKind::Reference, static_cast<std::uint16_t>(sizeof(TypedRef))};
}

std::size_t FieldType::textCapacity() const {
    switch (kind) {
    case FieldKind::Text:
        return size;
    case FieldKind::CText:
    case FieldKind::PText:
        return size > 0 ? size - 1u : 0u;
    default:
        return 0;
    }
}

} // namespace host
