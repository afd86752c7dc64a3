#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// A text picture: "@s" followed by the width in characters (1 to 65535). It shows the
// value's text cut or blank-padded to the width; reading gives the text cut to the width.
class TextPicture {
public:
    static constexpr int maxWidth = 65535;

    static std::optional<TextPicture> parse(std::string_view body);

    std::string format(const Value& value) const;
    std::optional<Value> deformat(std::string_view text) const;

    int width() const { return width_; }

private:
    int width_ = 0;
};

} // namespace host
