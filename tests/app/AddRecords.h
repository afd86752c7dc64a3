#pragma once

#include "runtime/base/Record.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFileDriver.h"

#include <gtest/gtest.h>

namespace apptest {

// Adds `count` records to the file of `definition` (made when it is not there yet), each
// filled by `fill(record, n)` for n = 1 ... count on a cleared buffer.
template <class Fill>
void addRecords(host::RecordFileDriver& driver, const host::FileDefinition& definition, int count,
                Fill fill) {
    host::Record record(definition.layout());
    auto file = driver.makeFile(definition, record);
    ASSERT_TRUE(file->open() || (file->create() && file->open()));
    for (int n = 1; n <= count; ++n) {
        record.clear();
        fill(record, n);
        ASSERT_TRUE(file->add()) << "record " << n;
    }
    file->close();
}

} // namespace apptest
