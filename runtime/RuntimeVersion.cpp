#include "runtime/RuntimeVersion.h"

namespace host {

int runtimeVersion() {
    return runtimeInterfaceVersion;
}

} // namespace host
