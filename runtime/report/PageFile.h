#pragma once

#include "runtime/ui/Font.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// One thing drawn on a page. Places are in thousandths of an inch from the page's top
// left.
struct PageMark {
    enum Kind { Text, Line, Box, Image };
    Kind kind = Text;
    int x = 0, y = 0, w = 0, h = 0; // a line runs from (x, y) to (x + w, y + h)
    Font font;                      // texts
    char align = 'L';               // texts: L, C, R within w
    std::string text;               // a text's characters, an image's file
    int lineWidth = 0;              // lines and box borders
    int fill = -1;                  // boxes: 0xRRGGBB or -1

    friend bool operator==(const PageMark&, const PageMark&) = default;
};

// A finished page as vector marks: what the report drew, in drawing order. The preview,
// the printer and a PDF all draw a page from its file, so they draw the same page.
struct PageDrawing {
    int width = 8500;
    int height = 11000;
    std::vector<PageMark> marks;

    // Every text mark's characters, one per line, in drawing order (what a reader of
    // the page would find on it).
    std::string texts() const;
};

// Writes and reads page files: a small line-based text of our own, "EIPPAGE 1 w h" and
// then one mark per line with tab-separated fields.
class PageFile {
public:
    static constexpr std::string_view Extension = ".eippage";

    static std::string encode(const PageDrawing& page);
    // Null, with `error` set, when the text is not a page file.
    static std::optional<PageDrawing> decode(std::string_view text, std::string* error = nullptr);

    // False, with `error` set ("cannot write /x/page1.eippage: ..."), on failure.
    static bool write(const std::string& path, const PageDrawing& page,
                      std::string* error = nullptr);
    static std::optional<PageDrawing> read(const std::string& path, std::string* error = nullptr);
    static bool isPageFile(std::string_view path);
};

} // namespace host
