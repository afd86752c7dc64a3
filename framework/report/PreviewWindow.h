#pragma once

#include "framework/window/WindowController.h"
#include "runtime/base/TypedRef.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace host {
class Queue;
class Window;
} // namespace host

namespace framework {

class IniStore;
class PageImage;
class PopupMenu;

// The print preview, "Report Preview": the pages of a finished report, one page at a
// chosen zoom or several as thumbnails across and down. The user pages through them,
// picks the pages to print ("Pages to Print", such as "1-3,7"), and prints or leaves;
// the answer goes back to the report driver. "Save as PDF..." writes the pages into a PDF
// file.
class PreviewWindow : public WindowController {
public:
    // The zoom table's entries (ZOOMQUEUE) and the table's packed form.
    struct ZoomEntry {
        std::int16_t PERCENTILE = 0;
        std::string MENUTEXT;
        std::string STATUSTEXT;
    };
    static const std::string_view ZoomTable;

    // Control numbers of the preview window.
    static constexpr std::uint16_t MenuPages = 2, MenuPrint = 3, MenuExit = 4, ViewMenu = 5,
                                   Next = 6, Previous = 7, Jump = 8, ChangeDisplay = 9,
                                   ZoomMenu = 10, ToolbarPrint = 11, ToolbarExit = 12,
                                   ToolbarZoom = 13, PagePrompt = 14, CurrentPageSpin = 15,
                                   AcrossSpin = 17, DownSpin = 19, ZoomPrompt = 20,
                                   ZoomListControl = 21, MenuSavePdf = 22;
    static constexpr std::uint16_t FirstZoomItem = 200;

    PreviewWindow();
    ~PreviewWindow() override;

    // Overridden operations.
    Severity Teardown() override;
    void PrepareWindow() override;
    Severity OnAccepted() override;
    Severity DispatchEvent() override;
    Severity OnControlEvent() override;
    Severity OnWindowEvent() override;
    // Own operations, in slot order.
    virtual bool AskJumpPage();
    virtual bool ChoosePrintPages();
    virtual void AskLayout();
    virtual void DeletePage(std::int32_t page);
    virtual bool ShowPages(std::int16_t zoom, std::int32_t firstPage, std::uint16_t pagesAcross,
                           std::uint16_t pagesDown);
    virtual void Prepare(host::Queue& imageQueue);
    virtual void DefaultPageRange();
    virtual void DropUnselectedPages();
    // Asks for a file and writes the pages into it as a PDF.
    virtual void SaveAsPdf();

    bool PageChosen(std::int32_t page) const;
    std::int32_t PageCount() const;
    // The page file of page n (empty when there is none).
    std::string PageFile(std::int32_t page) const;
    // The current page's spin box accepted: move to CURRENTPAGE, paging the thumbnails
    // so that it is on screen.
    void GoToCurrentPage();
    // The across (or down) spin box accepted: undoes a grid that would reach beyond the
    // last page. True when the grid was kept (and laid out again).
    bool GridChanged(bool acrossChanged);
    // The zoom in use: the entry's percentage, or the user's own.
    std::int16_t CurrentZoom() const;
    void Relayout(bool sizeChanged = false);
    void ShowStatus();
    // The page under a point of the window (0 for none).
    std::int32_t PageAt(int x, int y) const;

    std::uint8_t ALLOWUSERZOOM = 0;
    std::uint8_t CONFIRMPAGES = 0;
    std::int32_t CURRENTPAGE = 1;
    std::int32_t FIRSTPAGE = 1;
    host::Queue* IMAGEQUEUE = nullptr;
    IniStore* INIMGR = nullptr;
    std::int16_t INITZOOM = 0;
    std::uint8_t MAXIMIZE = 0;
    std::array<std::uint8_t, 32> MUSE{};
    PageImage* PAGEMANAGER = nullptr;
    std::uint16_t PAGESACROSS = 1;
    std::uint16_t PAGESDOWN = 1;
    std::string PAGESTOPRINT;
    std::unique_ptr<PopupMenu> POPUP;
    host::Window* PREVIEWWINDOW = nullptr;
    std::uint8_t PRINTOK = 0;
    struct {
        std::uint8_t SET = 0;
        std::int16_t XPOS = 0, YPOS = 0;
        std::uint16_t WIDTH = 0, HEIGHT = 0;
    } SAVESIZE;
    std::uint16_t THUMBNAILSPRESENT = 0;
    std::uint16_t USERPERCENTILE = 0;
    std::uint8_t WINDOWPOSSET = 0, WINDOWSIZESET = 0;
    std::int16_t WINHEIGHT = 0, WINWIDTH = 0, WINXPOS = 0, WINYPOS = 0;
    std::unique_ptr<std::vector<ZoomEntry>> ZOOMQUEUE;
    std::uint8_t ZOOMINDEX = 0;
    std::string ZOOMLIST;

    // The window definitions of the preview and its dialogs, in module "eip$preview".
    static constexpr const char* WindowModule = "eip$preview";
    static void RegisterWindows();

private:
    PageImage* FindImage(std::int32_t page) const;
    // The page shown by image control `control` (null when none is).
    PageImage* FindImageControl(int control) const;
    // The zoom entry with this percentage (0 when the table has none).
    std::uint8_t ZoomEntryOf(std::int16_t percentile) const;
    PageImage& MakeImage(std::int32_t page, std::uint16_t border, std::uint16_t image);
    void DestroyImages(std::int32_t keepFrom, std::int32_t keepTo);
    void LayOutThumbnails(bool sizeChanged);
    void LayOutSinglePage(bool sizeChanged);
    void SetZoomIndex(std::uint8_t index);
    void BindControls();
    void SyncVariables();
    void TellPageProblems();
    // A click on a page's image: the left button goes between the thumbnails and the page
    // at page width, the right one offers the zoom choices centred on the place clicked.
    void PageClicked(int imageControl, bool rightButton);
    // Checks the popup item of the zoom in use and shows the zoom choices; true when one
    // was chosen.
    bool OfferZooms();

    // The variables the window's controls show (copied to and from the fields).
    host::Variable currentPageShown_;
    host::Variable acrossShown_;
    host::Variable downShown_;
    host::Variable zoomListShown_;
    std::string reportedProblems_;
};

} // namespace framework
