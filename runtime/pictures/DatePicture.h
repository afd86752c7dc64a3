#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// A date picture: "@d" followed by an optional 0, the form number, an optional separator
// ('.', '-', '_' for a blank, '\'' for a comma; '/' otherwise) and an optional 'b'. It
// shows a host day number (0 = no date) in one of the forms:
//   1 mm/dd/yy   2 mm/dd/yyyy   3 Mon dd, yyyy   4 Month d, yyyy   5 dd/mm/yy
//   6 dd/mm/yyyy   17 the desktop's short date (mm/dd/yyyy)
//   18 the desktop's long date (Weekday, Month d, yyyy)
class DatePicture {
public:
    static std::optional<DatePicture> parse(std::string_view body);

    std::string format(const Value& value) const;
    // Reads a date typed in any of the forms above (month names may be abbreviated to
    // three letters, a weekday name is ignored, digits alone may be typed as mmddyy or
    // mmddyyyy in the picture's order). Blank text gives 0; impossible dates are rejected.
    std::optional<Value> deformat(std::string_view text) const;

    int width() const;
    int form() const { return form_; }
    bool isBlankWhenZero() const { return blankWhenZero_; }

private:
    bool dayFirst() const { return form_ == 5 || form_ == 6; }
    bool twoDigitYear() const { return form_ == 1 || form_ == 5; }
    bool hasNames() const { return form_ == 3 || form_ == 4 || form_ == 18; }

    int form_ = 2;
    char separator_ = '/';
    bool blankWhenZero_ = false;
};

} // namespace host
