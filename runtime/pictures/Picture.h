#pragma once

#include "runtime/base/Value.h"
#include "runtime/pictures/DatePicture.h"
#include "runtime/pictures/NumberPicture.h"
#include "runtime/pictures/PatternPicture.h"
#include "runtime/pictures/ScientificPicture.h"
#include "runtime/pictures/TextPicture.h"
#include "runtime/pictures/TimePicture.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace host {

// A display picture: how a value is shown in a control, a list column or a report, and
// how what the user typed is read back. A picture is a token such as "@n-10.2", "@s30",
// "@d17", "@t4" or "@p(###) ###-####p"; the leading '@' may be left out and the kind
// letter may be in either case ("N10.2", "D18", "s30"). docs/pictures.md describes the
// picture language.
class Picture {
public:
    enum class Alignment { Left, Center, Right };

    // Parses a picture token. An invalid picture gives no value.
    static std::optional<Picture> parse(std::string_view text);

    // What the user sees. A number too wide for the picture shows as '#' characters
    // filling the width.
    std::string format(const Value& value) const;
    // Reads user input back into a value of the picture's kind; no value when the text
    // is rejected. Never fails on any input; out-of-range parts are rejected.
    std::optional<Value> deformat(std::string_view text) const;

    // Characters the formatted text takes (the longest, for the dates and times whose
    // texts vary in length).
    int width() const;
    // 's' text, 'n' number, 'e' scientific, 'd' date, 't' time, 'p' pattern.
    char kind() const { return kind_; }
    // True when the picture reads and shows numbers: n, e, d and t.
    bool isNumeric() const { return kind_ == 'n' || kind_ == 'e' || kind_ == 'd' || kind_ == 't'; }
    bool isText() const { return kind_ == 's'; }
    // Alignment the picture implies when a list column does not say: numbers right,
    // everything else left.
    Alignment alignment() const;
    // Decimal places of number and scientific pictures; 0 for the others.
    int places() const;
    bool isBlankWhenZero() const;
    // The token as given, with its leading '@'.
    const std::string& text() const { return text_; }

private:
    using Form = std::variant<TextPicture, NumberPicture, ScientificPicture, DatePicture,
                              TimePicture, PatternPicture>;

    Picture(std::string text, char kind, Form form)
        : text_(std::move(text)), kind_(kind), form_(std::move(form)) {}

    std::string text_;
    char kind_;
    Form form_;
};

// Formats with a picture text; an invalid picture formats as the value's text.
std::string formatPicture(const Value& value, std::string_view picture);
// De-formats with a picture text; an invalid picture gives the text as it stands.
std::optional<Value> deformatPicture(std::string_view text, std::string_view picture);

} // namespace host
