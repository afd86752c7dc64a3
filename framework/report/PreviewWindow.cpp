#include "framework/report/PreviewWindow.h"

#include "framework/data/ErrorReporter.h"
#include "framework/report/PageImage.h"
#include "framework/report/ReportDriver.h"
#include "framework/window/ConstantTable.h"
#include "framework/window/IniStore.h"
#include "framework/window/PopupMenu.h"
#include "framework/window/TextTranslator.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Value.h"
#include "runtime/report/PrintService.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/DialogRequest.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace framework {

using host::EventKind;
using host::FieldType;
using host::Property;

// The zoom choices: a count byte, then per entry a length-prefixed menu text, a
// length-prefixed status text and a signed 16-bit percentage (-2 tiled pages, -1 page
// width).
const std::string_view PreviewWindow::ZoomTable{"\x07"
                                                "\x0a"
                                                "Tile pages\x10"
                                                "Zoom: Tile Pages\xfe"
                                                "\xff"
                                                "\x0a"
                                                "Page Width\x10"
                                                "Zoom: Page Width\xff"
                                                "\xff"
                                                "\x08"
                                                "50% Zoom\x09"
                                                "Zoom: 50%2\x00"
                                                "\x08"
                                                "75% Zoom\x09"
                                                "Zoom: 75%K\x00"
                                                "\x09"
                                                "100% Zoom\x0a"
                                                "Zoom: 100%d\x00"
                                                "\x09"
                                                "200% Zoom\x0a"
                                                "Zoom: 200%\xc8"
                                                "\x00"
                                                "\x09"
                                                "300% Zoom\x0a"
                                                "Zoom: 300%,\x01",
                                                172};

namespace {

constexpr const char* previewWindow = "P17$PREVIEWWINDOW";
// The room a scroll bar takes beside a scrolled page, in window units.
constexpr int scrollBarUnits = 12;
constexpr const char* jumpWindow = "P35$JUMPWINDOW";
constexpr const char* layoutWindow = "P36$SELECTWINDOW";
constexpr const char* pagesWindow = "P37$WINDOW";

constexpr std::string_view windowsText = R"text(
# The print preview: the pages of a finished report, with the menus and the toolbar that
# page through them, zoom, choose the pages to print, print or leave. The page images are
# controls made while the window runs (from 498 on).
window P17$PREVIEWWINDOW "Report Preview" at=0,0,480,330 mdi resizable system max min \
       status=-1,110,90
  menu "&File"
    item 2 "Pa&ges to Print..." status="Choose the pages to print"
    item 3 "&Print" key=Ctrl+P status="Print the chosen pages"
    item 22 "Save as P&DF..." status="Write the chosen pages into a PDF file"
    separator
    item 4 "E&xit" status="Leave without printing"
  end
  menu 5 "&View"
    item 6 "&Next Page(s)" key=PgDn
    item 7 "&Previous Page(s)" key=PgUp
    item 8 "&Jump to a page"
    item 9 "&Change Display"
  end
  menu 10 "&Zoom"
  end
  toolbar
    button 11 at=2,2,16,14 icon="wizprn.gif" tip="Print this report" skip
    button 12 at=18,2,16,14 icon="wizcncl.gif" tip="Exit without printing the report" skip
    button 13 at=34,2,16,14 icon="wizfind.gif" tip="Zoom in on a page of the report" skip
    prompt 14 "&Page:" at=58,4
    spin 15 at=84,2,44,12 use=PRV:CURRENTPAGE range=1,1
    prompt 16 "&Across:" at=136,4
    spin 17 at=170,2,40,12 use=PRV:PAGESACROSS range=1,20 \
         tip="Select the number of thumbnails in a row"
    prompt 18 "&Down:" at=218,4
    spin 19 at=246,2,40,12 use=PRV:PAGESDOWN range=1,20 \
         tip="Select the number of thumbnails in a column"
    prompt 20 "Z&oom:" at=294,4 hidden
    combo 21 at=320,2,76,12 use=PRV:ZOOMLIST hidden \
          tip="Set zoom to standard or user defined value"
  end
end

window P35$JUMPWINDOW "Jump to a Report Page" at=0,0,150,50 system center
  prompt 1 "&Page:" at=8,10
  spin 2 at=40,8,48,12 use=PRV:JUMPPAGE range=1,1 tip="Select a page of the report"
  button 3 "&Jump" at=8,30,60,14 default tip="Jump to the selected page"
  button 4 "Cancel" at=80,30,60,14 tip="Cancel this selection"
end

window P36$SELECTWINDOW "Change the Report Display" at=0,0,160,70 system center
  group 1 "Pages Displayed" at=4,4,152,38
    prompt 2 "Across" at=10,18
    spin 3 at=36,16,40,12 use=PRV:ACROSS range=1,20
    prompt 5 "Down" at=84,18
    spin 6 at=108,16,40,12 use=PRV:DOWN range=1,20
  end
  button 4 "OK" at=52,48,56,14 default
end

window P37$WINDOW "Pages to Print" at=0,0,200,56 system center
  prompt 1 "&Pages to Print:" at=6,10
  entry 2 at=70,8,124,12 use=PRV:PAGESTOPRINT picture=@s255
  button 3 "&Reset" at=6,34,56,14
  button 4 "&Ok" at=70,34,56,14 default
  button 5 "&Cancel" at=134,34,56,14
end
)text";

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

