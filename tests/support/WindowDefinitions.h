#pragma once

#include "runtime/ui/WindowDefinitionParser.h"

#include <gtest/gtest.h>
#include <memory>
#include <string_view>

namespace testsupport {

// The first window that `text` declares; the test fails (and this gives null) when the
// text does not parse.
inline std::shared_ptr<const host::WindowDefinition> define(std::string_view text) {
    auto result = host::WindowDefinitionParser::parse(text, "test");
    EXPECT_TRUE(result.ok()) << result.message();
    if (!result.ok() || result.windows.empty())
        return nullptr;
    return std::make_shared<const host::WindowDefinition>(result.windows[0]);
}

} // namespace testsupport
