#include "framework/window/ConstantTable.h"

#include <climits>
#include <cstddef>

namespace framework {

namespace {

constexpr std::size_t longestText = 1024;
constexpr std::size_t terminatorLength = 32;

// Reads packed values from a source, never past its end.
class PackedReader {
public:
    PackedReader(std::string_view source, std::int32_t charPnt) : source_(source) {
        std::int64_t offset = std::int64_t{charPnt} - 1;
        at_ = offset < 0 || offset > static_cast<std::int64_t>(source.size())
                  ? source.size()
                  : static_cast<std::size_t>(offset);
    }

    std::int32_t charPnt() const { return static_cast<std::int32_t>(at_ + 1); }

    // The next value of an item type; nullopt when the source ends inside it or the
    // type is unknown.
    std::optional<host::Value> read(std::uint8_t itemType) {
        switch (itemType) {
        case ConstantTable::ZeroTerminatedText: {
            std::size_t zero = source_.find('\0', at_);
            if (zero == std::string_view::npos)
                return std::nullopt;
            std::string_view text = source_.substr(at_, zero - at_);
            at_ = zero + 1;
            return host::Value(text.substr(0, longestText));
        }
        case ConstantTable::LengthPrefixedText: {
            if (remaining() < 1 || remaining() - 1 < byteAt(at_))
                return std::nullopt;
            std::size_t length = byteAt(at_);
            std::string_view text = source_.substr(at_ + 1, length);
            at_ += 1 + length;
            return host::Value(text);
        }
        case ConstantTable::UnsignedByte:
            if (remaining() < 1)
                return std::nullopt;
            return host::Value(static_cast<long long>(byteAt(at_++)));
        case ConstantTable::SignedShort:
            if (remaining() < 2)
                return std::nullopt;
            return host::Value(static_cast<long long>(static_cast<std::int16_t>(word())));
        case ConstantTable::UnsignedShort:
            if (remaining() < 2)
                return std::nullopt;
            return host::Value(static_cast<long long>(word()));
        case ConstantTable::SignedLong: {
            if (remaining() < 4)
                return std::nullopt;
            long long low = word();
            long long high = static_cast<std::int16_t>(word());
            return host::Value(high * 65536 + low);
        }
        default:
            return std::nullopt;
        }
    }

    // A record count of one or two bytes.
    std::optional<unsigned> count(std::size_t bytes) {
        if (remaining() < bytes)
            return std::nullopt;
        return bytes == 1 ? byteAt(at_++) : word();
    }

private:
    std::size_t remaining() const { return source_.size() - at_; }
    unsigned byteAt(std::size_t at) const { return static_cast<unsigned char>(source_[at]); }
    unsigned word() {
        unsigned value = byteAt(at_) | (byteAt(at_ + 1) << 8u);
        at_ += 2;
        return value;
    }

    std::string_view source_;
    std::size_t at_ = 0;
};

} // namespace

void ConstantTable::Setup(std::uint8_t termination) {
    STR.reset();
    SOURCESIZE = 0;
    DESCRIPTOR.clear();
    TERMINATION = termination;
    TERMINATORVALUE.clear();
    Reset();
}

void ConstantTable::DescribeItem(std::uint8_t itemType, host::TypedRef destination) {
    DESCRIPTOR.push_back({itemType, destination});
}

void ConstantTable::SetSource(std::string_view packed) {
    // Positions are 32-bit: a source cannot be read beyond that anyway.
    STR.emplace(packed.substr(0, INT32_MAX - 1));
    SOURCESIZE = static_cast<std::int32_t>(STR->size());
    Reset();
}

void ConstantTable::Reset() {
    RECORDPNT = 1;
    CHARPNT = 1;
    ITEMS = 0;
    ended_ = false;
    if (!STR || (TERMINATION != CountedByShort && TERMINATION != CountedByByte))
        return;
    PackedReader reader(*STR, CHARPNT);
    if (std::optional<unsigned> count = reader.count(TERMINATION == CountedByByte ? 1 : 2)) {
        ITEMS = static_cast<std::uint16_t>(*count);
        CHARPNT = reader.charPnt();
    }
}

Severity ConstantTable::ReadRecord() {
    bool counted = TERMINATION == CountedByShort || TERMINATION == CountedByByte;
    if (ended_ || (counted && RECORDPNT > ITEMS) ||
        (TERMINATION == EndOfSource && CHARPNT > SOURCESIZE) || (!counted && DESCRIPTOR.empty())) {
        ended_ = true;
        return Severity::Notify;
    }

    // The whole record is read before any destination changes, so a record cut short by
    // the end of the source leaves the destinations as they were.
    PackedReader reader(STR ? std::string_view(*STR) : std::string_view(), CHARPNT);
    std::vector<host::Value> values;
    values.reserve(DESCRIPTOR.size());
    for (const ConstantItem& item : DESCRIPTOR) {
        std::optional<host::Value> value = reader.read(item.ITEMTYPE);
        if (!value) {
            ended_ = true;
            return Severity::Notify;
        }
        if (values.empty() && TERMINATION == TerminatorValue &&
            *value == host::Value(std::string_view(TERMINATORVALUE).substr(0, terminatorLength))) {
            item.DESTINATION.assign(*value);
            CHARPNT = reader.charPnt();
            ended_ = true;
            return Severity::Notify;
        }
        values.push_back(std::move(*value));
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        DESCRIPTOR[i].DESTINATION.assign(values[i]);
    CHARPNT = reader.charPnt();

    if (RECORDPNT < UINT16_MAX)
        ++RECORDPNT;
    else if (counted)
        ended_ = true; // record 65535 was the last that a 16-bit count can hold
    return Severity::Benign;
}

void ConstantTable::Teardown() {
    DESCRIPTOR.clear();
    STR.reset();
    SOURCESIZE = 0;
    Reset();
}

} // namespace framework
