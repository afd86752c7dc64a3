#pragma once

#include <string>
#include <string_view>

namespace host {
class Window;
}

namespace framework {

// Translates the texts the user reads into another language: every text of a window when
// it is prepared, and single texts such as popup menu items while a menu is built.
// Nothing in the program attaches one by default; windows and menus without one show
// their texts as written.
class TextTranslator {
public:
    virtual ~TextTranslator() = default;

    // Translates the window's title and the texts of its controls.
    virtual void TranslateWindow(host::Window& window) = 0;
    virtual std::string TranslateText(std::string_view text) = 0;
};

} // namespace framework
