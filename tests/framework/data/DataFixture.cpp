#include "DataFixture.h"
#include "tests/support/FileContents.h"

using namespace host;

namespace datatest {

FileDefinition customerDefinition() {
    FileDefinition file("CUSTOMER", "CUS",
                        std::make_shared<const RecordLayout>(RecordLayout{
                            {"CUS:CUSTOMERID", FieldType::longInteger()},
                            {"CUS:NUMBER", FieldType::text(4)},
                            {"CUS:NAME", FieldType::text(30)},
                            {"CUS:CITY", FieldType::text(15)},
                        }));
    file.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, true, true);
    file.addKey("CUS:NAMEK", {"CUS:NAME"}, false, true, false);
    file.addKey("CUS:NUMBERK", {"CUS:NUMBER"}, false, true, false);
    return file;
}

FileDefinition headerDefinition() {
    FileDefinition file("HEADER", "HDR",
                        std::make_shared<const RecordLayout>(RecordLayout{
                            {"HDR:ID", FieldType::longInteger()},
                            {"HDR:CUST", FieldType::text(4)},
                            {"HDR:NOTE", FieldType::text(10)},
                        }));
    file.addKey("HDR:IDK", {"HDR:ID"}, false, true, true);
    return file;
}

FileDefinition lineDefinition() {
    FileDefinition file("LINE", "LIN",
                        std::make_shared<const RecordLayout>(RecordLayout{
                            {"LIN:ID", FieldType::longInteger()},
                            {"LIN:HDRID", FieldType::longInteger()},
                            {"LIN:SEQ", FieldType::longInteger()},
                            {"LIN:TEXT", FieldType::text(10)},
                        }));
    file.addKey("LIN:IDK", {"LIN:ID"}, false, true, true);
    file.addKey("LIN:HDRK", {"LIN:HDRID", "LIN:SEQ"}, false, true, false);
    return file;
}

TestFile::TestFile(RecordFileDriver& driver, const FileDefinition& definition,
                   std::unique_ptr<framework::FileAccess> object)
    : record(definition.layout()), file(driver.makeFile(definition, record)),
      accessObject(object ? std::move(object) : std::make_unique<framework::FileAccess>()),
      access(*accessObject) {}

FailingFile::FailingFile(std::unique_ptr<RecordFile> inner, int failingRemove)
    : RecordFile(inner->definition(), inner->buffer()), inner_(std::move(inner)),
      failingRemove_(failingRemove) {}

bool FailingFile::remove() {
    if (++removes == failingRemove_) {
        setError(errors::recordHeld);
        return false;
    }
    return inner_->remove();
}

void DataTest::SetUp() {
    headless::haltByException();
    setCurrentThread(1);
    errors.Setup();
    registry.Setup();
    ASSERT_TRUE(driver.openFolder(folder.path()));
}

void DataTest::TearDown() {
    for (TestFile* file : declared)
        file->link.Teardown();
    registry.Teardown();
    errors.Teardown();
    setCurrentThread(1);
}

void DataTest::declare(TestFile& file, std::string displayName,
                       std::vector<std::uint8_t> autoNumbers) {
    file.access.Setup(*file.file, driver, errors, registry);
    file.access.FILENAMEVALUE = std::move(displayName);
    file.access.BUFFER = &file.record;
    for (int key = 1; key <= file.file->keyCount(); ++key) {
        std::uint8_t autoNumber =
            static_cast<std::size_t>(key) <= autoNumbers.size() ? autoNumbers[key - 1] : 0;
        file.access.DeclareKey(key, file.file->key(key).label + " description", autoNumber);
    }
    file.link.Setup(file.access, true);
    declared.push_back(&file);
}

void DataTest::seed(const FileDefinition& definition,
                    const std::function<void(Record&, RecordFile&)>& fill) {
    testsupport::seed(driver, definition, fill);
}

void DataTest::seedCustomers(int count) {
    seed(customerDefinition(), [&](Record& record, RecordFile& file) {
        for (int id = 1; id <= count; ++id) {
            fillCustomer(record, id, "C" + std::to_string(id), "Name " + std::to_string(id));
            ASSERT_TRUE(file.add());
        }
    });
}

std::vector<long long> DataTest::numbers(const FileDefinition& definition, int key,
                                         std::string_view label) {
    return testsupport::numbers(driver, definition, key, label);
}

std::vector<std::string> DataTest::titles() const {
    std::vector<std::string> result;
    for (const MessageBoxRequest& box : boxes.shown())
        result.push_back(box.title);
    return result;
}

void fillCustomer(Record& record, int id, std::string_view number, std::string_view name,
                  std::string_view city) {
    record.clear();
    record.field("CUS:CUSTOMERID").assign(id);
    record.field("CUS:NUMBER").assign(number);
    record.field("CUS:NAME").assign(name);
    record.field("CUS:CITY").assign(city);
}

void fillLine(Record& record, int id, int header, int sequence, std::string_view text) {
    record.clear();
    record.field("LIN:ID").assign(id);
    record.field("LIN:HDRID").assign(header);
    record.field("LIN:SEQ").assign(sequence);
    record.field("LIN:TEXT").assign(text);
}

} // namespace datatest
