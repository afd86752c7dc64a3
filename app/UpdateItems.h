#pragma once

#include "app/ProcedureWindow.h"
#include "framework/window/FilePicker.h"
#include "framework/window/WindowResizer.h"

#include <cstdint>
#include <string>

namespace host {
class Window;
}

namespace app {

// The update form of one item ("P76$QUICKWINDOW", "Update Item File"). The item list runs
// it for an insert, a change or a delete (the request in GlobalRequest, the item in the
// Item record buffer) and finds the outcome in GlobalResponse: completed when the item was
// added, changed or deleted, cancelled otherwise.
//
// The title says what the form will do ("Item Will Be Changed  (Hammer)"); a delete shows
// the item and deletes it only when OK is pressed. Ctrl+' (or the toolbar's "Previous
// value") brings back a field as it was in the last item saved through the form in this
// run. The form shows the item's picture; "Find image" chooses another picture file,
// which the item keeps by its bare name in the program's images folder (ItemPictures).
void UpdateItems();

// The form's window controller.
class ItemForm : public ProcedureWindow {
public:
    // The entries are controls 1 to 7 in window order; FieldOf gives each one's field in
    // the Item record.
    static constexpr std::int32_t NumberEntry = 1;
    static constexpr std::int32_t PictureEntry = 7;
    static constexpr std::int32_t FindImageButton = 8;
    static constexpr std::int32_t PictureImage = 9;
    static constexpr std::int32_t OkButton = 10;
    static constexpr std::int32_t CancelButton = 18;

    explicit ItemForm(host::Window& window);

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    void PumpEvents() override;
    framework::Severity OnAccepted() override;
    framework::Severity OnWindowEvent() override;

    // What the form will do, as its title says.
    std::string ActionMessage() const;
    // The Item record's field number that entry `control` shows.
    static std::int32_t FieldOf(std::int32_t control);
    // The image control shows the picture ITM:ICONFILE names (nothing when it names none,
    // a missing file, or a file that is not a picture).
    void ShowPicture();

    // Ctrl+' recalls from one copy of the Item record that every item form of the
    // program shares: the last item saved through a form in this run, blank until then.
    // ForgetHistory makes the next form start with a blank copy again.
    static void ForgetHistory();

private:
    // "Find image": the file dialog, and the chosen picture made the item's.
    void FindImage();

    host::Window& window_;
    framework::WindowResizer resizer_;
    framework::FilePicker picker_;
};

} // namespace app
