#include "app/ShopSettings.h"

#include "app/DataDictionary.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/RequestKind.h"
#include "framework/window/ResponseKind.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/Record.h"
#include "runtime/files/RecordFile.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <algorithm>

namespace app {

using framework::RequestKind;
using framework::ResponseKind;
using framework::Severity;

namespace {

constexpr const char* formWindow = "P90$SETTINGSWINDOW";

constexpr const char* boundFields[] = {"CON:COMPANYNAME", "CON:ADDRESS", "CON:CITY",   "CON:STATE",
                                       "CON:ZIP",         "CON:PHONE",   "CON:TAXRATE"};

void addTaxRateMessage(framework::ErrorReporter& errors) {
    if (std::none_of(errors.ERRORS.begin(), errors.ERRORS.end(), [](const auto& entry) {
            return entry.ID == ShopSettingsForm::TaxRateMessage;
        }))
        errors.ERRORS.push_back({ShopSettingsForm::TaxRateMessage,
                                 "The tax rate must be at least 0 and below 1: a fraction, "
                                 "such as 0.0825 for 8.25%.",
                                 "Invalid Tax Rate", static_cast<std::uint8_t>(Severity::Notify)});
}

} // namespace

ShopSettingsForm::ShopSettingsForm(host::Window& window)
    : ProcedureWindow("ShopSettings"), window_(window) {}

Severity ShopSettingsForm::Setup() {
    Severity level = BeginProcedure(NameEntry);
    if (level != Severity::Benign)
        return level;
    RegisterButton(CancelButton, ResponseKind::Cancelled);
    OpenFiles(*ConfigLink);
    PRIMARY = ConfigLink;
    OKCONTROL = OkButton;
    CANCELACTION = 0;
    // The one record: changed when there is one, made when there is none.
    ConfigAccess->CheckOpen();
    bool found = ConfigFile->set(0) && ConfigAccess->ReadNextQuiet() == Severity::Benign;
    REQUEST = found ? RequestKind::Change : RequestKind::Insert;
    if (!found)
        ConfigRecord.clear();
    if (BeginRequest() != Severity::Benign)
        return Severity::Notify;
    for (const char* label : boundFields)
        window_.bind(label, ConfigRecord.field(label));
    OpenWindow(window_);
    ArmKeys();
    return Severity::Benign;
}

Severity ShopSettingsForm::OnCompleted() {
    host::Decimal rate = ConfigRecord.field("CON:TAXRATE").decimal();
    if (rate < host::Decimal(0) || rate >= host::Decimal(1)) {
        addTaxRateMessage(GlobalErrors());
        GlobalErrors().Raise(TaxRateMessage);
        window_.select(TaxRateEntry);
        return Severity::Notify;
    }
    return ProcedureWindow::OnCompleted();
}

Severity ShopSettingsForm::Teardown() {
    return EndProcedure();
}

void ShopSettings() {
    RunProcedureWindow<ShopSettingsForm>(formWindow);
}

} // namespace app
