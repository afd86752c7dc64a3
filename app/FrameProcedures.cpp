#include "app/FrameProcedures.h"

#include "app/BrowseCustomers.h"
#include "app/BrowseInvoices.h"
#include "app/BrowseItems.h"
#include "app/ShopSettings.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Desktop.h"

#include <map>
#include <string>

namespace app {

namespace {

// The program's own procedures behind the "&Browse" items.
std::map<std::string, FrameProcedures::Procedure> programProcedures() {
    return {{"?BROWSEITEMS", BrowseItems},
            {"?BROWSECUSTOMERS", BrowseCustomers},
            {"?BROWSEINVOICES", BrowseInvoices},
            {"?SHOPSETTINGS", ShopSettings}};
}

std::map<std::string, FrameProcedures::Procedure>& table() {
    static std::map<std::string, FrameProcedures::Procedure> procedures = programProcedures();
    return procedures;
}

std::string keyOf(std::string_view menuItem) {
    return host::upper(menuItem);
}

} // namespace

FrameProcedures::Procedure FrameProcedures::find(std::string_view menuItem) {
    auto it = table().find(keyOf(menuItem));
    return it == table().end() ? Procedure() : it->second;
}

void FrameProcedures::assign(std::string_view menuItem, Procedure procedure) {
    table()[keyOf(menuItem)] = std::move(procedure);
}

void FrameProcedures::reset() {
    table() = programProcedures();
}

int FrameProcedures::start(Procedure procedure) {
    return host::startThread(std::move(procedure), stackSize);
}

} // namespace app