long numberOf(std::string_view text) {
    std::string trimmed;
    for (char c : text)
        if (c != ' ')
            trimmed += c;
    if (!isDigits(trimmed))
        return 0;
    return std::strtol(trimmed.c_str(), nullptr, 10);
}

std::string trim(std::string_view text) {
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return {};
    std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(start, end - start + 1));
}

// Runs a small dialog's loop; `onAccepted` answers true to close it.
template <typename Handler> void runDialog(host::Window& dialog, Handler onAccepted) {
    dialog.open();
    while (dialog.nextEvent()) {
        host::CycleEnd end = host::CycleEnd::DefaultAction;
        if (dialog.currentEvent() == EventKind::Accepted) {
            dialog.update();
            if (onAccepted(dialog.eventControl()))
                end = host::CycleEnd::Leave;
        }
        dialog.endCycle(end);
    }
}

} // namespace

void PreviewWindow::RegisterWindows() {
    auto& resources = host::WindowResources::program();
    if (!resources.contains(previewWindow, WindowModule))
        resources.add(WindowModule, windowsText);
}

PreviewWindow::PreviewWindow()
    : currentPageShown_(FieldType::longInteger()), acrossShown_(FieldType::longInteger()),
      downShown_(FieldType::longInteger()), zoomListShown_(FieldType::text(16)) {}

PreviewWindow::~PreviewWindow() {
    while (PAGEMANAGER) {
        PageImage* next = PAGEMANAGER->NEIGHBOUR;
        delete PAGEMANAGER;
        PAGEMANAGER = next;
    }
}

// --- Set-up and the page list

void PreviewWindow::Prepare(host::Queue& imageQueue) {
    WindowController::Setup();
    IMAGEQUEUE = &imageQueue;
    ZOOMQUEUE = std::make_unique<std::vector<ZoomEntry>>();
    ConstantTable table;
    host::Variable menuText(FieldType::text(64));
    host::Variable statusText(FieldType::text(64));
    host::Variable percentile(FieldType::shortInteger());
    table.Setup(ConstantTable::CountedByByte);
    table.DescribeItem(ConstantTable::LengthPrefixedText, menuText);
    table.DescribeItem(ConstantTable::LengthPrefixedText, statusText);
    table.DescribeItem(ConstantTable::SignedShort, percentile);
    table.SetSource(ZoomTable);
    while (table.ReadRecord() == Severity::Benign) {
        ZOOMQUEUE->push_back({static_cast<std::int16_t>(percentile.value().toInteger()),
                              host::clip(menuText.value().toText()),
                              host::clip(statusText.value().toText())});
    }
    table.Teardown();
    // The zoom choices offered on the toolbar's zoom button and by a right click on a
    // page; each presses the Zoom menu's item of its entry.
    POPUP = std::make_unique<PopupMenu>();
    POPUP->Setup();
    std::string after;
    for (std::size_t n = 1; n <= ZOOMQUEUE->size(); ++n) {
        after = POPUP->PlaceEntryAfter(after, "ZoomItem" + std::to_string(n),
                                       (*ZOOMQUEUE)[n - 1].MENUTEXT);
        PopupMenu::Item& item = (*POPUP->POPUPITEMS)[POPUP->LocateEntry(after) - 1];
        item.CONTROLID = static_cast<std::int16_t>(FirstZoomItem + n);
        item.EVENT = static_cast<std::uint16_t>(EventKind::Accepted);
        item.CHECK = 2;
    }
}

Severity PreviewWindow::Teardown() {
    while (PAGEMANAGER) {
        PageImage* next = PAGEMANAGER->NEIGHBOUR;
        delete PAGEMANAGER;
        PAGEMANAGER = next;
    }
    if (POPUP) {
        POPUP->Teardown();
        POPUP.reset();
    }
    ZOOMQUEUE.reset();
    return WindowController::Teardown();
}

std::int32_t PreviewWindow::PageCount() const {
    return IMAGEQUEUE ? static_cast<std::int32_t>(IMAGEQUEUE->count()) : 0;
}

std::string PreviewWindow::PageFile(std::int32_t page) const {
    if (!IMAGEQUEUE || page < 1 || page > PageCount())
        return {};
    return host::clip(IMAGEQUEUE->entryField(static_cast<std::size_t>(page), 1).text());
}

void PreviewWindow::DefaultPageRange() {
    PAGESTOPRINT = "1-" + std::to_string(PageCount());
}

