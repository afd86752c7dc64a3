#include "app/BrowseItems.h"

#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/ItemPictures.h"
#include "app/Main.h"
#include "app/Reports.h"
#include "app/UpdateItems.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

namespace app {

using framework::RequestKind;
using framework::Severity;
using host::FieldType;

namespace {

constexpr const char* browseWindow = "P10$BROWSEWINDOW";

// Row fields.
enum RowField {
    RowNumber = 1,
    RowDescription,
    RowPicture,
    RowUnit,
    RowList,
    RowSell,
    RowCost,
    RowItemId,
    RowViewPosition
};

host::TypedRef itemField(std::string_view label) {
    return ItemRecord.field(label);
}

} // namespace

std::uint8_t ItemBrowse::AskUpdate(std::uint8_t request) {
    if (request == RequestKind::Insert || request == RequestKind::Change ||
        request == RequestKind::Delete) {
        // Without an in-place editor the row cannot be edited in the list, so the form
        // edits it, ticked or not.
        bool useForm = useForm_.value().toInteger() != 0 || EIP == nullptr;
        ASKPROCEDURE = useForm ? ItemBrowseWindow::FormProcedure : 0;
    }
    return BrowseList::AskUpdate(request);
}

host::SharedLayout ItemBrowseWindow::RowLayout() {
    static const host::SharedLayout layout =
        std::make_shared<const host::RecordLayout>(host::RecordLayout{
            {"ITEMNUMBER", FieldType::text(10)},
            {"DESCRIPTION", FieldType::text(30)},
            {"ICONFILE", FieldType::cstring(256)},
            {"UOM", FieldType::text(2)},
            {"LIST", FieldType::decimal(7, 2)},
            {"SELL", FieldType::decimal(7, 2)},
            {"COST", FieldType::decimal(7, 2)},
            {"ITEMID", FieldType::longInteger()},
            {"VIEWPOSITION", FieldType::text(1024)},
        });
    return layout;
}

ItemBrowseWindow::ItemBrowseWindow(host::Window& window, host::Queue& rows)
    : BrowseProcedureWindow("BrowseItems", window, rows,
                            {ListControl, CloseButton, SelectButton, InsertButton, ChangeButton,
                             DeleteButton, QueryButton, QueryResult, ToolboxButton}),
      useForm_(FieldType::byte()), browse_(useForm_) {}

ItemBrowseWindow::~ItemBrowseWindow() = default;

Severity ItemBrowseWindow::Setup() {
    Severity level = BeginBrowse(*ItemLink);
    if (level != Severity::Benign)
        return level;
    window_.bind("LOC:USEUPDATEFORM", useForm_);
    for (const char* label : {"ITM:DESCRIPTION", "ITM:LIST", "ITM:SELL", "ITM:COST"})
        window_.bind(label, itemField(label));
    browse_.EIP = &editManager_;
    level =
        OpenList(browse_, *ItemAccess, *ItemFile, rows_.buffer().field(RowViewPosition), *ItemLink);
    if (level != Severity::Benign)
        return level;
    // The list holds every item at once (a shop's stock is small), so it scrolls
    // without reading.
    browse_.FILELOADED = 1;

    browse_.DefineSortOrder("ITM:ITEMNUMBERK");
    numberLocator_.Setup(0, itemField("ITM:ITEMNUMBER"), true, browse_);
    browse_.SetLocator(numberLocator_);
    browse_.WatchField(itemField("ITM:ICONFILE"));

    const host::Record& row = rows_.buffer();
    browse_.MapColumn(itemField("ITM:ITEMNUMBER"), row.field(RowNumber));
    browse_.MapColumn(itemField("ITM:DESCRIPTION"), row.field(RowDescription));
    browse_.MapColumn(itemField("ITM:ICONFILE"), row.field(RowPicture));
    browse_.MapColumn(itemField("ITM:UOM"), row.field(RowUnit));
    browse_.MapColumn(itemField("ITM:LIST"), row.field(RowList));
    browse_.MapColumn(itemField("ITM:SELL"), row.field(RowSell));
    browse_.MapColumn(itemField("ITM:COST"), row.field(RowCost));
    browse_.MapColumn(itemField("ITM:ITEMID"), row.field(RowItemId));

    AttachButtons(browse_);
    framework::CellEditor* editors[] = {&numberEditor_, &descriptionEditor_, &pictureEditor_,
                                        &unitEditor_,   &listEditor_,        &sellEditor_,
                                        &costEditor_};
    std::int32_t column = 0;
    for (framework::CellEditor* editor : editors)
        browse_.AddEditControl(editor, ++column, false);
    // In place, Down and Up save the row and go on editing the next (previous) row in the
    // same column; Enter and leaving the row save; Tab past the last column asks.
    browse_.ARROWACTION = 24;
    // "&Print" runs the inventory report (procedure 2); the browse enables it while the
    // list has rows.
    browse_.PRINTCONTROL = PrintButton;
    browse_.PRINTPROCEDURE = InventoryProcedure;
    ArrangeResizing();
    ArmKeys();
    // Down on the list comes here first (OnControlEvent), to start a new item after the
    // last row.
    window_.alert(ListControl, host::KeyCode::Down);
    return Severity::Benign;
}

void ItemBrowseWindow::ArrangeResizing() {
    using Resizer = framework::WindowResizer;
    auto position = [](std::uint8_t horizontal, std::uint8_t vertical) {
        return static_cast<std::uint16_t>(horizontal | (vertical << 8u));
    };
    constexpr std::uint16_t keepSize = Resizer::KeepWidth | Resizer::KeepHeight;
    resizer_.Setup(window_, 2, true, false);
    // The sheet and the list grow with the window; the picture stays beside the list's
    // top right corner; the description, the prices, the check box and the buttons stay
    // under the list, at their size.
    resizer_.SetStrategy(Sheet, position(Resizer::NearEdge, Resizer::NearEdge),
                         Resizer::WidthToRightEdge | Resizer::HeightToBottomEdge);
    resizer_.SetStrategy(ListControl, position(Resizer::NearEdge, Resizer::NearEdge),
                         Resizer::WidthToRightEdge | Resizer::HeightToBottomEdge);
    for (std::int32_t control : {PictureFrame, PictureImage})
        resizer_.SetStrategy(control, position(Resizer::FarEdge, Resizer::NearEdge), keepSize);
    for (std::int32_t control = DescriptionDisplay; control <= UseFormCheck; ++control)
        resizer_.SetStrategy(control, position(Resizer::NearEdge, Resizer::FarEdge), keepSize);
    for (std::int32_t control = InsertButton; control <= CloseButton; ++control)
        resizer_.SetStrategy(control, position(Resizer::FarEdge, Resizer::FarEdge), keepSize);
    for (std::int32_t control : {QueryButton, ToolboxButton})
        resizer_.SetStrategy(control, position(Resizer::FarEdge, Resizer::FarEdge), keepSize);
    resizer_.SetStrategy(QueryResult, position(Resizer::NearEdge, Resizer::FarEdge), keepSize);
    AttachResizer(resizer_);
}

Severity ItemBrowseWindow::DispatchEvent() {
    Severity level = WindowController::DispatchEvent();
    // Whatever made another row current (a click, the keys, the scroll bar, a locator,
    // an update), the picture beside the list follows the item in the record buffer. An
    // update (a button or a key) may have brought the picture file itself into the images
    // folder under the name the item already had, so the file is looked at again then.
    host::EventKind kind = window_.currentEvent();
    if (kind == host::EventKind::Accepted || kind == host::EventKind::AlertKey)
        pictureShown_ = false;
    ShowPicture();
    return level;
}

Severity ItemBrowseWindow::OnControlEvent() {
    Severity level = WindowController::OnControlEvent();
    if (window_.eventControl() == ListControl &&
        window_.currentEvent() == host::EventKind::AlertKey &&
        host::keyCode() == host::KeyCode::Down)
        OnDownKey();
    return level;
}

void ItemBrowseWindow::OnDownKey() {
    std::size_t rows = browse_.RowCount();
    int selected =
        static_cast<int>(window_.property(ListControl, host::Property::Selected).toInteger());
    if (rows > 0 && static_cast<std::size_t>(selected) == rows && rows_.get(rows)) {
        // The last row: is there an item after it in the order items were added?
        itemField("ITM:ITEMID").assign(rows_.buffer().field(RowItemId).value());
        bool another = false;
        if (ItemFile->setAt(files::item().keyNumber("ITM:ITEMIDK")) &&
            ItemAccess->ReadNextQuiet() == Severity::Benign)
            another = ItemAccess->ReadNextQuiet() == Severity::Benign;
        // The reads moved the record buffer; it holds the row's item again.
        browse_.SyncBuffer();
        if (!another) {
            window_.pressKey(host::KeyCode::Ins);
            return;
        }
    }
    window_.post(host::EventKind::ScrollDown, ListControl);
}

void ItemBrowseWindow::ShowPicture() {
    std::string name = host::clip(itemField("ITM:ICONFILE").text());
    if (pictureShown_ && name == shownPicture_)
        return;
    shownPicture_ = name;
    pictureShown_ = true;
    window_.setProperty(PictureImage, host::Property::Image,
                        host::Value(ItemPictures::shownFile(name)));
}

std::uint8_t ItemBrowseWindow::CallProcedure(std::uint16_t number, std::uint8_t request) {
    WindowController::CallProcedure(number, request);
    GlobalRequest = request;
    if (number == FormProcedure)
        UpdateItems();
    else if (number == InventoryProcedure)
        PrintInventory();
    return GlobalResponse;
}

Severity ItemBrowseWindow::Teardown() {
    return EndProcedure();
}

void ItemBrowseWindow::Release() {
    numberLocator_.Teardown();
    ReleaseView();
}

void BrowseItems() {
    host::Queue rows(ItemBrowseWindow::RowLayout());
    RunProcedureWindow<ItemBrowseWindow>(browseWindow, rows);
    rows.free();
}

} // namespace app
