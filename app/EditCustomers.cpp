#include "app/EditCustomers.h"

#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Record.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

namespace app {

using framework::RequestKind;
using framework::ResponseKind;
using framework::Severity;

namespace {

constexpr const char* formWindow = "P43$QUICKWINDOW";

struct History {
    host::Record record{files::customer().layout()};
    bool cleared = false;
};

History& history() {
    static History kept;
    return kept;
}

} // namespace

void CustomerForm::ForgetHistory() {
    history().cleared = false;
}

CustomerForm::CustomerForm(host::Window& window)
    : ProcedureWindow("EditCustomers"), window_(window), actionMessage_(host::FieldType::text(40)) {
}

Severity CustomerForm::Setup() {
    Severity level = BeginProcedure(NumberEntry);
    if (level != Severity::Benign)
        return level;
    RegisterFile(*CustomerAccess);

    HISTORYKEY = host::KeyCode::CtrlQuote;
    if (!history().cleared) {
        history().record.clear();
        history().cleared = true;
    }
    RegisterHistoryField(CustomerRecord, history().record);
    // Entries 1 to 10 show record fields 2 to 11.
    for (std::int32_t control = NumberEntry; control <= ContactEntry; ++control)
        RegisterHistoryField(control, control + 1);

    RegisterButton(CancelButton, ResponseKind::Cancelled);
    OpenFiles(*CustomerLink);
    PRIMARY = CustomerLink;
    DELETEACTION = 3; // show the customer; delete when OK is pressed
    // Leaving a changed customer without OK asks "Changes will be lost!" (the value 2
    // asks that question and saves nothing; 0 would drop the changes without a word).
    CANCELACTION = 2;
    OKCONTROL = OkButton;
    if (BeginRequest() != Severity::Benign)
        return Severity::Notify;

    window_.bind("LOC:ACTIONMESSAGE", actionMessage_);
    const host::RecordLayout& layout = *CustomerRecord.layout();
    for (std::int32_t control = NumberEntry; control <= ContactEntry; ++control)
        window_.bind(layout.field(control + 1).label, CustomerRecord.field(control + 1));
    OpenWindow(window_);
    resizer_.Setup(window_, 2, true, false);
    AttachResizer(resizer_);
    ArmKeys();
    return Severity::Benign;
}

std::string CustomerForm::ActionMessage() const {
    switch (REQUEST) {
    case RequestKind::Insert:
        return "Customer Will Be Added";
    case RequestKind::Change:
        return "Customer Will Be Changed";
    case RequestKind::Delete:
        return "Customer Will Be Deleted";
    default:
        return "";
    }
}

void CustomerForm::PumpEvents() {
    actionMessage_.assign(host::Value(ActionMessage()));
    std::string title = host::clip(actionMessage_.value().toText());
    if (REQUEST == RequestKind::Change || REQUEST == RequestKind::Delete)
        title += "  (" + host::clip(CustomerRecord.field("CUS:NAME").text()) + ")";
    else if (REQUEST == RequestKind::Insert)
        title += "  (New)";
    window_.setTitle(title);
    window_.display();
    WindowController::PumpEvents();
}

Severity CustomerForm::Teardown() {
    return EndProcedure();
}

void EditCustomers() {
    RunProcedureWindow<CustomerForm>(formWindow);
}

} // namespace app
