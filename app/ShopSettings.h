#pragma once

#include "app/ProcedureWindow.h"

namespace host {
class Window;
}

namespace app {

// The shop's own settings ("&Shop Settings..." in the File menu): a form on the single
// Config record, with the name, address, phone and tax rate that the invoice prints and
// multiplies by. It adds the record when the file has none and changes it otherwise. A
// tax rate below 0, or of 1 and more, is refused: the rate is a fraction (0.0825 for
// 8.25%), not a percentage.
void ShopSettings();

class ShopSettingsForm : public ProcedureWindow {
public:
    static constexpr std::int32_t NameEntry = 1;
    static constexpr std::int32_t TaxRateEntry = 7;
    static constexpr std::int32_t OkButton = 20;
    static constexpr std::int32_t CancelButton = 21;
    // The reporter's entry that refuses a tax rate.
    static constexpr std::uint16_t TaxRateMessage = 61;

    explicit ShopSettingsForm(host::Window& window);
    framework::Severity Setup() override;
    framework::Severity OnCompleted() override;
    framework::Severity Teardown() override;

private:
    host::Window& window_;
};

} // namespace app
