#pragma once

#include "runtime/base/FieldType.h"
#include "runtime/base/RecordLayout.h"

#include <memory>

namespace testsupport {

// Layouts of the shop's records for the tests and benchmarks of the runtime, which do not
// depend on the application's own declarations. Each is made once and shared.

inline host::SharedLayout customerLayout() {
    using host::FieldType;
    static host::SharedLayout layout = std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"CUS:CUSTOMERID", FieldType::longInteger()},
        {"CUS:NUMBER", FieldType::text(4)},
        {"CUS:NAME", FieldType::text(30)},
        {"CUS:ADDRESS", FieldType::text(20)},
        {"CUS:CITY", FieldType::text(15)},
        {"CUS:STATE", FieldType::text(2)},
        {"CUS:ZIP", FieldType::text(10)},
        {"CUS:PHONE", FieldType::text(10)},
        {"CUS:FAX", FieldType::text(10)},
        {"CUS:TOLLFREE", FieldType::text(10)},
        {"CUS:CONTACT", FieldType::text(20)},
    });
    return layout;
}

inline host::SharedLayout itemLayout() {
    using host::FieldType;
    static host::SharedLayout layout = std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"ITM:ITEMID", FieldType::longInteger()},
        {"ITM:ITEMNUMBER", FieldType::text(10)},
        {"ITM:DESCRIPTION", FieldType::text(30)},
        {"ITM:COST", FieldType::decimal(7, 2)},
        {"ITM:LIST", FieldType::decimal(7, 2)},
        {"ITM:SELL", FieldType::decimal(7, 2)},
        {"ITM:UOM", FieldType::text(2)},
        {"ITM:ICONFILE", FieldType::cstring(256)},
    });
    return layout;
}

} // namespace testsupport
