#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// A time picture: "@t" followed by an optional 0, the form number, an optional separator
// ('.', '-', '_' for a blank, '\'' for a comma; ':' otherwise) and an optional 'b'. It
// shows hundredths of a second since midnight (as the host clock counts) in one of the
// forms:
//   1 hh:mm   2 hhmm   3 hh:mmXM   4 hh:mm:ss   5 hhmmss   6 hh:mm:ssXM
//   7 the desktop's short time (h:mm XM)   8 the desktop's long time (h:mm:ss XM)
// where XM is AM or PM. Values outside one day show as '#' characters.
class TimePicture {
public:
    static std::optional<TimePicture> parse(std::string_view body);

    std::string format(const Value& value) const;
    // Reads hours, minutes, seconds and hundredths separated by the picture's separator,
    // ':', '.' or blanks, or digits alone (hhmm or hhmmss), with an optional AM or PM.
    // Blank text gives 0; hours beyond 23 (12 with AM/PM), minutes or seconds beyond 59
    // are rejected.
    std::optional<Value> deformat(std::string_view text) const;

    int width() const;
    int form() const { return form_; }
    bool isBlankWhenZero() const { return blankWhenZero_; }

private:
    int form_ = 4;
    char separator_ = ':';
    bool blankWhenZero_ = false;
};

} // namespace host
