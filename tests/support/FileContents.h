#pragma once

#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string_view>
#include <vector>

namespace testsupport {

// Adds records to a file through a host file of its own, which `fill` is given with its
// buffer; the file is created when there is none.
inline void seed(host::RecordFileDriver& driver, const host::FileDefinition& definition,
                 const std::function<void(host::Record&, host::RecordFile&)>& fill) {
    host::Record record(definition.layout());
    std::unique_ptr<host::RecordFile> file = driver.makeFile(definition, record);
    if (!file->open()) {
        ASSERT_EQ(host::errorCode(), host::errors::fileNotFound);
        ASSERT_TRUE(file->create());
        ASSERT_TRUE(file->open());
    }
    fill(record, *file);
    file->close();
}

// One field of every record of a file, in the order of a key, read through a host file of
// its own that shares the file with everyone.
inline std::vector<long long> numbers(host::RecordFileDriver& driver,
                                      const host::FileDefinition& definition, int key,
                                      std::string_view label) {
    host::Record record(definition.layout());
    std::unique_ptr<host::RecordFile> file = driver.makeFile(definition, record);
    std::vector<long long> values;
    if (!file->open(host::openMode::readOnly | host::openMode::denyNone))
        return values;
    file->set(key);
    while (file->next())
        values.push_back(record.field(label).integer());
    file->close();
    return values;
}

} // namespace testsupport