bool PreviewWindow::PageChosen(std::int32_t page) const {
    std::string_view list = PAGESTOPRINT;
    if (trim(list).empty())
        return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = list.find(',', start);
        std::string_view item = list.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        std::size_t dash = item.find('-');
        if (dash != std::string_view::npos) {
            long first = numberOf(item.substr(0, dash));
            std::string_view rest = item.substr(dash + 1);
            long last = numberOf(rest.substr(0, rest.find('-')));
            if (first > 0 && last > 0 && first <= last && first <= page && page <= last)
                return true;
        } else if (isDigits(trim(item)) && numberOf(item) == page) {
            return true;
        }
        if (comma == std::string_view::npos)
            return false;
        start = comma + 1;
    }
}

void PreviewWindow::DeletePage(std::int32_t page) {
    if (!IMAGEQUEUE || !IMAGEQUEUE->get(static_cast<std::size_t>(page)))
        return;
    std::error_code error;
    std::filesystem::remove(host::clip(IMAGEQUEUE->buffer().field(1).text()), error);
    IMAGEQUEUE->remove();
}

void PreviewWindow::DropUnselectedPages() {
    for (std::int32_t page = PageCount(); page >= 1; --page) {
        if (!PageChosen(page))
            DeletePage(page);
    }
}

// --- Showing the pages

bool PreviewWindow::ShowPages(std::int16_t zoom, std::int32_t firstPage, std::uint16_t pagesAcross,
                              std::uint16_t pagesDown) {
    PRINTOK = 0;
    if (PageCount() == 0)
        return false;
    RegisterWindows();
    auto definition = host::WindowResources::program().load(previewWindow, WindowModule);
    if (!definition)
        return false;
    {
        host::Window window(definition);
        PREVIEWWINDOW = &window;
        window.bind("PRV:CURRENTPAGE", currentPageShown_);
        window.bind("PRV:PAGESACROSS", acrossShown_);
        window.bind("PRV:PAGESDOWN", downShown_);
        window.bind("PRV:ZOOMLIST", zoomListShown_);
        INITZOOM = zoom == 0 ? -2 : zoom;
        FIRSTPAGE = CURRENTPAGE = firstPage;
        PAGESACROSS = pagesAcross;
        PAGESDOWN = pagesDown;
        DefaultPageRange();
        SyncVariables();
        DEAD = 0;
        INITED = 0;
        OpenWindow(window);
        if (MAXIMIZE)
            window.setProperty(0, Property::Maximized, host::Value(1));
        if (TRANSLATOR)
            WindowController::PrepareWindow();
        PumpEvents();
        while (PAGEMANAGER) {
            PageImage* next = PAGEMANAGER->NEIGHBOUR;
            delete PAGEMANAGER;
            PAGEMANAGER = next;
        }
        PREVIEWWINDOW = nullptr;
    }
    host::WindowResources::program().release(previewWindow, WindowModule);
    if (PRINTOK)
        DropUnselectedPages();
    return PRINTOK != 0;
}

void PreviewWindow::SyncVariables() {
    currentPageShown_.assign(host::Value(CURRENTPAGE));
    acrossShown_.assign(host::Value(static_cast<int>(PAGESACROSS)));
    downShown_.assign(host::Value(static_cast<int>(PAGESDOWN)));
    if (PREVIEWWINDOW)
        PREVIEWWINDOW->display();
}

void PreviewWindow::PrepareWindow() {
    host::Window& window = *PREVIEWWINDOW;
    if (WINDOWPOSSET || WINDOWSIZESET) {
        if (WINDOWPOSSET) {
            window.setProperty(0, Property::X, host::Value(WINXPOS));
            window.setProperty(0, Property::Y, host::Value(WINYPOS));
        }
        if (WINDOWSIZESET) {
            window.setProperty(0, Property::Width, host::Value(WINWIDTH));
            window.setProperty(0, Property::Height, host::Value(WINHEIGHT));
        }
    } else if (SAVESIZE.SET) {
        window.setProperty(0, Property::Width, host::Value(SAVESIZE.WIDTH));
        window.setProperty(0, Property::Height, host::Value(SAVESIZE.HEIGHT));
    } else if (INIMGR) {
        INIMGR->ApplyPlacement("_PreviewWindow_", window);
    }
    PAGEMANAGER = nullptr;
    MakeImage(1, 500, 501);
    std::int32_t pages = PageCount();
    if (pages > 1) {
        window.enable(ViewMenu);
        window.setProperty(CurrentPageSpin, Property::RangeHigh, host::Value(pages));
        window.setProperty(CurrentPageSpin, Property::Tip,
                           host::Value("Enter a page number from 1 to " + std::to_string(pages)));
    } else {
        window.disable(CurrentPageSpin, DownSpin);
    }
    std::string choices;
    MUSE.fill(0);
    for (std::size_t n = 1; n <= ZOOMQUEUE->size(); ++n) {
        int item = window.createControl(host::ControlKind::Item,
                                        FirstZoomItem + static_cast<int>(n), ZoomMenu);
        if (item != 0)
            window.setProperty(item, Property::Text, host::Value((*ZOOMQUEUE)[n - 1].MENUTEXT));
        choices += (n > 1 ? "|" : "") + (*ZOOMQUEUE)[n - 1].MENUTEXT;
    }
    window.setProperty(ZoomListControl, Property::Choices, host::Value(choices));
    if (ALLOWUSERZOOM)
        window.show(ZoomPrompt, ZoomListControl);
    ZOOMINDEX = 0;
    USERPERCENTILE = 0;
    for (std::size_t n = 1; n <= ZOOMQUEUE->size(); ++n) {
        if ((*ZOOMQUEUE)[n - 1].PERCENTILE == INITZOOM)
            ZOOMINDEX = static_cast<std::uint8_t>(n);
    }
    if (ZOOMINDEX == 0)
        USERPERCENTILE = static_cast<std::uint16_t>(std::abs(INITZOOM));
    // A right click on a page offers the zoom choices.
    window.alert(0, host::KeyCode::MouseRight);
    INITED |= WindowPrepared;
    Relayout();
}

