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

std::string RecordDump::Line(const host::Record& record) {
    std::string line;
    for (int n = 1; n <= record.fieldCount(); ++n) {
        const host::FieldInfo& info = record.layout()->field(n);
        host::TypedRef field = record.field(n);
        std::string value;
        if (info.type.isText())
            value = quoted(host::clipped(field.text()));
        else if (info.type.kind == host::FieldKind::Date)
            value = dateText(field.integer());
        else if (info.type.kind == host::FieldKind::Decimal)
            value = field.decimal().toString(info.type.places);
        else
            value = field.text();
        if (!line.empty())
            line += ' ';
        line += info.label + "=" + value;
    }
    return line;
}

std::vector<std::string> RecordDump::Lines(const std::string& dataFolder,
                                           const host::FileDefinition& file) {
    host::sqlite::SqliteDriver driver;
    if (!driver.openFolder(dataFolder))
        return {"(cannot read: " + whyNot() + ")"};
    host::Record record(file.layout());
    auto hostFile = driver.makeFile(file, record);
    if (!hostFile->open(host::openMode::readOnly | host::openMode::denyNone)) {
        if (host::errorCode() == host::errors::fileNotFound)
            return {"(no file)"};
        return {"(cannot read: " + whyNot() + ")"};
    }
    std::vector<std::string> lines;
    hostFile->set(file.keyCount() > 0 ? 1 : 0);
    while (hostFile->next())
        lines.push_back(Line(record));
    hostFile->close();
    return lines;
}

} // namespace app
