#pragma once

#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tests/support/StoreDriver.h"
#include "tests/support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace datatest {

using framework::Severity;

using testsupport::TempFolder;

// CUSTOMER (CUS): keys 1 "CUS:CUSTOMERIDK" (primary), 2 "CUS:NAMEK", 3 "CUS:NUMBERK";
// no duplicates, text ignoring case.
host::FileDefinition customerDefinition();
// HEADER (HDR): key 1 "HDR:IDK" (primary) on HDR:ID; HDR:CUST links to a customer number.
host::FileDefinition headerDefinition();
// LINE (LIN): keys 1 "LIN:IDK" (primary), 2 "LIN:HDRK" (LIN:HDRID, LIN:SEQ).
host::FileDefinition lineDefinition();

// A data file as the application declares one: buffer, host file, access and link.
struct TestFile {
    TestFile(host::RecordFileDriver& driver, const host::FileDefinition& definition,
             std::unique_ptr<framework::FileAccess> accessObject = nullptr);
    host::TypedRef field(std::string_view label) const { return record.field(label); }
    long long number(std::string_view label) const { return record.field(label).integer(); }
    std::string text(std::string_view label) const {
        return host::clip(record.field(label).text());
    }

    host::Record record;
    std::unique_ptr<host::RecordFile> file;
    std::unique_ptr<framework::FileAccess> accessObject;
    framework::FileAccess& access;
    framework::RelationLink link;
};

// A host file that passes everything to a real one, but fails the n-th remove with 43
// (a delete that fails half-way through a cascade; 0 never fails), keeps the driver
// options it was sent, and runs `beforeCreate` (another station's work) before a create.
class FailingFile : public host::RecordFile {
public:
    FailingFile(std::unique_ptr<host::RecordFile> inner, int failingRemove);
    bool open(int mode) override { return inner_->open(mode); }
    bool close() override { return inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    int openMode() const override { return inner_->openMode(); }
    bool create() override {
        if (beforeCreate)
            beforeCreate();
        return inner_->create();
    }
    bool rebuildKeys() override { return inner_->rebuildKeys(); }
    bool flush() override { return inner_->flush(); }
    bool sendOption(std::string_view option) override {
        options.emplace_back(option);
        return inner_->sendOption(option);
    }
    int lockWaitSeconds() const override { return inner_->lockWaitSeconds(); }
    bool add() override { return inner_->add(); }
    bool addPlaceholder(const std::vector<int>& keys) override {
        return inner_->addPlaceholder(keys);
    }
    bool put() override { return inner_->put(); }
    bool remove() override;
    bool get(int key) override { return inner_->get(key); }
    bool getAt(std::string_view position) override { return inner_->getAt(position); }
    bool reget() override { return inner_->reget(); }
    bool set(int key) override { return inner_->set(key); }
    bool setAt(int key) override { return inner_->setAt(key); }
    bool reset(int key, std::string_view position) override { return inner_->reset(key, position); }
    bool next() override { return inner_->next(); }
    bool previous() override { return inner_->previous(); }
    int currentOrder() const override { return inner_->currentOrder(); }
    std::string position() const override { return inner_->position(); }
    std::string position(int key) const override { return inner_->position(key); }
    bool wouldDuplicate(int key, bool overCurrent) override {
        return inner_->wouldDuplicate(key, overCurrent);
    }
    void skipMemosOnNextRead() override { inner_->skipMemosOnNextRead(); }
    void hold(int waitSeconds) override { inner_->hold(waitSeconds); }
    void release() override { inner_->release(); }
    bool isHeld() const override { return inner_->isHeld(); }
    void watch() override { inner_->watch(); }
    bool isWatched() const override { return inner_->isWatched(); }
    std::int64_t recordCount() override { return inner_->recordCount(); }
    std::int64_t sizeInBytes() override { return inner_->sizeInBytes(); }
    bool enlist() override { return inner_->enlist(); }
    bool isEnlisted() const override { return inner_->isEnlisted(); }

    int removes = 0;
    std::vector<std::string> options;
    std::function<void()> beforeCreate;

private:
    std::unique_ptr<host::RecordFile> inner_;
    int failingRemove_;
};

// A data folder with a driver, the error reporter (answering through scripted message
// boxes, halting by exception) and the file registry.
class DataTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets up a file's access as the data dictionary does: display name, create when
    // missing, and its keys in order (descriptions "<label> description").
    void declare(TestFile& file, std::string displayName,
                 std::vector<std::uint8_t> autoNumbers = {});
    // Adds records through a separate host file (a file is created when missing).
    void seed(const host::FileDefinition& definition,
              const std::function<void(host::Record&, host::RecordFile&)>& fill);
    // Adds customers 1..count numbered "C<id>" and named "Name <id>".
    void seedCustomers(int count);
    // Records of a file as a list of one field's values, in the order of a key.
    std::vector<long long> numbers(const host::FileDefinition& definition, int key,
                                   std::string_view label);
    // The titles of the message boxes shown so far.
    std::vector<std::string> titles() const;

    TempFolder folder;
    host::headless::ScriptedMessageBoxes boxes;
    // The embedded driver, or the server one when the tests run against a server
    // (testsupport::StoreDriver).
    std::unique_ptr<host::RecordFileDriver> ownedDriver =
        (testsupport::StoreDriver::freshStore(), testsupport::StoreDriver::make());
    host::RecordFileDriver& driver = *ownedDriver;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
    std::vector<TestFile*> declared;
};

// Fills a customer record.
void fillCustomer(host::Record& record, int id, std::string_view number, std::string_view name,
                  std::string_view city = "Springfield");
// Fills a line record.
void fillLine(host::Record& record, int id, int header, int sequence, std::string_view text = "");

} // namespace datatest
