#include "runtime/ui/WindowResources.h"

#include "runtime/base/MessageBox.h"
#include "runtime/base/Value.h"

#include <fstream>
#include <sstream>

namespace host {

WindowResources& WindowResources::program() {
    static WindowResources resources;
    return resources;
}

WindowResources::Key WindowResources::keyOf(std::string_view window, std::string_view module) {
    return {upper(module), upper(window)};
}

DefinitionParseResult WindowResources::add(std::string_view module, std::string_view text) {
    DefinitionParseResult result = WindowDefinitionParser::parse(text, module);
    if (!result.ok())
        return result;
    for (const auto& window : result.windows) {
        Entry& entry = entries_[keyOf(window.name, module)];
        entry.definition = std::make_shared<const WindowDefinition>(window);
    }
    return result;
}

DefinitionParseResult WindowResources::addFile(std::string_view module, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        DefinitionParseResult result;
        result.error = "cannot read the window definitions \"" + path + "\"";
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return add(module, text.str());
}

std::shared_ptr<const WindowDefinition> WindowResources::load(std::string_view window,
                                                              std::string_view module) {
    auto it = entries_.find(keyOf(window, module));
    if (it == entries_.end())
        return nullptr;
    ++it->second.loads;
    return it->second.definition;
}

void WindowResources::release(std::string_view window, std::string_view module) {
    auto it = entries_.find(keyOf(window, module));
    if (it != entries_.end() && it->second.loads > 0)
        --it->second.loads;
}

int WindowResources::loadCount(std::string_view window, std::string_view module) const {
    auto it = entries_.find(keyOf(window, module));
    return it == entries_.end() ? 0 : it->second.loads;
}

bool WindowResources::contains(std::string_view window, std::string_view module) const {
    return entries_.count(keyOf(window, module)) != 0;
}

void WindowResources::clear() {
    entries_.clear();
}

ResourceRegistration::ResourceRegistration(std::string_view module, std::string_view text) {
    auto result = WindowResources::program().add(module, text);
    if (!result.ok())
        halt(3, "Window definitions of " + std::string(module) + ", " + result.message());
}

} // namespace host
