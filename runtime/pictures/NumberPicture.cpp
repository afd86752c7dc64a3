#include "runtime/pictures/NumberPicture.h"

#include "runtime/pictures/PictureText.h"

namespace host {

using namespace picturetext;

namespace {

constexpr int maxWidth = 99;
constexpr int maxPlaces = 31;

// Characters a currency text may not hold: they would make the number unreadable.
bool isCurrencyCharacter(char c) {
    return !isDigit(c) && c != '~' && c != '-' && c != '+' && c != '(' && c != ')' && c != '.' &&
           c != ',' && c != '\'' && c != '*' && static_cast<unsigned char>(c) >= ' ';
}

// Reads "$" or "~text~" at `at`; false when there is none, `valid` false when malformed.
bool readCurrency(std::string_view body, size_t& at, std::string& currency, bool& valid) {
    if (at >= body.size())
        return false;
    if (body[at] == '$') {
        currency = "$";
        ++at;
        return true;
    }
    if (body[at] != '~')
        return false;
    size_t close = body.find('~', at + 1);
    std::string_view text =
        close == std::string_view::npos ? std::string_view() : body.substr(at + 1, close - at - 1);
    bool usable = !text.empty() && text.size() <= 10 && !trimmed(text).empty();
    for (char c : text)
        usable = usable && isCurrencyCharacter(c);
    if (!usable) {
        valid = false;
        return false;
    }
    currency = std::string(text);
    at = close + 1;
    return true;
}

// Reads one or two digits; the first may not be 0 when `leadingZero` is false.
std::optional<int> readCount(std::string_view body, size_t& at, bool leadingZero) {
    size_t begin = at;
    while (at < body.size() && isDigit(body[at]) && at - begin < 2)
        ++at;
    if (at == begin || (at < body.size() && isDigit(body[at])))
        return std::nullopt;
    if (!leadingZero && body[begin] == '0')
        return std::nullopt;
    return smallNumber(body.substr(begin, at - begin), 2);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return !suffix.empty() && text.size() >= suffix.size() &&
           text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

std::optional<NumberPicture> NumberPicture::parse(std::string_view body) {
    NumberPicture p;
    size_t at = 0;
    bool valid = true;
    bool haveCurrency = false;

    // Leading sign and currency, in either order.
    for (int i = 0; i < 2 && at < body.size(); ++i) {
        char c = body[at];
        if ((c == '-' || c == '(') && p.leadingSign_ == '\0') {
            p.leadingSign_ = c;
            p.signBeforeCurrency_ = !haveCurrency;
            ++at;
        } else if (!haveCurrency && readCurrency(body, at, p.currency_, valid)) {
            haveCurrency = true;
        } else {
            break;
        }
    }
    if (!valid)
        return std::nullopt;

    bool fillGiven = false;
    if (at < body.size() && (body[at] == '0' || body[at] == '_' || body[at] == '*')) {
        p.fill_ = body[at] == '_' ? ' ' : body[at];
        fillGiven = true;
        ++at;
    }
    auto size = readCount(body, at, false);
    if (!size)
        return std::nullopt;
    p.width_ = *size;

    bool groupingGiven = false;
    if (at < body.size() && body[at] == '_') {
        p.grouping_ = ' ';
        groupingGiven = true;
        ++at;
    } else if (at < body.size() && body[at] == '.' &&
               !(at + 1 < body.size() && isDigit(body[at + 1]))) {
        p.grouping_ = '.';
        groupingGiven = true;
        ++at;
    }

    if (at < body.size() &&
        (body[at] == '.' || body[at] == '\'' || body[at] == 'v' || body[at] == 'V')) {
        p.separator_ = body[at] == '.' ? '.' : (body[at] == '\'' ? ',' : '\0');
        ++at;
        auto places = readCount(body, at, true);
        if (!places || *places > maxPlaces)
            return std::nullopt;
        p.places_ = *places;
    }
    // An implied point cannot be read back among groups of digits.
    bool impliedPoint = p.separator_ == '\0';
    if (groupingGiven && (impliedPoint || (p.grouping_ == p.separator_ && p.places_ > 0)))
        return std::nullopt;
    if (!groupingGiven && !fillGiven && !impliedPoint)
        p.grouping_ = p.separator_ == ',' ? '.' : ',';

    // Trailing sign and currency, in either order.
    bool trailingCurrency = false;
    for (int i = 0; i < 2 && at < body.size(); ++i) {
        char c = body[at];
        if (c == '-' && p.leadingSign_ == '\0' && p.trailingSign_ == '\0') {
            p.trailingSign_ = '-';
            p.trailingSignFirst_ = !trailingCurrency;
            ++at;
        } else if (c == ')' && p.leadingSign_ == '(' && p.trailingSign_ == '\0') {
            p.trailingSign_ = ')';
            p.trailingSignFirst_ = !trailingCurrency;
            ++at;
        } else if (!haveCurrency && readCurrency(body, at, p.currency_, valid)) {
            haveCurrency = trailingCurrency = true;
        } else {
            break;
        }
    }
    if (!valid || (p.leadingSign_ == '(') != (p.trailingSign_ == ')'))
        return std::nullopt;
    p.currencyLeads_ = !trailingCurrency;
    if (at < body.size() && (body[at] == 'b' || body[at] == 'B')) {
        p.blankWhenZero_ = true;
        ++at;
    }
    if (!trimmed(body.substr(at)).empty() || p.width_ > maxWidth)
        return std::nullopt;
    return p;
}

std::optional<std::string> NumberPicture::layout(const Decimal& number) const {
    bool negative = number.isNegative();
    Decimal::Units units = negative ? -number.units() : number.units();
    std::string digits = unitDigits(units, number.places() + 1);
    if (number.places() < places_)
        digits.append(static_cast<size_t>(places_ - number.places()), '0');
    size_t integerLength = digits.size() - static_cast<size_t>(places_);
    if (integerLength > static_cast<size_t>(width_))
        return std::nullopt;

    std::string sign;
    std::string trailing;
    if (negative) {
        if (leadingSign_ != '\0')
            sign = leadingSign_;
        else if (trailingSign_ == '\0')
            sign = "-";
        if (trailingSign_ != '\0')
            trailing = trailingSign_;
    } else if (trailingSign_ != '\0') {
        trailing = " "; // keeps the digits of positive and negative numbers aligned
    }
    std::string leading = sign;
    if (currencyLeads_)
        leading = signBeforeCurrency_ || leadingSign_ == '\0' ? sign + currency_ : currency_ + sign;
    else
        trailing = trailingSignFirst_ ? trailing + currency_ : currency_ + trailing;

    // Thousands separators are left out when only that makes the number fit.
    size_t fraction = places_ > 0 ? static_cast<size_t>(places_) + (separator_ != '\0') : 0;
    size_t plain = leading.size() + integerLength + fraction + trailing.size();
    bool group =
        grouping_ != '\0' && plain + (integerLength - 1) / 3 <= static_cast<size_t>(width_);
    std::string body;
    body.reserve(static_cast<size_t>(width_));
    for (size_t i = 0; i < integerLength; ++i) {
        if (group && i > 0 && (integerLength - i) % 3 == 0)
            body += grouping_;
        body += digits[i];
    }
    if (places_ > 0) {
        if (separator_ != '\0')
            body += separator_;
        body.append(digits, integerLength, std::string::npos);
    }

    size_t used = leading.size() + body.size() + trailing.size();
    if (used > static_cast<size_t>(width_))
        return std::nullopt;
    size_t pad = static_cast<size_t>(width_) - used;
    if (fill_ == ' ')
        return std::string(pad, ' ') + leading + body + trailing;
    return leading + std::string(pad, fill_) + body + trailing;
}

std::string NumberPicture::format(const Value& value) const {
    auto number = exactNumber(value);
    if (!number)
        return overflow(width_);
    Decimal rounded = number->rounded(places_);
    if (blankWhenZero_ && rounded.isZero())
        return blanks(width_);
    auto text = layout(rounded);
    return text ? *text : overflow(width_);
}

bool NumberPicture::peelAffixes(std::string_view& text, bool& negative) const {
    bool minus = false, plus = false, open = false, close = false, currency = false;
    std::string_view key = trimmed(currency_);
    for (bool more = true; more && !text.empty();) {
        char c = text.front();
        if (isBlank(c) || (fill_ == '*' && c == '*')) {
            text.remove_prefix(1);
        } else if ((c == '-' || c == '+') && !minus && !plus) {
            (c == '-' ? minus : plus) = true;
            text.remove_prefix(1);
        } else if (c == '(' && !open) {
            open = true;
            text.remove_prefix(1);
        } else if (!currency && startsWith(text, key)) {
            currency = true;
            text.remove_prefix(key.size());
        } else {
            more = false;
        }
    }
    for (bool more = true; more && !text.empty();) {
        char c = text.back();
        if (isBlank(c)) {
            text.remove_suffix(1);
        } else if ((c == '-' || c == '+') && !minus && !plus) {
            (c == '-' ? minus : plus) = true;
            text.remove_suffix(1);
        } else if (c == ')' && !close) {
            close = true;
            text.remove_suffix(1);
        } else if (!currency && endsWith(text, key)) {
            currency = true;
            text.remove_suffix(key.size());
        } else {
            more = false;
        }
    }
    if (open != close || (open && minus))
        return false;
    negative = minus || open;
    return true;
}

std::optional<Decimal> NumberPicture::readDigits(std::string_view text) const {
    std::string number;
    number.reserve(text.size());
    bool point = false;
    int integerDigits = 0;
    int groupRun = -1; // digits since the last thousands separator; -1 before the first
    for (char c : text) {
        if (isDigit(c)) {
            number += c;
            if (!point && (c != '0' || integerDigits > 0)) { // fill zeros form no group
                ++integerDigits;
                if (groupRun >= 0 && ++groupRun > 3)
                    return std::nullopt;
            }
        } else if (!point && grouping_ != '\0' && c == grouping_) {
            if (integerDigits == 0 || (groupRun < 0 ? integerDigits > 3 : groupRun != 3))
                return std::nullopt;
            groupRun = 0;
        } else if (!point && (c == separator_ || (separator_ == '\0' && c == '.'))) {
            point = true;
            number += '.';
        } else {
            return std::nullopt;
        }
    }
    if (groupRun >= 0 && groupRun != 3)
        return std::nullopt;
    auto parsed = Decimal::parse(number);
    if (!parsed)
        return std::nullopt;
    if (separator_ == '\0' && !point)
        return Decimal::fromUnits(parsed->units(), places_);
    return parsed;
}

std::optional<Value> NumberPicture::deformat(std::string_view text) const {
    text = trimmed(text);
    Decimal number;
    if (!text.empty()) {
        bool negative = false;
        if (!peelAffixes(text, negative))
            return std::nullopt;
        auto digits = readDigits(text);
        if (!digits)
            return std::nullopt;
        number = negative ? -*digits : *digits;
    }
    number = number.rounded(places_);
    if (!layout(number))
        return std::nullopt; // the picture cannot show it
    constexpr Decimal::Units integerLimit = 1'000'000'000'000'000'000;
    if (places_ == 0 && number.units() < integerLimit && number.units() > -integerLimit)
        return Value(number.toInteger());
    return Value(number);
}

} // namespace host
