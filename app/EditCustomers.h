#pragma once

#include "app/ProcedureWindow.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/WindowResizer.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <string>

namespace host {
class Window;
}

namespace app {

// The update form of one customer ("P43$QUICKWINDOW", "Update the Customer File"). The
// customer list runs it for an insert, a change or a delete (the request in
// GlobalRequest, the customer in the Customer record buffer) and finds the outcome in
// GlobalResponse: completed when the customer was added, changed or deleted, cancelled
// otherwise.
//
// The form shows the record and says in its title what it will do ("Customer Will Be
// Changed  (Adams)"). A delete shows the customer and deletes it only when OK is
// pressed. Ctrl+' (or the toolbar's "Previous value") in an entry brings back that
// field as it was in the last customer saved through the form during this run of the
// program; cancelling a form whose customer was changed asks "Changes will be lost!".
void EditCustomers();

// The form's window controller.
class CustomerForm : public ProcedureWindow {
public:
    // The entries are controls 1 to 10, for record fields 2 to 11 (CUS:NUMBER to
    // CUS:CONTACT).
    static constexpr std::int32_t NumberEntry = 1;
    static constexpr std::int32_t ContactEntry = 10;
    static constexpr std::int32_t MessageDisplay = 21;
    static constexpr std::int32_t OkButton = 22;
    static constexpr std::int32_t CancelButton = 23;

    explicit CustomerForm(host::Window& window);

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    void PumpEvents() override;

    // What the form will do, as its first line and its title show it.
    std::string ActionMessage() const;

    // Ctrl+' recalls from one copy of the Customer record that every customer form of
    // the program shares, on any thread: the last customer saved through a form in this
    // run, blank until then. ForgetHistory makes the next form start with a blank copy
    // again, as at the program's start.
    static void ForgetHistory();

private:
    host::Window& window_;
    framework::WindowResizer resizer_;
    host::Variable actionMessage_;
};

} // namespace app