std::int16_t PreviewWindow::CurrentZoom() const {
    if (ZOOMINDEX == 0 || !ZOOMQUEUE || ZOOMINDEX > ZOOMQUEUE->size())
        return static_cast<std::int16_t>(USERPERCENTILE);
    return (*ZOOMQUEUE)[ZOOMINDEX - 1].PERCENTILE;
}

PageImage* PreviewWindow::FindImage(std::int32_t page) const {
    for (PageImage* image = PAGEMANAGER; image; image = image->NEIGHBOUR)
        if (image->PAGENO == page)
            return image;
    return nullptr;
}

PageImage& PreviewWindow::MakeImage(std::int32_t page, std::uint16_t border, std::uint16_t image) {
    auto* made = new PageImage(*this, page, border, image);
    made->NEIGHBOUR = PAGEMANAGER;
    PAGEMANAGER = made;
    return *made;
}

void PreviewWindow::DestroyImages(std::int32_t keepFrom, std::int32_t keepTo) {
    PageImage** link = &PAGEMANAGER;
    while (*link) {
        PageImage* image = *link;
        if (image->PAGENO < keepFrom || image->PAGENO > keepTo) {
            *link = image->NEIGHBOUR;
            delete image;
        } else {
            link = &image->NEIGHBOUR;
        }
    }
}

void PreviewWindow::Relayout(bool sizeChanged) {
    if (!PREVIEWWINDOW)
        return;
    if (ALLOWUSERZOOM) {
        if (ZOOMINDEX == 0)
            zoomListShown_.assign(host::Value(std::to_string(USERPERCENTILE) + "% Zoom"));
        else
            zoomListShown_.assign(host::Value((*ZOOMQUEUE)[ZOOMINDEX - 1].MENUTEXT));
    }
    if (CurrentZoom() == -2)
        LayOutThumbnails(sizeChanged);
    else
        LayOutSinglePage(sizeChanged);
    for (std::size_t n = 1; ZOOMQUEUE && n <= ZOOMQUEUE->size(); ++n)
        PREVIEWWINDOW->setProperty(FirstZoomItem + static_cast<int>(n), Property::Checked,
                                   host::Value(n == ZOOMINDEX ? 1 : 0));
    SyncVariables();
    ShowStatus();
    TellPageProblems();
}

void PreviewWindow::LayOutThumbnails(bool sizeChanged) {
    host::Window& window = *PREVIEWWINDOW;
    std::int32_t pages = PageCount();
    std::int32_t across = std::max<std::int32_t>(PAGESACROSS, 1);
    std::int32_t down = std::max<std::int32_t>(PAGESDOWN, 1);
    if (!sizeChanged)
        DestroyImages(FIRSTPAGE, FIRSTPAGE + across * down - 1);
    int width = window.rect().width;
    int height = window.rect().height;
    int cellWidth = (width - (across + 1) * 3) / across;
    int cellHeight = (height - (down + 1) * 3) / down;
    THUMBNAILSPRESENT = 0;
    int y = 3;
    std::int32_t page = FIRSTPAGE;
    for (std::int32_t row = 0; row < down && page <= pages; ++row) {
        int x = 3;
        int lastHeight = cellHeight;
        for (std::int32_t column = 0; column < across && page <= pages; ++column, ++page) {
            PageImage* image = FindImage(page);
            if (!image)
                image = &MakeImage(page, static_cast<std::uint16_t>(498 + 2 * page),
                                   static_cast<std::uint16_t>(499 + 2 * page));
            int w = 0;
            int h = 0;
            if (cellWidth > 0 && static_cast<double>(cellHeight) / cellWidth < image->ASPECTRATIO) {
                h = cellHeight;
                w = static_cast<int>(cellHeight / image->ASPECTRATIO);
            } else {
                w = cellWidth;
                h = static_cast<int>(cellWidth * image->ASPECTRATIO);
            }
            image->Draw(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                        static_cast<std::int16_t>(w), static_cast<std::int16_t>(h),
                        PageChosen(page));
            image->ZOOMSTATE = -2;
            ++THUMBNAILSPRESENT;
            x += w + 3;
            lastHeight = h;
        }
        y += lastHeight + 3;
        cellHeight = lastHeight;
    }
    for (PageImage* image = PAGEMANAGER; image; image = image->NEIGHBOUR)
        image->Mark(image->PAGENO == CURRENTPAGE);
}

