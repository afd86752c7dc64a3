#pragma once

#include <cstddef>
#include <cstring>

namespace host {

// Fields are packed without padding, so a number in a record buffer may stand at any
// byte: these read and write one there.
template <typename T> T loadUnaligned(const std::byte* at) {
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

template <typename T> void storeUnaligned(std::byte* at, T v) {
    std::memcpy(at, &v, sizeof v);
}

} // namespace host
