#include "app/UpdateItems.h"

#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/ItemPictures.h"
#include "app/Main.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace app {

using framework::RequestKind;
using framework::ResponseKind;
using framework::Severity;

namespace {

constexpr const char* formWindow = "P76$QUICKWINDOW";

// The Item record's fields shown by entries 1 to 7: number, sell, description, unit,
// list, cost, picture file.
constexpr std::array<std::int32_t, 7> entryFields = {2, 6, 3, 7, 5, 4, 8};

// The file dialog's flags for "Find image", handed to the display's dialog as they are.
constexpr std::uint8_t findImageFlags = 16;

struct History {
    host::Record record{files::item().layout()};
    bool cleared = false;
};

History& history() {
    static History kept;
    return kept;
}

host::TypedRef pictureField() {
    return ItemRecord.field("ITM:ICONFILE");
}

} // namespace

void ItemForm::ForgetHistory() {
    history().cleared = false;
}

std::int32_t ItemForm::FieldOf(std::int32_t control) {
    if (control < NumberEntry || control > PictureEntry)
        return 0;
    return entryFields[static_cast<std::size_t>(control - NumberEntry)];
}

ItemForm::ItemForm(host::Window& window) : ProcedureWindow("UpdateItems"), window_(window) {}

Severity ItemForm::Setup() {
    Severity level = BeginProcedure(NumberEntry);
    if (level != Severity::Benign)
        return level;
    RegisterFile(*ItemAccess);

    HISTORYKEY = host::KeyCode::CtrlQuote;
    if (!history().cleared) {
        history().record.clear();
        history().cleared = true;
    }
    RegisterHistoryField(ItemRecord, history().record);
    for (std::int32_t control = NumberEntry; control <= PictureEntry; ++control)
        RegisterHistoryField(control, FieldOf(control));

    RegisterButton(CancelButton, ResponseKind::Cancelled);
    OpenFiles(*CustomerLink);
    OpenFiles(*ItemLink);
    PRIMARY = ItemLink;
    DELETEACTION = 3; // show the item; delete when OK is pressed
    // Leaving a changed item without OK asks "Changes will be lost!" (the value 2 asks
    // that question and saves nothing; 0 would drop the changes without a word).
    CANCELACTION = 2;
    OKCONTROL = OkButton;
    if (BeginRequest() != Severity::Benign)
        return Severity::Notify;

    const host::RecordLayout& layout = *ItemRecord.layout();
    for (std::int32_t control = NumberEntry; control <= PictureEntry; ++control)
        window_.bind(layout.field(FieldOf(control)).label, ItemRecord.field(FieldOf(control)));
    OpenWindow(window_);
    resizer_.Setup(window_, 2, true, false);
    AttachResizer(resizer_);
    picker_.Setup();
    picker_.FLAGS |= findImageFlags;
    picker_.ReplaceMask("GIF Files", "*.GIF");
    picker_.SetTitle("Find GIF files");
    ArmKeys();
    return Severity::Benign;
}

std::string ItemForm::ActionMessage() const {
    switch (REQUEST) {
    case RequestKind::Insert:
        return "Item Will Be Added";
    case RequestKind::Change:
        return "Item Will Be Changed";
    case RequestKind::Delete:
        return "Item Will Be Deleted";
    default:
        return "";
    }
}

void ItemForm::PumpEvents() {
    std::string title = ActionMessage();
    if (REQUEST == RequestKind::Change || REQUEST == RequestKind::Delete)
        title += "  (" + host::clip(ItemRecord.field("ITM:DESCRIPTION").text()) + ")";
    else if (REQUEST == RequestKind::Insert)
        title += "  (New)";
    window_.setTitle(title);
    WindowController::PumpEvents();
}

Severity ItemForm::OnWindowEvent() {
    Severity level = WindowController::OnWindowEvent();
    if (window_.currentEvent() == host::EventKind::OpenWindow)
        ShowPicture();
    return level;
}

Severity ItemForm::OnAccepted() {
    Severity level = WindowController::OnAccepted();
    if (level != Severity::Benign)
        return level;
    switch (window_.eventControl()) {
    case FindImageButton:
        FindImage();
        break;
    case PictureEntry: // a name typed into the entry shows its picture too
        ShowPicture();
        break;
    default:
        break;
    }
    return level;
}

void ItemForm::FindImage() {
    SyncBuffers();
    // The dialog opens in the images folder (made now when missing), where the pictures
    // the items already use are.
    std::error_code error;
    std::string images = ItemPictures::folder();
    std::filesystem::create_directories(images, error);
    picker_.SetDefaultDirectory(std::filesystem::is_directory(images, error) ? images : "");
    std::string dialogFolder = picker_.DEFAULTDIRECTORY.empty()
                                   ? std::filesystem::current_path(error).string()
                                   : picker_.DEFAULTDIRECTORY;
    std::string chosen = picker_.Choose(true);
    // The item keeps the bare name of the chosen file, cut at its last slash or backslash
    // to at most 32 characters, the picture itself copied into the images folder when it
    // lies elsewhere. A cancelled dialog, or a picture the user would not let replace
    // another of the same name, leaves the item's picture as it was (rather than blank).
    if (std::optional<std::string> name = ItemPictures::adopt(chosen, dialogFolder)) {
        pictureField().assign(host::Value(*name));
        window_.display(PictureEntry);
    }
    ShowPicture();
}

void ItemForm::ShowPicture() {
    window_.setProperty(PictureImage, host::Property::Image,
                        host::Value(ItemPictures::shownFile(pictureField().text())));
}

Severity ItemForm::Teardown() {
    return EndProcedure();
}

void UpdateItems() {
    RunProcedureWindow<ItemForm>(formWindow);
}

} // namespace app