void PreviewWindow::LayOutSinglePage(bool sizeChanged) {
    host::Window& window = *PREVIEWWINDOW;
    if (!sizeChanged)
        DestroyImages(CURRENTPAGE, CURRENTPAGE);
    PageImage* image = FindImage(CURRENTPAGE);
    if (!image)
        image = &MakeImage(CURRENTPAGE, 500, 501);
    std::int16_t zoom = CurrentZoom();
    int visibleWidth = window.rect().width;
    int visibleHeight = window.rect().height;
    // Page width leaves room for the vertical scroll bar that a page taller than the
    // window needs, so that no horizontal one appears beside it.
    double scale = zoom == -1 ? static_cast<double>(visibleWidth - scrollBarUnits - 2) /
                                    std::max<int>(image->IMAGEWIDTH, 1)
                              : zoom / 100.0;
    int w = std::max(static_cast<int>(image->IMAGEWIDTH * scale), 1);
    int h = std::max(static_cast<int>(image->IMAGEHEIGHT * scale), 1);
    image->DrawScrolled(w, h, visibleWidth, visibleHeight);
    if (!sizeChanged) {
        // Each scroll bar starts at the place the user pointed at (0..255).
        window.setProperty(image->IMAGEFEQ, Property::ScrollX,
                           host::Value(w > visibleWidth ? image->CENTREONX * 255 / 100 : 0));
        window.setProperty(image->IMAGEFEQ, Property::ScrollY,
                           host::Value(h > visibleHeight ? image->CENTREONY * 255 / 100 : 0));
        image->CENTREONX = 0;
        image->CENTREONY = 0;
        image->ZOOMSTATE = zoom;
    }
    image->Mark(true);
}

void PreviewWindow::ShowStatus() {
    if (!PREVIEWWINDOW)
        return;
    host::Window& window = *PREVIEWWINDOW;
    std::int32_t pages = PageCount();
    bool thumbnails = CurrentZoom() == -2;
    auto enableIf = [&](int control, bool on) {
        if (on)
            window.enable(control);
        else
            window.disable(control);
    };
    enableIf(Previous, CURRENTPAGE > 1);
    enableIf(Next, CURRENTPAGE < pages);
    enableIf(Jump, pages > 1);
    enableIf(ChangeDisplay, thumbnails && pages > 1);
    if (pages <= 1) {
        window.disable(PagePrompt, DownSpin);
    } else {
        window.enable(PagePrompt, CurrentPageSpin);
        enableIf(AcrossSpin - 1, thumbnails);
        enableIf(AcrossSpin, thumbnails);
        enableIf(DownSpin - 1, thumbnails);
        enableIf(DownSpin, thumbnails);
    }
    if (ZOOMINDEX == 0)
        window.setStatusText(3, "Zoom: " + std::to_string(USERPERCENTILE) + "%");
    else
        window.setStatusText(3, (*ZOOMQUEUE)[ZOOMINDEX - 1].STATUSTEXT);
    if (thumbnails && THUMBNAILSPRESENT > 1)
        window.setStatusText(2, "Page " + std::to_string(FIRSTPAGE) + "-" +
                                    std::to_string(FIRSTPAGE + THUMBNAILSPRESENT - 1) + " of " +
                                    std::to_string(pages));
    else
        window.setStatusText(2, "Page " + std::to_string(CURRENTPAGE) + " of " +
                                    std::to_string(pages));
}

void PreviewWindow::TellPageProblems() {
    std::string problems;
    for (PageImage* image = PAGEMANAGER; image; image = image->NEIGHBOUR)
        if (!image->PROBLEM.empty())
            problems =
                "Page " + std::to_string(image->PAGENO) + " cannot be shown: " + image->PROBLEM;
    if (PREVIEWWINDOW && !problems.empty())
        PREVIEWWINDOW->setStatusText(1, problems);
}

std::int32_t PreviewWindow::PageAt(int x, int y) const {
    for (PageImage* image = PAGEMANAGER; image; image = image->NEIGHBOUR)
        if (image->Contains(x, y))
            return image->PAGENO;
    return 0;
}

// --- Paging

void PreviewWindow::GoToCurrentPage() {
    std::int32_t pages = PageCount();
    CURRENTPAGE = std::clamp<std::int32_t>(CURRENTPAGE, 1, std::max<std::int32_t>(pages, 1));
    std::int32_t onScreen = PAGESACROSS * PAGESDOWN;
    std::int32_t offset = CURRENTPAGE - FIRSTPAGE + 1;
    if (CurrentZoom() != -2 || (offset >= 1 && offset <= onScreen)) {
        if (CurrentZoom() != -2 || !FindImage(CURRENTPAGE)) {
            Relayout();
        } else {
            for (PageImage* image = PAGEMANAGER; image; image = image->NEIGHBOUR)
                image->Mark(image->PAGENO == CURRENTPAGE);
            SyncVariables();
        }
        return;
    }
    FIRSTPAGE = CURRENTPAGE;
    while (FIRSTPAGE + onScreen - 1 > pages && FIRSTPAGE > 1)
        --FIRSTPAGE;
    Relayout();
}

