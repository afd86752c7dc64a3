#pragma once

#include "app/BrowseProcedureWindow.h"
#include "app/ItemEditors.h"
#include "framework/browse/BrowseList.h"
#include "framework/browse/TypedLocator.h"
#include "framework/inplace/InPlaceEditManager.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <string>

namespace host {
class Queue;
class Window;
} // namespace host

namespace app {

// The item list ("P10$BROWSEWINDOW", "Inventory Items"), a child window of the frame that
// the "&Items" item starts on a thread of its own. It holds every item, by number, and
// shows the current item's description, prices and picture. "&Insert", "&Change" and
// "&Delete" (and the Insert, Ctrl+Enter and Delete keys) edit the row in the list when
// "  Use Update Form?" is not ticked and open the item form (UpdateItems) when it is,
// decided at each request. Down on
// the last row starts a new item when no item was added after it. "&Print" prints the
// inventory report (PrintInventory), enabled while the list has rows.
//
// It also picks an item for another procedure: started with GlobalRequest = 4 (select),
// it shows "&Select", and "&Select" (or a double click) ends it with GlobalResponse = 1
// and the chosen item in the Item record buffer.
void BrowseItems();

// The list of items. Before each insert, change or delete it reads "  Use Update Form?":
// ticked, the form edits the item; not ticked, the row is edited in place.
class ItemBrowse : public framework::BrowseList {
public:
    explicit ItemBrowse(host::TypedRef useForm) : useForm_(useForm) {}
    std::uint8_t AskUpdate(std::uint8_t request) override;

private:
    host::TypedRef useForm_;
};

// The list's window controller.
class ItemBrowseWindow : public BrowseProcedureWindow {
public:
    static constexpr std::int32_t Sheet = 1;
    static constexpr std::int32_t ListControl = 3;
    static constexpr std::int32_t PictureImage = 4;
    static constexpr std::int32_t DescriptionDisplay = 5; // then the prices, 6 to 11
    static constexpr std::int32_t UseFormCheck = 12;
    static constexpr std::int32_t InsertButton = 13;
    static constexpr std::int32_t ChangeButton = 14;
    static constexpr std::int32_t DeleteButton = 15;
    static constexpr std::int32_t SelectButton = 16;
    static constexpr std::int32_t PrintButton = 17;
    static constexpr std::int32_t CloseButton = 18;
    static constexpr std::int32_t PictureFrame = 19;
    static constexpr std::int32_t QueryButton = 20;
    static constexpr std::int32_t ToolboxButton = 21;
    static constexpr std::int32_t QueryResult = 22;

    // The list's update procedures.
    static constexpr std::uint16_t FormProcedure = 1;      // UpdateItems
    static constexpr std::uint16_t InventoryProcedure = 2; // the inventory report

    ItemBrowseWindow(host::Window& window, host::Queue& rows);
    ~ItemBrowseWindow() override;

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    framework::Severity DispatchEvent() override;
    framework::Severity OnControlEvent() override;
    // Procedure 1 is the item form; the inventory report (2) is not there yet, so it, and
    // any other number, runs nothing. The global response.
    std::uint8_t CallProcedure(std::uint16_t number, std::uint8_t request) override;

    ItemBrowse& Browse() { return browse_; }
    // Tears the locator down and closes the view, once the window has gone.
    void Release();

    // The row of the list: number, description, picture file, unit, list, sell and cost
    // price, the item's id, and the view position the browse keeps per row.
    static host::SharedLayout RowLayout();

private:
    // Down on the last row: a new item when the file has none after the row's; otherwise
    // the list scrolls.
    void OnDownKey();
    // The resizer, with the places the controls keep as the window grows.
    void ArrangeResizing();
    // The image shows the current item's picture.
    void ShowPicture();

    host::Variable useForm_;
    ItemBrowse browse_;
    // In-place editing: the procedure's own edit manager and the editors of columns 1 to
    // 7, registered with the browse, which frees none of them.
    framework::InPlaceEditManager editManager_;
    ItemNumberEditor numberEditor_;
    ItemDescriptionEditor descriptionEditor_;
    ItemPictureEditor pictureEditor_;
    ItemUnitEditor unitEditor_;
    ItemPriceEditor listEditor_;
    ItemPriceEditor sellEditor_;
    ItemPriceEditor costEditor_;
    framework::TypedLocator numberLocator_;
    std::string shownPicture_;
    bool pictureShown_ = false;
};

} // namespace app
