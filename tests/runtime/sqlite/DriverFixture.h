#pragma once

#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tests/support/ShopLayouts.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace drivertest {

using testsupport::TempFolder;

using testsupport::customerLayout;
using testsupport::itemLayout;
host::SharedLayout detailLayout();

// Customer: keys 1 CUS:CUSTOMERIDK (unique, primary), 2 CUS:NAMEK (duplicates, ignores
// case), 3 CUS:NUMBERK (unique).
host::FileDefinition customerDefinition();
// Item: keys 1 ITM:ITEMIDK, 2 ITM:ITEMNUMBERK (unique, ignores case).
host::FileDefinition itemDefinition();
// InvDet: keys 1 IND:INVDETIDK, 2 IND:INVHDRK (IND:INVHDRID, IND:SEQUENCE).
host::FileDefinition detailDefinition();

// Runs SQL on the folder's data base as another program (the sqlite3 shell) would; the
// rows it gives, each as its columns joined by "|".
std::vector<std::string> runSql(const std::string& folder, const std::string& sql);

// One station: a driver on the folder and the customer file with its buffer.
struct Station {
    explicit Station(const std::string& folder, bool createFile = false);
    host::sqlite::SqliteDriver driver;
    host::Record customer{customerLayout()};
    std::unique_ptr<host::RecordFile> customers;

    // Fills the buffer and adds the record.
    bool addCustomer(int id, const std::string& number, const std::string& name,
                     const std::string& city = "Springfield");
    // Reads customer `id` by the id key into the buffer.
    bool read(int id);
    std::string name() const;
    int id() const;
};

// Customers 1..count numbered "C<id>" and named "Name <id>" in a new folder, written in
// one transaction frame; nothing of the folder stays open afterwards (a test may fork).
void fillCustomers(const std::string& folder, int count);

} // namespace drivertest