bool PreviewWindow::GridChanged(bool acrossChanged) {
    std::int32_t pages = PageCount();
    bool reduced = false;
    while (FIRSTPAGE + PAGESACROSS * PAGESDOWN - 1 > pages) {
        std::uint16_t& changed = acrossChanged ? PAGESACROSS : PAGESDOWN;
        if (changed <= 1 || PAGESACROSS <= 1 || PAGESDOWN <= 1)
            break;
        --changed;
        reduced = true;
    }
    if (!reduced)
        Relayout();
    else
        SyncVariables();
    return !reduced;
}

void PreviewWindow::SetZoomIndex(std::uint8_t index) {
    if (index == ZOOMINDEX)
        return;
    ZOOMINDEX = index;
    Relayout();
}

// --- Events

Severity PreviewWindow::DispatchEvent() {
    Severity level = WindowController::DispatchEvent();
    if (level != Severity::Benign)
        return level;
    host::Window& window = *PREVIEWWINDOW;
    switch (window.currentEvent()) {
    case EventKind::CloseWindow:
        if (INIMGR)
            INIMGR->StorePlacement("_PreviewWindow_", window);
        DestroyImages(1, 0);
        break;
    case EventKind::Sized:
        SAVESIZE.SET = 1;
        SAVESIZE.XPOS = static_cast<std::int16_t>(window.rect().x);
        SAVESIZE.YPOS = static_cast<std::int16_t>(window.rect().y);
        SAVESIZE.WIDTH = static_cast<std::uint16_t>(window.rect().width);
        SAVESIZE.HEIGHT = static_cast<std::uint16_t>(window.rect().height);
        Relayout(true);
        break;
    case EventKind::AlertKey:
        if (host::keyCode() == host::KeyCode::PgUp && CURRENTPAGE > 1 && window.isEnabled(Previous))
            window.post(EventKind::Accepted, Previous);
        if (host::keyCode() == host::KeyCode::PgDn && CURRENTPAGE < PageCount() &&
            window.isEnabled(Next))
            window.post(EventKind::Accepted, Next);
        break;
    default:
        break;
    }
    if (window.isOpen() && window.currentEvent() != EventKind::CloseWindow)
        ShowStatus();
    return level;
}

Severity PreviewWindow::OnControlEvent() {
    Severity level = WindowController::OnControlEvent();
    host::Window& window = *PREVIEWWINDOW;
    int control = window.eventControl();
    if (window.currentEvent() == EventKind::NewSelection &&
        (control == CurrentPageSpin || control == AcrossSpin || control == DownSpin)) {
        window.post(EventKind::Accepted, control);
        return Severity::Notify;
    }
    if (FindImageControl(control)) {
        if (window.currentEvent() == EventKind::Accepted)
            PageClicked(control, false);
        else if (window.currentEvent() == EventKind::AlertKey &&
                 host::keyCode() == host::KeyCode::MouseRight)
            PageClicked(control, true);
    }
    return level;
}

PageImage* PreviewWindow::FindImageControl(int control) const {
    for (PageImage* image = PAGEMANAGER; image; image = image->NEIGHBOUR)
        if (image->IMAGEFEQ == control)
            return image;
    return nullptr;
}

std::uint8_t PreviewWindow::ZoomEntryOf(std::int16_t percentile) const {
    for (std::size_t n = 1; ZOOMQUEUE && n <= ZOOMQUEUE->size(); ++n)
        if ((*ZOOMQUEUE)[n - 1].PERCENTILE == percentile)
            return static_cast<std::uint8_t>(n);
    return 0;
}

