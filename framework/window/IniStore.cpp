#include "framework/window/IniStore.h"

#include "runtime/base/Value.h"
#include "runtime/ui/Window.h"

namespace framework {

namespace {

constexpr std::string_view registrySection = "__Dont_Touch_Me__";
constexpr std::string_view registryName = "Sectors";
constexpr std::string_view unknownMarker = "---Unknown---";
constexpr std::size_t fileNameLimit = 259;
constexpr std::size_t entryLimit = 999;
constexpr std::size_t listValueLimit = 4999;

std::string cut(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, std::min(text.size(), limit)));
}

} // namespace

IniStore::~IniStore() = default;

host::SharedLayout IniStore::SectorLayout() {
    static const host::SharedLayout layout =
        std::make_shared<host::RecordLayout>(host::RecordLayout{
            {"dFAMILY", host::FieldType::cstring(sectorPartSize)},
            {"dITEM", host::FieldType::cstring(sectorPartSize)},
            {"dTYPE", host::FieldType::cstring(sectorPartSize)},
        });
    return layout;
}

void IniStore::Setup(std::string_view fileName) {
    FILENAME = cut(fileName, fileNameLimit);
    SECTORS = std::make_unique<host::Queue>(SectorLayout());
    Init();
    host::Record& sector = SECTORS->buffer();
    ReadList(registrySection, registryName, *SECTORS, sector.field(1), sector.field(2),
             sector.field(3));
}

void IniStore::Teardown() {
    if (!SECTORS)
        return;
    host::Record& sector = SECTORS->buffer();
    WriteList(registrySection, registryName, *SECTORS, sector.field(1), sector.field(2),
              sector.field(3));
    SECTORS.reset();
}

std::string IniStore::ReadEntry(std::string_view section, std::string_view entry) const {
    return host::IniFile::readEntry(FILENAME, section, entry);
}

std::string IniStore::ReadEntryOrMarker(std::string_view section, std::string_view entry) const {
    return cut(host::IniFile::readEntry(FILENAME, section, entry, unknownMarker), entryLimit);
}

void IniStore::WriteEntry(std::string_view section, std::string_view entry,
                          const host::Value& value) {
    host::IniFile::writeEntry(FILENAME, section, entry, value.toText());
}

std::string IniStore::ReadField(std::string_view section, std::string_view entry,
                                int fieldNumber) const {
    std::string value = ReadEntryOrMarker(section, entry);
    std::size_t start = 0;
    for (int i = 1; i < fieldNumber; ++i) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string::npos)
            return {}; // the value has fewer fields than asked for
        start = comma + 1;
    }
    std::size_t end = value.find(',', start);
    return value.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void IniStore::WriteList(std::string_view section, std::string_view name, host::Queue& queue,
                         host::TypedRef f1, host::TypedRef f2, host::TypedRef f3) {
    // One load and one save for the whole list: each entry is written as the host's
    // single-entry write would write it.
    host::IniFile file = host::IniFile::load(FILENAME).value_or(host::IniFile());
    std::size_t count = queue.count();
    file.write(section, name, std::to_string(count));
    std::string prefix = std::string(name) + "_";
    for (std::size_t i = 1; i <= count; ++i) {
        queue.get(i);
        std::string value = host::clip(f1.text());
        if (f2)
            value += "," + host::clip(f2.text());
        if (f3)
            value += "," + host::clip(f3.text());
        file.write(section, prefix + std::to_string(i), cut(value, listValueLimit));
    }
    file.save(FILENAME);
}

void IniStore::ReadList(std::string_view section, std::string_view name, host::Queue& queue,
                        host::TypedRef f1, host::TypedRef f2, host::TypedRef f3) {
    long long stored = host::Value(ReadEntryOrMarker(section, name)).toInteger();
    unsigned count = static_cast<std::uint16_t>(stored < 0 ? 0 : stored);
    std::string prefix = std::string(name) + "_";
    for (unsigned i = 1; i <= count; ++i) {
        std::string entry = prefix + std::to_string(i);
        f1.assign(ReadField(section, entry, 1));
        if (f2)
            f2.assign(ReadField(section, entry, 2));
        if (f3)
            f3.assign(ReadField(section, entry, 3));
        queue.add();
    }
}

