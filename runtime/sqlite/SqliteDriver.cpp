#include "runtime/sqlite/SqliteDriver.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/SqliteRecordFile.h"
#include "runtime/sqlite/SqliteRecordView.h"

#include <string_view>

namespace host::sqlite {

static_assert(std::string_view(SqliteDriver::dataBaseName) == Database::fileName);

SqliteDriver::SqliteDriver() : database_(std::make_unique<Database>()) {}

SqliteDriver::~SqliteDriver() = default;

bool SqliteDriver::openFolder(const std::string& folder) {
    return database_->open(folder);
}

bool SqliteDriver::isOpen() const {
    return database_->isOpen();
}

std::string SqliteDriver::folder() const {
    return database_->folder();
}

std::string SqliteDriver::dataLocation() const {
    return database_->folder() + "/" + dataBaseName;
}

std::unique_ptr<RecordFile> SqliteDriver::makeFile(FileDefinition definition, Record& buffer) {
    return std::make_unique<SqliteRecordFile>(*database_, std::move(definition), buffer);
}

std::unique_ptr<RecordView> SqliteDriver::makeView(RecordFile& primary) {
    auto* file = dynamic_cast<SqliteRecordFile*>(&primary.threadFile());
    if (!file || &file->database() != database_.get()) {
        failInDriver("view", "The file " + primary.label() + " belongs to another driver");
        return nullptr;
    }
    clearError();
    return std::make_unique<SqliteRecordView>(*database_, *file);
}

bool SqliteDriver::begin(int timeoutSeconds) {
    return database_->begin(timeoutSeconds);
}

bool SqliteDriver::commit() {
    return database_->commit();
}

bool SqliteDriver::rollback() {
    return database_->rollback();
}

bool SqliteDriver::inTransaction() const {
    return database_->inTransaction();
}

} // namespace host::sqlite