void PreviewWindow::PageClicked(int imageControl, bool rightButton) {
    PageImage* image = FindImageControl(imageControl);
    if (!image || !PREVIEWWINDOW)
        return;
    host::Window& window = *PREVIEWWINDOW;
    bool thumbnails = CurrentZoom() == -2;
    // The click, in percent of the page: a thumbnail shows the whole page; a single page
    // may be scrolled, so the part scrolled away counts too.
    auto percentOf = [&](Property mouse, Property scroll, Property visible, int drawn) {
        double at = static_cast<double>(window.property(imageControl, mouse).toInteger());
        double shown = static_cast<double>(window.property(imageControl, visible).toInteger());
        if (!thumbnails && drawn > shown)
            at += static_cast<double>(window.property(imageControl, scroll).toInteger()) / 255.0 *
                  (drawn - shown);
        double size = thumbnails ? shown : drawn;
        return static_cast<std::uint8_t>(
            std::clamp(size > 0 ? static_cast<int>(at / size * 100) : 0, 0, 100));
    };
    std::uint8_t across =
        percentOf(Property::MouseX, Property::ScrollX, Property::Width, image->WIDTH);
    std::uint8_t down =
        percentOf(Property::MouseY, Property::ScrollY, Property::Height, image->HEIGHT);
    if (rightButton) {
        image->CENTREONX = across;
        image->CENTREONY = down;
        if (OfferZooms()) {
            CURRENTPAGE = image->PAGENO;
        } else {
            image->CENTREONX = 0;
            image->CENTREONY = 0;
        }
        return;
    }
    CURRENTPAGE = image->PAGENO;
    if (thumbnails) {
        std::uint8_t pageWidth = ZoomEntryOf(-1);
        if (pageWidth == 0)
            return;
        image->CENTREONX = 0;
        image->CENTREONY = down;
        ZOOMINDEX = pageWidth;
    } else {
        std::uint8_t tiled = ZoomEntryOf(-2);
        if (tiled == 0)
            return;
        ZOOMINDEX = tiled;
        // Back among the thumbnails, the page clicked is on screen.
        std::int32_t onScreen = PAGESACROSS * PAGESDOWN;
        if (CURRENTPAGE < FIRSTPAGE || CURRENTPAGE > FIRSTPAGE + onScreen - 1) {
            FIRSTPAGE = CURRENTPAGE;
            while (FIRSTPAGE + onScreen - 1 > PageCount() && FIRSTPAGE > 1)
                --FIRSTPAGE;
        }
    }
    Relayout();
}

bool PreviewWindow::OfferZooms() {
    if (!POPUP || !ZOOMQUEUE)
        return false;
    for (std::size_t n = 1; n <= ZOOMQUEUE->size(); ++n)
        POPUP->CheckEntry("ZoomItem" + std::to_string(n), n == ZOOMINDEX);
    return !POPUP->OpenMenu().empty();
}

Severity PreviewWindow::OnWindowEvent() {
    // The base would refresh its lists when the window gains the focus; the preview has
    // none, and laying out again is its own business.
    if (PREVIEWWINDOW->currentEvent() == EventKind::GainFocus)
        return Severity::Benign;
    return WindowController::OnWindowEvent();
}

Severity PreviewWindow::OnAccepted() {
    if (WindowController::OnAccepted() != Severity::Benign)
        return Severity::Notify;
    host::Window& window = *PREVIEWWINDOW;
    int control = window.acceptedControl();
    if (control > FirstZoomItem && ZOOMQUEUE &&
        control <= FirstZoomItem + static_cast<int>(ZOOMQUEUE->size())) {
        SetZoomIndex(static_cast<std::uint8_t>(control - FirstZoomItem));
        return Severity::Benign;
    }
    switch (control) {
    case ToolbarZoom:
        OfferZooms();
        break;
    case MenuPages:
        ChoosePrintPages();
        Relayout();
        break;
    case MenuPrint:
    case ToolbarPrint:
        PRINTOK = CONFIRMPAGES ? ChoosePrintPages() : 1;
        if (PRINTOK)
            window.post(EventKind::CloseWindow);
        break;
    case MenuSavePdf:
        SaveAsPdf();
        break;
    case MenuExit:
    case ToolbarExit:
        window.post(EventKind::CloseWindow);
        break;
    case ZoomListControl: {
        window.update(ZoomListControl);
        std::string text = host::clip(zoomListShown_.value().toText());
        for (std::size_t n = 1; n <= ZOOMQUEUE->size(); ++n) {
            if ((*ZOOMQUEUE)[n - 1].MENUTEXT == text) {
                window.post(EventKind::Accepted, FirstZoomItem + static_cast<int>(n));
                return Severity::Notify;
            }
        }
        long percent = std::labs(std::strtol(text.c_str(), nullptr, 10));
        if (percent == 0)
            percent = 100;
        zoomListShown_.assign(host::Value(std::to_string(percent)));
        ZOOMINDEX = 0;
        USERPERCENTILE = static_cast<std::uint16_t>(std::min(percent, 1000L));
        Relayout();
        break;
    }
    case CurrentPageSpin:
        window.update(CurrentPageSpin);
        CURRENTPAGE = static_cast<std::int32_t>(currentPageShown_.value().toInteger());
        GoToCurrentPage();
        break;
    case AcrossSpin:
    case DownSpin:
        window.update(control);
        PAGESACROSS =
            static_cast<std::uint16_t>(std::max<long long>(acrossShown_.value().toInteger(), 1));
        PAGESDOWN =
            static_cast<std::uint16_t>(std::max<long long>(downShown_.value().toInteger(), 1));
        GridChanged(control == AcrossSpin);
        break;
    case Next:
    case Previous: {
        std::int32_t step = CurrentZoom() == -2 ? PAGESACROSS * PAGESDOWN : 1;
        CURRENTPAGE += control == Next ? step : -step;
        CURRENTPAGE = std::clamp<std::int32_t>(CURRENTPAGE, 1, PageCount());
        SyncVariables();
        window.post(EventKind::Accepted, CurrentPageSpin);
        return Severity::Notify;
    }
    case Jump:
        if (AskJumpPage()) {
            SyncVariables();
            window.post(EventKind::Accepted, CurrentPageSpin);
        }
        break;
    case ChangeDisplay:
        AskLayout();
        CURRENTPAGE = 1;
        FIRSTPAGE = 1;
        Relayout();
        break;
    default:
        break;
    }
    return Severity::Benign;
}

