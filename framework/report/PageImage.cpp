#include "framework/report/PageImage.h"

#include "framework/report/PreviewWindow.h"
#include "runtime/base/Value.h"
#include "runtime/report/PageFile.h"
#include "runtime/ui/ControlKind.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

namespace {

// The window units a page file's thousandths of an inch come to at 100% zoom.
constexpr int thousandthsPerUnit = 20;

} // namespace

PageImage::PageImage(PreviewWindow& owner, std::int32_t page, std::uint16_t borderControl,
                     std::uint16_t imageControl)
    : OWNER(&owner), IMAGEFEQ(imageControl), BORDERFEQ(borderControl), PAGENO(page) {
    FILENAME = owner.PageFile(page);
    std::string error;
    auto drawing = host::PageFile::read(FILENAME, &error);
    if (drawing) {
        IMAGEWIDTH = static_cast<std::uint16_t>(drawing->width / thousandthsPerUnit);
        IMAGEHEIGHT = static_cast<std::uint16_t>(drawing->height / thousandthsPerUnit);
    } else {
        PROBLEM = FILENAME.empty() ? "the page is missing" : error;
    }
    ASPECTRATIO = IMAGEWIDTH ? static_cast<double>(IMAGEHEIGHT) / IMAGEWIDTH : 1.0;
}

PageImage::~PageImage() {
    DestroyControls();
}

void PageImage::Draw(std::int16_t x, std::int16_t y, std::int16_t w, std::int16_t h, bool chosen) {
    host::Window* window = OWNER ? OWNER->PREVIEWWINDOW : nullptr;
    if (!window)
        return;
    if (!window->control(BORDERFEQ))
        window->createControl(host::ControlKind::Box, BORDERFEQ);
    if (!window->control(IMAGEFEQ))
        window->createControl(host::ControlKind::Image, IMAGEFEQ);
    XPOS = x;
    YPOS = y;
    WIDTH = w;
    HEIGHT = h;
    // The image sits inside its border, which shows around it.
    auto place = [&](int control, int inset) {
        window->setProperty(control, host::Property::X, host::Value(x + inset));
        window->setProperty(control, host::Property::Y, host::Value(y + inset));
        window->setProperty(control, host::Property::Width, host::Value(w - 2 * inset));
        window->setProperty(control, host::Property::Height, host::Value(h - 2 * inset));
    };
    place(BORDERFEQ, 0);
    place(IMAGEFEQ, 1);
    window->setProperty(IMAGEFEQ, host::Property::DrawnWidth, host::Value(0));
    window->setProperty(IMAGEFEQ, host::Property::DrawnHeight, host::Value(0));
    window->setProperty(IMAGEFEQ, host::Property::HScroll, host::Value(0));
    window->setProperty(IMAGEFEQ, host::Property::VScroll, host::Value(0));
    window->show(BORDERFEQ);
    // A page left out of the pages to print is an empty grey box.
    window->setProperty(BORDERFEQ, host::Property::FillColour,
                        host::Value(chosen ? 0xFFFFFF : 0x808080));
    window->setProperty(IMAGEFEQ, host::Property::Image,
                        host::Value(chosen && PROBLEM.empty() ? FILENAME : std::string()));
    window->setProperty(IMAGEFEQ, host::Property::Tip,
                        host::Value(PROBLEM.empty() ? "Page " + std::to_string(PAGENO)
                                                    : "Page " + std::to_string(PAGENO) +
                                                          " cannot be shown: " + PROBLEM));
}

void PageImage::DrawScrolled(int w, int h, int visibleWidth, int visibleHeight) {
    host::Window* window = OWNER ? OWNER->PREVIEWWINDOW : nullptr;
    if (!window)
        return;
    bool across = w > visibleWidth;
    bool down = h > visibleHeight;
    // Beside a scroll bar the page shows whole, without its border's inset.
    Draw(0, 0, static_cast<std::int16_t>(std::min(w + 2, visibleWidth)),
         static_cast<std::int16_t>(std::min(h + 2, visibleHeight)), true);
    WIDTH = static_cast<std::int16_t>(std::min(w, 32767));
    HEIGHT = static_cast<std::int16_t>(std::min(h, 32767));
    window->setProperty(IMAGEFEQ, host::Property::DrawnWidth, host::Value(w));
    window->setProperty(IMAGEFEQ, host::Property::DrawnHeight, host::Value(h));
    window->setProperty(IMAGEFEQ, host::Property::HScroll, host::Value(across ? 1 : 0));
    window->setProperty(IMAGEFEQ, host::Property::VScroll, host::Value(down ? 1 : 0));
    if (across && down)
        window->hide(BORDERFEQ);
}

void PageImage::Mark(bool current) {
    host::Window* window = OWNER ? OWNER->PREVIEWWINDOW : nullptr;
    if (window && window->control(BORDERFEQ))
        window->setProperty(BORDERFEQ, host::Property::Colour, host::Value(current ? 0xFF0000 : 0));
}

void PageImage::DestroyControls() {
    host::Window* window = OWNER ? OWNER->PREVIEWWINDOW : nullptr;
    if (window && window->isOpen()) {
        window->destroyControl(IMAGEFEQ);
        window->destroyControl(BORDERFEQ);
    }
    ZOOMSTATE = -2;
}

bool PageImage::Contains(int x, int y) const {
    return x >= XPOS && x < XPOS + WIDTH && y >= YPOS && y < YPOS + HEIGHT;
}

} // namespace framework