void IniStore::StorePlacement(std::string_view procedureName, host::Window& window) {
    if (window.isIconized())
        return; // a minimised window keeps the settings it had before
    // The entries go to the file together: one load, one save.
    host::IniFile file = host::IniFile::load(FILENAME).value_or(host::IniFile());
    bool maximized = window.isMaximized();
    file.write(procedureName, "Maximize", maximized ? "Yes" : "No");
    if (!maximized) {
        const host::Rect& rect = window.rect();
        file.write(procedureName, "XPos", std::to_string(rect.x));
        file.write(procedureName, "YPos", std::to_string(rect.y));
        if (!window.property(0, host::Property::Resizable).isBlankOrZero()) {
            file.write(procedureName, "Height", std::to_string(rect.height));
            file.write(procedureName, "Width", std::to_string(rect.width));
        }
    }
    file.save(FILENAME);
}

void IniStore::ApplyPlacement(std::string_view procedureName, host::Window& window) {
    std::string state = ReadEntry(procedureName, "Maximize");
    bool maximize = host::equalIgnoringCase(host::clipped(state), "Yes");
    if (!maximize && !host::equalIgnoringCase(host::clipped(state), "No"))
        return; // never stored
    if (!maximize && window.isMaximized())
        window.setProperty(0, host::Property::Maximized, 0);
    long long x = host::Value(ReadEntry(procedureName, "XPos")).toInteger();
    if (x != 0) {
        window.setProperty(0, host::Property::X, x);
        window.setProperty(0, host::Property::Y,
                           host::Value(ReadEntry(procedureName, "YPos")).toInteger());
        if (!window.property(0, host::Property::Resizable).isBlankOrZero()) {
            // A size stored while the window could not be resized is missing: the window
            // keeps its own size rather than shrink to nothing.
            long long width = host::Value(ReadEntryOrMarker(procedureName, "Width")).toInteger();
            long long height = host::Value(ReadEntryOrMarker(procedureName, "Height")).toInteger();
            if (width > 0)
                window.setProperty(0, host::Property::Width, width);
            if (height > 0)
                window.setProperty(0, host::Property::Height, height);
        }
    }
    if (window.isMaximized() != maximize)
        window.setProperty(0, host::Property::Maximized, maximize ? 1 : 0);
}

std::string IniStore::JoinSectorName(std::string_view family, std::string_view item,
                                     std::string_view type) {
    return std::string(family) + "$" + std::string(item) + "$$" + std::string(type);
}

void IniStore::RegisterSector(std::string_view sectorName) {
    if (!SECTORS)
        return;
    std::size_t dollar = sectorName.find('$');
    std::size_t doubleDollar = sectorName.find("$$");
    std::string_view family = sectorName.substr(0, dollar);
    std::string_view item, type;
    if (dollar != std::string_view::npos) {
        std::size_t itemEnd =
            doubleDollar == std::string_view::npos ? sectorName.size() : doubleDollar;
        item = itemEnd > dollar ? sectorName.substr(dollar + 1, itemEnd - dollar - 1) : "";
        if (doubleDollar != std::string_view::npos)
            type = sectorName.substr(doubleDollar + 2);
    }
    host::Record& sector = SECTORS->buffer();
    sector.field(1).assign(std::string(family));
    sector.field(2).assign(std::string(item));
    sector.field(3).assign(std::string(type));
    std::vector<host::QueueKey> all{{1, false}, {2, false}, {3, false}};
    host::Record wanted = sector;
    if (SECTORS->get(all))
        return;
    sector = wanted;
    SECTORS->add(all);
}

void IniStore::ListSectors(std::string_view family, std::string_view item, std::string_view type,
                           host::Queue& result) const {
    result.free();
    if (!SECTORS)
        return;
    auto matches = [](std::string_view wanted, const host::TypedRef& field) {
        return wanted.empty() || host::compareText(field.text(), wanted) == 0;
    };
    for (std::size_t i = 1; i <= SECTORS->count(); ++i) {
        if (!matches(family, SECTORS->entryField(i, 1)) ||
            !matches(item, SECTORS->entryField(i, 2)) || !matches(type, SECTORS->entryField(i, 3)))
            continue;
        for (int f = 1; f <= 3; ++f)
            result.buffer().field(f).assign(SECTORS->entryField(i, f));
        result.add();
    }
}

} // namespace framework
