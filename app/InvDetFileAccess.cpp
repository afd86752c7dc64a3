#include "app/InvDetFileAccess.h"

#include "app/DataDictionary.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Record.h"

#include <cstdint>

namespace app {

void InvDetFileAccess::AdjustAutoNumbers() {
    host::TypedRef sequence = BUFFER->field("IND:SEQUENCE");
    std::int64_t value = sequence.integer();
    std::int64_t remainder = ((value % 10) + 10) % 10;
    sequence.assign(host::Value(static_cast<long long>(value + 10 - remainder)));
}

framework::Severity InvDetFileAccess::CheckRecord(int* failedField) {
    framework::Severity result = FileAccess::CheckRecord(failedField);
    if (ShowRowValidation == 0)
        return result;
    unsigned answer =
        host::showMessage("Press OK To Simulate Record:OK or CANCEL to simulate Record:Filtered",
                          "EIP Message Screen", host::MessageIcon::Information,
                          host::ButtonOk | host::ButtonCancel, host::ButtonCancel);
    if (answer == host::ButtonCancel)
        return framework::Severity{2};
    if (answer == host::ButtonOk)
        return framework::Severity::Benign;
    return result;
}

} // namespace app
