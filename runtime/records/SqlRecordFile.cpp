#include "runtime/records/SqlRecordFile.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/records/DriverSupport.h"
#include "runtime/records/FieldCodec.h"

#include <algorithm>
#include <charconv>

namespace host::records {

SqlRecordFile::SqlRecordFile(FileDefinition definition, Record& buffer, int busyMilliseconds)
    : RecordFile(std::move(definition), buffer), busyMilliseconds_(busyMilliseconds) {}

SqlRecordFile::~SqlRecordFile() = default;

std::string SqlRecordFile::keyTag(int keyNumber) {
    return "K" + std::to_string(keyNumber);
}

// ---- Checks --------------------------------------------------------------------------------

bool SqlRecordFile::checkOpen() const {
    if (!open_) {
        setError(errors::fileNotOpen);
        return false;
    }
    return true;
}

bool SqlRecordFile::checkKey(int keyNumber, bool allowRecordOrder) const {
    if (keyNumber < (allowRecordOrder ? 0 : 1) || keyNumber > keyCount())
        return failInDriver("key",
                            "The file " + label() + " has no key " + std::to_string(keyNumber));
    return true;
}

bool SqlRecordFile::checkWritable() const {
    if (!checkOpen())
        return false;
    if (!writable_) {
        setError(errors::accessDenied);
        return false;
    }
    return true;
}

std::vector<SqlValue> SqlRecordFile::bufferKeyValues(int keyNumber) const {
    std::vector<SqlValue> values;
    const RecordLayout& layout = *definition_.layout();
    for (const KeyComponent& component : definition_.key(keyNumber).components) {
        const FieldInfo& field = layout.field(component.field);
        values.push_back(fieldCodec::valueOf(buffer_.data() + field.offset, field.type));
    }
    return values;
}

// ---- Options -------------------------------------------------------------------------------

bool SqlRecordFile::sendOption(std::string_view option) {
    std::string name = upper(optionName(option));
    std::string value(optionValue(option));
    if (name == "RECOVER") {
        int seconds = 0;
        auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (ec != std::errc() || ptr != value.data() + value.size() || seconds < 0)
            return failInDriver("option",
                                "Recover= needs a number of seconds: " + std::string(option));
        lockWaitMilliseconds_ = seconds * 1000;
        busyMilliseconds_ = seconds * 1000;
        clearError();
        return true;
    }
    if (name == "QUICKSCAN") {
        std::string flag = upper(value);
        if (flag != "ON" && flag != "OFF")
            return failInDriver("option", "QUICKSCAN= needs on or off: " + std::string(option));
        // Reads are served alike whichever way; the hint is kept.
        quickScan_ = flag == "ON";
        clearError();
        return true;
    }
    if (std::optional<bool> taken = driverOption(name, value, option))
        return *taken;
    return failInDriver("option", "Unknown driver option: " + std::string(option));
}

std::optional<bool> SqlRecordFile::driverOption(const std::string&, const std::string&,
                                                std::string_view) {
    return std::nullopt;
}

// ---- Positioning ---------------------------------------------------------------------------

bool SqlRecordFile::reget() {
    if (!checkOpen())
        return false;
    if (!current_) {
        setError(errors::noRecord);
        return false;
    }
    return getAt(position(0));
}

bool SqlRecordFile::set(int keyNumber) {
    if (!checkOpen() || !checkKey(keyNumber, true))
        return false;
    order_ = keyNumber;
    place_ = Place::Start;
    anchor_.clear();
    clearError();
    return true;
}

bool SqlRecordFile::setAt(int keyNumber) {
    if (!set(keyNumber))
        return false;
    if (keyNumber > 0) {
        anchor_ = bufferKeyValues(keyNumber);
        place_ = Place::At;
        inclusive_ = true;
    }
    return true;
}

void SqlRecordFile::placeAt(int keyNumber, std::vector<SqlValue> values) {
    order_ = keyNumber;
    anchor_ = std::move(values);
    place_ = Place::At;
    inclusive_ = true;
    clearError();
}

// ---- Writing, holding and watching ---------------------------------------------------------

bool SqlRecordFile::addPlaceholder(const std::vector<int>& claimedKeys) {
    std::int64_t free = 0;
    for (int k = 1; k <= keyCount(); ++k)
        if (std::find(claimedKeys.begin(), claimedKeys.end(), k) == claimedKeys.end())
            free |= freeBit(k);
    return insert(free);
}

void SqlRecordFile::hold(int waitSeconds) {
    holdArmed_ = true;
    holdWaitMilliseconds_ = std::max(0, waitSeconds) * 1000;
}

bool SqlRecordFile::isWatched() const {
    return watched_ && current_ && watched_->first == *current_;
}

} // namespace host::records
