#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace app {

// The procedures that the frame's "&Browse" menu starts, each on a new logical thread,
// by the name of their menu item in the frame's window definition: "?BrowseItems",
// "?BrowseCustomers", "?BrowseInvoices". A menu item whose procedure is not there is
// disabled when the frame opens. Tests put a procedure of their own in place of a
// browse, so that it starts through the same path.
class FrameProcedures {
public:
    using Procedure = std::function<void()>;

    // The stack-size hint for a started procedure's thread, in bytes.
    static constexpr std::size_t stackSize = 25000;

    // The procedure started by a menu item (empty when none).
    static Procedure find(std::string_view menuItem);
    // Puts a procedure behind a menu item (an empty one takes it away).
    static void assign(std::string_view menuItem, Procedure procedure);
    // Back to the program's own procedures.
    static void reset();

    // Starts the procedure on a new logical thread and goes on at once; the thread's
    // number.
    static int start(Procedure procedure);
};

} // namespace app
