// Window-definition texts of any content are read without crashing; a text that reads
// gives windows whose controls all have distinct numbers and existing containers.
#include "runtime/ui/WindowDefinitionParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto result = host::WindowDefinitionParser::parse(text, "fuzz");
    if (!result.ok())
        return 0;
    for (const auto& window : result.windows) {
        std::set<int> numbers;
        for (const auto& control : window.controls)
            if (!numbers.insert(control.number).second)
                std::abort();
        for (const auto& control : window.controls)
            if (control.parent != 0 && !window.control(control.parent))
                std::abort();
    }
    return 0;
}
