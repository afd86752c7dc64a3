#include "runtime/base/RuntimeVersion.h"

namespace host {

int runtimeVersion() {
    return runtimeInterfaceVersion;
}

} // namespace host
