#include "app/scenarios/RecordDump.h"

#include "app/FileDeclarations.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/OpenMode.h"
#include "runtime/files/RecordFile.h"
#include "runtime/sqlite/SqliteDriver.h"

#include <cstdio>

namespace app {

namespace {

struct NamedFile {
    const char* name;
    host::FileDefinition (*declare)();
};

constexpr NamedFile applicationFiles[] = {{"Item", files::item},
                                          {"Config", files::config},
                                          {"Customer", files::customer},
                                          {"InvDet", files::invDet},
                                          {"InvHdr", files::invHdr}};

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

std::string dateText(long long day) {
    if (day <= 0)
        return "none";
    host::CalendarDate date = host::calendarDate(static_cast<int>(day));
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// Why the file cannot be read: the driver's own text when it gave one.
std::string whyNot() {
    const host::RuntimeError& error = host::lastError();
    if (error.code == host::errors::driverError && !error.driverText.empty())
        return error.driverText;
    return host::errorText();
}

} // namespace

std::optional<host::FileDefinition> RecordDump::Declaration(std::string_view name) {
    for (const NamedFile& file : applicationFiles) {
        host::FileDefinition definition = file.declare();
        if (host::equalIgnoringCase(file.name, name) ||
            host::equalIgnoringCase(definition.label(), name))
            return definition;
    }
    return std::nullopt;
}

std::vector<std::string> RecordDump::FileNames() {
    std::vector<std::string> names;
    for (const NamedFile& file : applicationFiles)
        names.emplace_back(file.name);
    return names;
}

std::string RecordDump::Value(const host::Record& record, int field) {
    const host::FieldInfo& info = record.layout()->field(field);
    host::TypedRef value = record.field(field);
    if (info.type.isText())
        return std::string(host::clipped(value.text()));
    if (info.type.kind == host::FieldKind::Date)
        return dateText(value.integer());
    if (info.type.kind == host::FieldKind::Decimal)
        return value.decimal().toString(info.type.places);
    return value.text();
}

std::string RecordDump::Line(const host::Record& record) {
    std::string line;
    for (int n = 1; n <= record.fieldCount(); ++n) {
        const host::FieldInfo& info = record.layout()->field(n);
        std::string value = Value(record, n);
        if (info.type.isText())
            value = quoted(value);
        if (!line.empty())
            line += ' ';
        line += info.label + "=" + value;
    }
    return line;
}

RecordDump::ReadResult RecordDump::Read(const std::string& dataFolder,
                                        const host::FileDefinition& file,
                                        const std::function<bool(const host::Record*)>& each) {
    using Outcome = ReadResult::Outcome;
    host::sqlite::SqliteDriver driver;
    if (!driver.openFolder(dataFolder))
        return {Outcome::CannotRead, whyNot()};
    host::Record record(file.layout());
    auto hostFile = driver.makeFile(file, record);
    if (!hostFile->open(host::openMode::readOnly | host::openMode::denyNone)) {
        if (host::errorCode() == host::errors::fileNotFound)
            return {Outcome::NoFile, {}};
        return {Outcome::CannotRead, whyNot()};
    }
    hostFile->set(file.keyCount() > 0 ? 1 : 0);
    for (;;) {
        // A held record is refused, and the next read goes on past it.
        const host::Record* read = &record;
        if (!hostFile->next()) {
            if (host::errorCode() != host::errors::recordHeld)
                break;
            read = nullptr;
        }
        if (!each(read))
            break;
    }
    hostFile->close();
    return {};
}

std::vector<std::string> RecordDump::Lines(const std::string& dataFolder,
                                           const host::FileDefinition& file) {
    std::vector<std::string> lines;
    ReadResult read = Read(dataFolder, file, [&lines](const host::Record* record) {
        lines.push_back(record ? Line(*record) : "(held)");
        return true;
    });
    switch (read.outcome) {
    case ReadResult::Outcome::Read:
        return lines;
    case ReadResult::Outcome::NoFile:
        return {"(no file)"};
    case ReadResult::Outcome::CannotRead:
        break;
    }
    return {"(cannot read: " + read.reason + ")"};
}

} // namespace app
