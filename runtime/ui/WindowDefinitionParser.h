#pragma once

#include "runtime/ui/WindowDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// The outcome of reading a window-definition text: the windows it defines, or the first
// error with the line it was found on. A text with an error yields no windows.
struct DefinitionParseResult {
    std::vector<WindowDefinition> windows;
    int errorLine = 0; // 0 when the text was read without error
    std::string error;

    bool ok() const { return errorLine == 0 && error.empty(); }
    // "line 12: unknown attribute \"colour\"" (empty when ok).
    std::string message() const;
};

// Reads the declarative window-definition text (docs/window-definitions.md): one
// statement per line, blocks closed by `end`, `#` comments, a trailing `\` continuing a
// statement on the next line. Never throws; any mistake in the text is reported with
// its line number.
class WindowDefinitionParser {
public:
    // `module` is stored in every window read ("mirto$mirto001").
    static DefinitionParseResult parse(std::string_view text, std::string_view module = {});
};

} // namespace host
