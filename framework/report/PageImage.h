#pragma once

#include <cstdint>
#include <string>

namespace host {
class Window;
}

namespace framework {

class PreviewWindow;

// One page shown in the preview: a box drawn as the page's border and an image control
// showing the page file, kept in the preview's singly linked list.
class PageImage {
public:
    PageImage(PreviewWindow& owner, std::int32_t page, std::uint16_t borderControl,
              std::uint16_t imageControl);
    ~PageImage();
    PageImage(const PageImage&) = delete;
    PageImage& operator=(const PageImage&) = delete;

    // Places border and image at (x, y), w by h, creating the controls when needed.
    void Draw(std::int16_t x, std::int16_t y, std::int16_t w, std::int16_t h, bool chosen);
    // Draws the page w by h at the window's top left, in controls no larger than the
    // visible area: the image scrolls where the page overflows it, and the border is
    // hidden when it overflows both ways.
    void DrawScrolled(int w, int h, int visibleWidth, int visibleHeight);
    // Colours the border: red for the current page, black otherwise.
    void Mark(bool current);
    // Removes the controls from the window.
    void DestroyControls();
    // Whether a point (window units) lies on the drawn page.
    bool Contains(int x, int y) const;

    PreviewWindow* OWNER = nullptr;
    double ASPECTRATIO = 1.2941; // image height / image width, 4 places
    std::uint16_t IMAGEFEQ = 0;
    std::uint16_t BORDERFEQ = 0;
    std::uint16_t IMAGEWIDTH = 425;
    std::uint16_t IMAGEHEIGHT = 550;
    std::int16_t XPOS = 0, YPOS = 0, WIDTH = 0, HEIGHT = 0;
    std::string FILENAME;
    std::uint8_t CENTREONX = 0, CENTREONY = 0;
    PageImage* NEIGHBOUR = nullptr;
    std::int32_t PAGENO = 0;
    std::int16_t ZOOMSTATE = -2;
    // Problems drawing the page (a missing or unreadable page file), shown on it.
    std::string PROBLEM;
};

} // namespace framework
