#pragma once

#include "runtime/pictures/Picture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace picturetest {

inline host::Decimal dec(const char* text) {
    return *host::Decimal::parse(text);
}

// What a picture shows for a value ("<invalid>" for a picture that does not parse).
inline std::string show(const char* picture, const host::Value& value) {
    auto p = host::Picture::parse(picture);
    EXPECT_TRUE(p) << picture;
    return p ? p->format(value) : "<invalid>";
}

// The de-formatted value as text, or "rejected".
inline std::string read(const char* picture, std::string_view text) {
    auto p = host::Picture::parse(picture);
    EXPECT_TRUE(p) << picture;
    auto value = p ? p->deformat(text) : std::nullopt;
    return value ? value->toText() : "rejected";
}

} // namespace picturetest
