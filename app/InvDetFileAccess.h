#pragma once

#include "framework/data/FileAccess.h"

namespace app {

// The invoice lines' file access: lines are numbered in tens within their invoice, and
// the "Show Row Validation" check box of the invoice window lets the user decide the
// verdict of every line validation.
class InvDetFileAccess : public framework::FileAccess {
public:
    // Moves the new line's IND:SEQUENCE up to the next multiple of ten (1 becomes 10, 21
    // becomes 30, 26 becomes 30), leaving room to put lines between. It runs inside the
    // framework's numbering, before the placeholder is added, so that the placeholder
    // holds the rounded sequence and a line added at the same time on another station
    // takes the next ten.
    void AdjustAutoNumbers() override;
    // The framework's validation; then, with ShowRowValidation set, the user's verdict:
    // OK takes the record (0), Cancel filters it out (2).
    framework::Severity CheckRecord(int* failedField = nullptr) override;
};

} // namespace app
