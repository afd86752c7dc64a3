// Feeds arbitrary text to the popup menu parser. Any text gives a menu whose text reads
// back to the same entries, and whose choice numbers walk the items in menu order.
#include "runtime/ui/MenuText.h"

#include <cstdint>
#include <string_view>

using namespace host;

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    MenuText menu = MenuText::parse(text);
    std::string written = menu.toText();
    MenuText again = MenuText::parse(written);
    require(again.entries() == menu.entries());
    require(again.toText() == written);
    int number = 0;
    for (const MenuLine& line : menu.lines()) {
        require(line.depth >= 1 && line.depth <= MenuText::DeepestLevel);
        if (line.entry->isSelectable()) {
            require(line.number == ++number);
            require(menu.selectable(number) == line.entry);
        } else {
            require(line.number == 0);
        }
    }
    require(menu.selectableCount() == number);
    require(menu.selectable(number + 1) == nullptr);
    return 0;
}
