#pragma once

#include "runtime/ui/WindowDefinition.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace host {

// The program's window definitions, kept by module. The application writes its windows
// in definition texts beside its procedures; each text is registered once under its
// module name ("mirto$mirto001"), normally by a static ResourceRegistration that the
// build generates from the text file, and its windows are then loaded and released by
// name, as a procedure does when it starts and ends.
class WindowResources {
public:
    // The program's own registry.
    static WindowResources& program();

    // Reads a definition text and keeps its windows under `module`. A text with an error
    // registers nothing and the result tells the line. A window already registered under
    // the same module and name is replaced for later loads.
    DefinitionParseResult add(std::string_view module, std::string_view text);
    // The same from a text file; a missing file gives an error result (line 0 and the
    // file's name).
    DefinitionParseResult addFile(std::string_view module, const std::string& path);

    // Loads a window definition: null when the module has no such window (letter case of
    // both names is ignored). Every load is matched by a release.
    std::shared_ptr<const WindowDefinition> load(std::string_view window, std::string_view module);
    // Releases a loaded definition; windows still open from it keep their copy.
    void release(std::string_view window, std::string_view module);
    // How many loads of the window are not yet released.
    int loadCount(std::string_view window, std::string_view module) const;
    bool contains(std::string_view window, std::string_view module) const;

    // Forgets every registered text (tests start from an empty registry).
    void clear();

private:
    struct Entry {
        std::shared_ptr<const WindowDefinition> definition;
        int loads = 0;
    };
    using Key = std::pair<std::string, std::string>; // upper-case module, window
    static Key keyOf(std::string_view window, std::string_view module);
    std::map<Key, Entry> entries_;
};

// Registers a definition text with the program's resources when the program starts
// (a static object of this type in the application's generated resource file). A text
// with an error ends the program with its message at start-up through host::halt,
// since a program with broken windows cannot run.
struct ResourceRegistration {
    ResourceRegistration(std::string_view module, std::string_view text);
};

} // namespace host
