#include "runtime/pictures/PatternPicture.h"

#include "runtime/pictures/PictureText.h"

namespace host {

using namespace picturetext;

namespace {

constexpr size_t maxPattern = 255;

bool allZeros(std::string_view digits) {
    return digits.find_first_not_of('0') == std::string_view::npos;
}

std::string_view withoutLeadingZeros(std::string_view digits) {
    while (!digits.empty() && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

} // namespace

std::optional<PatternPicture> PatternPicture::parse(std::string_view body) {
    PatternPicture p;
    size_t close = body.find_first_of("pP");
    p.pattern_ = std::string(body.substr(0, close));
    if (p.pattern_.empty() || p.pattern_.size() > maxPattern)
        return std::nullopt;
    if (close != std::string_view::npos) {
        p.blankWhenZero_ = true;
        std::string_view rest = body.substr(close + 1);
        if (!rest.empty() && (rest.front() == 'b' || rest.front() == 'B'))
            rest.remove_prefix(1);
        if (!trimmed(rest).empty())
            return std::nullopt;
    }
    for (char c : p.pattern_) {
        if (isDigit(c))
            return std::nullopt; // a digit shown as written could not be told from the value
        p.positions_ += isPosition(c) ? 1 : 0;
    }
    return p;
}

std::string PatternPicture::layout(std::string_view digits) const {
    std::string text = pattern_;
    size_t missing = static_cast<size_t>(positions_) - digits.size();
    size_t next = 0; // index over all positions, the first `missing` of them are zeros
    bool significant = false;
    for (char& c : text) {
        if (!isPosition(c))
            continue;
        char digit = next < missing ? '0' : digits[next - missing];
        ++next;
        significant = significant || digit != '0';
        c = (c == '<' && !significant) ? ' ' : digit;
    }
    return text;
}

std::string PatternPicture::format(const Value& value) const {
    if (positions_ == 0)
        return pattern_;
    std::string digits;
    if (value.isText()) {
        for (char c : value.toText())
            if (isDigit(c))
                digits += c;
    } else {
        auto number = exactNumber(value);
        if (!number || number->isNegative())
            return overflow(width());
        digits = unitDigits(number->rounded(0).units(), 1);
    }
    if (blankWhenZero_ && allZeros(digits))
        return blanks(width());
    std::string_view shown = digits;
    if (shown.size() > static_cast<size_t>(positions_))
        shown = withoutLeadingZeros(shown);
    if (shown.size() > static_cast<size_t>(positions_))
        return overflow(width());
    return layout(shown);
}

std::optional<Value> PatternPicture::deformat(std::string_view text) const {
    std::string digits;
    // Typed into the pattern position by position (as the picture shows it): literals
    // in place, digits or blanks (zeros) in the positions.
    bool inPlace = text.size() == pattern_.size();
    for (size_t i = 0; i < pattern_.size() && inPlace; ++i) {
        char c = text[i];
        if (isPosition(pattern_[i])) {
            inPlace = isDigit(c) || c == ' ';
            digits += c == ' ' ? '0' : c;
        } else {
            inPlace = c == pattern_[i];
        }
    }
    if (!inPlace) {
        // Typed freely: the digits in order, with the pattern's own characters between.
        digits.clear();
        for (char c : text) {
            if (isDigit(c))
                digits += c;
            else if (!isBlank(c) && (isPosition(c) || pattern_.find(c) == std::string::npos))
                return std::nullopt;
        }
    }
    if (digits.size() > static_cast<size_t>(positions_))
        return std::nullopt;
    if (blankWhenZero_ && allZeros(digits))
        return Value(std::string());
    // The value keeps one digit per position, except the '<' positions shown blank.
    std::string shown = layout(digits);
    std::string stored;
    for (size_t i = 0; i < shown.size(); ++i)
        if (isPosition(pattern_[i]) && shown[i] != ' ')
            stored += shown[i];
    return Value(stored);
}

} // namespace host
