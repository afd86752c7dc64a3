#pragma once

#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/Record.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace apptest {

// The application's data dictionary set up over a temporary data folder, with the error
// reporter answering through scripted message boxes.
class DictionaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.empty());
        host::headless::haltByException();
        host::setCurrentThread(1);
        errors.Setup();
        registry.Setup();
        ASSERT_TRUE(driver.openFolder(folder));
        app::DataDictionary::setUp(driver, errors, registry);
    }
    void TearDown() override {
        EXPECT_FALSE(driver.inTransaction());
        app::DataDictionary::tearDown();
        registry.Teardown();
        errors.Teardown();
        app::ShowRowValidation = 0;
    }

    void seed(const host::FileDefinition& definition,
              const std::function<void(host::Record&, host::RecordFile&)>& fill) {
        testsupport::seed(driver, definition, fill);
    }
    std::vector<long long> numbers(const host::FileDefinition& definition, int key,
                                   std::string_view label) {
        return testsupport::numbers(driver, definition, key, label);
    }
    // Invoice headers 1..headers, each with the given line sequences.
    void seedInvoices(int headers, const std::vector<int>& sequences) {
        seed(app::files::invHdr(), [&](host::Record& record, host::RecordFile& file) {
            for (int id = 1; id <= headers; ++id) {
                record.clear();
                record.field("INH:INVHDRID").assign(id);
                record.field("INH:INVOICENUMBER").assign(100 + id);
                record.field("INH:CUSTOMERNUMBER").assign("C1");
                ASSERT_TRUE(file.add());
            }
        });
        seed(app::files::invDet(), [&](host::Record& record, host::RecordFile& file) {
            int id = 0;
            for (int header = 1; header <= headers; ++header)
                for (int sequence : sequences) {
                    record.clear();
                    record.field("IND:INVDETID").assign(++id);
                    record.field("IND:INVHDRID").assign(header);
                    record.field("IND:SEQUENCE").assign(sequence);
                    ASSERT_TRUE(file.add());
                }
        });
    }

    testsupport::TempFolder temporary;
    const std::string& folder = temporary.path();
    host::headless::ScriptedMessageBoxes boxes;
    host::sqlite::SqliteDriver driver;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
};

} // namespace apptest
