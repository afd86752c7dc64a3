#include "runtime/postgres/PostgresDriver.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/postgres/PgRecordFile.h"
#include "runtime/postgres/PgRecordView.h"

#include <algorithm>

namespace host::postgres {

PostgresDriver::PostgresDriver(std::string connectionText)
    : connection_(std::move(connectionText)) {}

PostgresDriver::~PostgresDriver() = default;

bool PostgresDriver::openFolder(const std::string& folder) {
    folder_ = folder;
    return connection_.connect();
}

bool PostgresDriver::isOpen() const {
    return connection_.isConnected();
}

std::string PostgresDriver::dataLocation() const {
    return "the " + connection_.describe();
}

std::unique_ptr<RecordFile> PostgresDriver::makeFile(FileDefinition definition, Record& buffer) {
    return std::make_unique<PgRecordFile>(*this, std::move(definition), buffer);
}

std::unique_ptr<RecordView> PostgresDriver::makeView(RecordFile& primary) {
    auto* file = dynamic_cast<PgRecordFile*>(&primary.threadFile());
    if (!file || &file->driver() != this) {
        failInDriver("view", "The file " + primary.label() + " belongs to another driver");
        return nullptr;
    }
    clearError();
    return std::make_unique<PgRecordView>(*this, *file);
}

bool PostgresDriver::begin(int timeoutSeconds) {
    std::uint64_t generation = connection_.generation();
    if (!connection_.begin(timeoutSeconds)) {
        if (connection_.generation() != generation || !connection_.isConnected())
            forgetSession();
        return false;
    }
    frameKeepsBaton_.emplace();
    return true;
}

bool PostgresDriver::commit() {
    bool done = connection_.commit();
    if (!connection_.isConnected())
        forgetSession();
    endFrame();
    return done;
}

bool PostgresDriver::rollback() {
    bool done = connection_.rollback();
    if (!connection_.isConnected())
        forgetSession();
    endFrame();
    return done;
}

void PostgresDriver::endFrame() {
    enlisted_.clear();
    frameKeepsBaton_.reset();
}

// Lock keys: 23 bits for the table (a hash of its name in upper case), 40 for the id;
// the table's own keys are the top ids (tableKey).
std::int64_t PostgresDriver::lockKey(const std::string& table, std::int64_t id) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : upper(table)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    constexpr std::int64_t idMask = (std::int64_t{1} << 40) - 1;
    std::int64_t tableBits = static_cast<std::int64_t>(hash & ((1u << 23) - 1)) << 40;
    return tableBits | (id % idMask);
}

std::int64_t PostgresDriver::tableKey(const std::string& table, int slot) {
    constexpr std::int64_t idMask = (std::int64_t{1} << 40) - 1;
    return lockKey(table, 0) | (idMask - slot);
}

const PgRecordFile* PostgresDriver::holder(std::int64_t key) const {
    auto found = holds_.find(key);
    return found == holds_.end() ? nullptr : found->second;
}

void PostgresDriver::noteHold(std::int64_t key, const PgRecordFile* file) {
    holds_[key] = file;
}

void PostgresDriver::forgetHold(std::int64_t key) {
    holds_.erase(key);
}

void PostgresDriver::enlist(const PgRecordFile* file) {
    if (!isEnlisted(file))
        enlisted_.push_back(file);
}

void PostgresDriver::unlist(const PgRecordFile* file) {
    std::erase(enlisted_, file);
}

bool PostgresDriver::isEnlisted(const PgRecordFile* file) const {
    return std::find(enlisted_.begin(), enlisted_.end(), file) != enlisted_.end();
}

void PostgresDriver::forgetSession() {
    holds_.clear();
    // A frame ends with its connection.
    if (!connection_.inTransaction())
        endFrame();
}

} // namespace host::postgres
