#include "tools/DataCopy.h"

#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/OpenMode.h"
#include "runtime/sqlite/SqliteDriver.h"
#ifdef EIP_WITH_POSTGRES
#include "runtime/postgres/PostgresDriver.h"
#endif

#include <cstring>
#include <filesystem>

namespace tools {

namespace {

std::string why() {
    const host::RuntimeError& e = host::lastError();
    std::string text = "error " + std::to_string(e.code) + " " + e.text;
    if (!e.driverText.empty())
        text += ": " + e.driverText;
    return text;
}

bool sameImage(const host::Record& a, const host::Record& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
}

// Reads both files in a key's order side by side.
bool sameOrder(host::RecordFile& from, host::RecordFile& to, int key, std::int64_t& count,
               std::string& error) {
    count = 0;
    if (!from.set(key) || !to.set(key)) {
        error = "cannot read " + from.label() + " in key " + std::to_string(key) + ": " + why();
        return false;
    }
    for (;;) {
        bool left = from.next();
        int leftCode = host::errorCode();
        bool right = to.next();
        int rightCode = host::errorCode();
        if (!left && !right && leftCode == host::errors::noRecord &&
            rightCode == host::errors::noRecord)
            return true;
        if (!left || !right || !sameImage(from.buffer(), to.buffer())) {
            error = "the copy of " + from.label() + " differs in the order of key " +
                    (key == 0 ? std::string("0 (record order)")
                              : std::to_string(key) + " " + from.key(key).label) +
                    " at record " + std::to_string(count + 1);
            return false;
        }
        ++count;
    }
}

bool copyFile(host::RecordFileDriver& fromDriver, host::RecordFileDriver& toDriver,
              const host::FileDefinition& definition, std::string& error,
              const DataCopy::Progress& progress, int frameSize) {
    host::Record source(definition.layout()), target(definition.layout());
    std::unique_ptr<host::RecordFile> from = fromDriver.makeFile(definition, source);
    std::unique_ptr<host::RecordFile> to = toDriver.makeFile(definition, target);
    if (!from->open(host::openMode::readOnly | host::openMode::denyWrite)) {
        if (host::errorCode() == host::errors::fileNotFound) {
            if (progress)
                progress(definition.label() + ": not in the source, left out");
            return true;
        }
        error = "cannot open " + definition.label() + " to copy from: " + why();
        return false;
    }
    if (!to->create() || !to->open(host::openMode::exclusive)) {
        error = "cannot make " + definition.label() + " empty to copy into: " + why();
        return false;
    }
    // The records go in frames of `frameSize`, each added in one call (a server takes a
    // frame in a few statements rather than a round trip per record).
    std::int64_t copied = 0;
    std::vector<std::string> images;
    images.reserve(static_cast<size_t>(frameSize));
    auto addFrame = [&] {
        if (images.empty())
            return true;
        if (!to->enlist() || !toDriver.begin(30)) {
            error = "cannot start a transaction frame: " + why();
            return false;
        }
        if (!to->addAll(images)) {
            error = "cannot add records " + std::to_string(copied + 1) + " to " +
                    std::to_string(copied + static_cast<std::int64_t>(images.size())) + " of " +
                    definition.label() + ": " + why();
            toDriver.rollback();
            return false;
        }
        if (!toDriver.commit()) {
            error = "cannot commit the records of " + definition.label() + ": " + why();
            return false;
        }
        copied += static_cast<std::int64_t>(images.size());
        images.clear();
        return true;
    };
    if (!from->set(0))
        return false;
    while (from->next()) {
        images.emplace_back(reinterpret_cast<const char*>(source.data()), source.size());
        if (static_cast<int>(images.size()) >= frameSize && !addFrame())
            return false;
    }
    if (host::errorCode() != host::errors::noRecord) {
        error = "cannot read " + definition.label() + ": " + why();
        return false;
    }
    if (!addFrame())
        return false;
    std::int64_t fromCount = from->recordCount(), toCount = to->recordCount();
    if (fromCount != copied || toCount != copied) {
        error = "the counts of " + definition.label() + " differ: " + std::to_string(fromCount) +
                " in the source, " + std::to_string(copied) + " copied, " +
                std::to_string(toCount) + " in the copy";
        return false;
    }
    for (int key = 0; key <= definition.keyCount(); ++key) {
        std::int64_t read = 0;
        if (!sameOrder(*from, *to, key, read, error))
            return false;
    }
    if (progress)
        progress(definition.label() + ": " + std::to_string(copied) +
                 " records copied, counts and key order checked");
    return true;
}

} // namespace

bool DataCopy::namesServer(const std::string& store) {
    return store.find('=') != std::string::npos || store.rfind("postgresql://", 0) == 0 ||
           store.rfind("postgres://", 0) == 0;
}

std::unique_ptr<host::RecordFileDriver> DataCopy::open(const std::string& store,
                                                       std::string& error) {
    std::unique_ptr<host::RecordFileDriver> driver;
    if (namesServer(store)) {
#ifdef EIP_WITH_POSTGRES
        driver = std::make_unique<host::postgres::PostgresDriver>(store);
#else
        error = "this build has no PostgreSQL driver (libpq was not installed)";
        return nullptr;
#endif
    } else {
        std::error_code ignored;
        std::filesystem::create_directories(store, ignored);
        driver = std::make_unique<host::sqlite::SqliteDriver>();
    }
    if (!driver->openFolder(store)) {
        error = "cannot open " + driver->dataLocation() + ": " + why();
        return nullptr;
    }
    return driver;
}

bool DataCopy::copy(host::RecordFileDriver& from, host::RecordFileDriver& to,
                    const std::vector<host::FileDefinition>& files, std::string& error,
                    const Progress& progress, int frameSize) {
    for (const host::FileDefinition& definition : files)
        if (!copyFile(from, to, definition, error, progress, frameSize))
            return false;
    return true;
}

} // namespace tools