// --- Dialogs and output

bool PreviewWindow::AskJumpPage() {
    RegisterWindows();
    auto definition = host::WindowResources::program().load(jumpWindow, WindowModule);
    if (!definition)
        return false;
    bool answer = false;
    {
        host::Variable page(FieldType::longInteger());
        page.assign(host::Value(CURRENTPAGE));
        host::Window dialog(definition);
        dialog.bind("PRV:JUMPPAGE", page);
        dialog.setProperty(2, Property::RangeHigh, host::Value(PageCount()));
        if (TRANSLATOR)
            TRANSLATOR->TranslateWindow(dialog);
        runDialog(dialog, [&](int control) {
            if (control == 3) {
                std::int32_t chosen = static_cast<std::int32_t>(
                    std::clamp<long long>(page.value().toInteger(), 1, PageCount()));
                if (chosen != CURRENTPAGE) {
                    CURRENTPAGE = chosen;
                    answer = true;
                }
                return true;
            }
            return control == 4;
        });
    }
    host::WindowResources::program().release(jumpWindow, WindowModule);
    return answer;
}

bool PreviewWindow::ChoosePrintPages() {
    RegisterWindows();
    auto definition = host::WindowResources::program().load(pagesWindow, WindowModule);
    if (!definition)
        return false;
    bool answer = false;
    std::string kept = PAGESTOPRINT;
    {
        host::Variable text(FieldType::cstring(256));
        text.assign(host::Value(PAGESTOPRINT));
        host::Window dialog(definition);
        dialog.bind("PRV:PAGESTOPRINT", text);
        if (TRANSLATOR)
            TRANSLATOR->TranslateWindow(dialog);
        if (INIMGR)
            INIMGR->ApplyPlacement("_PreviewAskPagesWindow_", dialog);
        runDialog(dialog, [&](int control) {
            switch (control) {
            case 3:
                DefaultPageRange();
                text.assign(host::Value(PAGESTOPRINT));
                dialog.display();
                dialog.select(2);
                return false;
            case 4:
                PAGESTOPRINT = host::clip(text.value().toText());
                answer = true;
                break;
            case 5:
                PAGESTOPRINT = kept;
                break;
            default:
                return false;
            }
            if (INIMGR)
                INIMGR->StorePlacement("_PreviewAskPagesWindow_", dialog);
            return true;
        });
    }
    host::WindowResources::program().release(pagesWindow, WindowModule);
    return answer;
}

void PreviewWindow::AskLayout() {
    RegisterWindows();
    auto definition = host::WindowResources::program().load(layoutWindow, WindowModule);
    if (!definition)
        return;
    {
        host::Variable across(FieldType::longInteger());
        host::Variable down(FieldType::longInteger());
        across.assign(host::Value(static_cast<int>(PAGESACROSS)));
        down.assign(host::Value(static_cast<int>(PAGESDOWN)));
        host::Window dialog(definition);
        dialog.bind("PRV:ACROSS", across);
        dialog.bind("PRV:DOWN", down);
        if (TRANSLATOR)
            TRANSLATOR->TranslateWindow(dialog);
        runDialog(dialog, [&](int control) {
            if (control != 4)
                return false;
            long long a = std::max<long long>(across.value().toInteger(), 1);
            long long d = std::max<long long>(down.value().toInteger(), 1);
            if (a * d > PageCount()) {
                dialog.select(3);
                return false;
            }
            PAGESACROSS = static_cast<std::uint16_t>(a);
            PAGESDOWN = static_cast<std::uint16_t>(d);
            return true;
        });
    }
    host::WindowResources::program().release(layoutWindow, WindowModule);
}

void PreviewWindow::SaveAsPdf() {
    host::FileDialogRequest request;
    request.title = "Save as PDF";
    request.masks = "PDF files|*.pdf";
    request.flags = host::FileDialogSave | host::FileDialogKeepDirectory;
    if (!host::fileDialog(request) || request.fileName.empty())
        return;
    std::string path = request.fileName;
    if (path.size() < 4 || path.substr(path.size() - 4) != ".pdf")
        path += ".pdf";
    std::vector<std::string> pages;
    for (std::int32_t page = 1; page <= PageCount(); ++page)
        if (PageChosen(page))
            pages.push_back(PageFile(page));
    host::PrintResult result = host::PrintService::savePdf(pages, path);
    if (!result.ok)
        ReportDriver::TellProblem(Reporter(), result.message);
    else if (PREVIEWWINDOW)
        PREVIEWWINDOW->setStatusText(1, "Saved " + std::to_string(result.pagesPrinted) +
                                            " pages in " + path);
}

} // namespace framework
