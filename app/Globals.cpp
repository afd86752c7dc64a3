#include "app/Globals.h"

#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "framework/window/IniStore.h"

namespace app {

std::uint8_t GlobalRequest = 0;
std::uint8_t GlobalResponse = 0;
std::int32_t GlobalVcrRequest = 0;

framework::ErrorReporter& GlobalErrors() {
    static framework::ErrorReporter errors;
    return errors;
}

framework::IniStore& GlobalIniStore() {
    static framework::IniStore store;
    return store;
}

framework::FileRegistry& GlobalFileRegistry() {
    static framework::FileRegistry registry;
    return registry;
}

} // namespace app
