#pragma once

#include "runtime/base/Queue.h"
#include "runtime/base/TypedRef.h"
#include "runtime/settings/IniFile.h"

#include <memory>
#include <string>
#include <string_view>

namespace host {
class Window;
}

namespace framework {

// The user's settings in one INI file ("mirto.INI"): single entries, window placements
// per procedure, lists of up to three values per entry, and the registry of the
// sections that hold such lists ("sectors"), so that a later run can find them again.
// No operation reports an error: anything missing reads as its default.
class IniStore {
public:
    virtual ~IniStore();

    // A sector record: the three parts of a list section's name.
    static constexpr int sectorPartSize = 100;

    // Stores the file name, creates the empty registry, runs the set-up hook and reads
    // the registry back from the file.
    void Setup(std::string_view fileName);
    // Writes the registry to the file and disposes of it.
    void Teardown();
    // A hook the program calls at shut-down just before Teardown; does nothing here.
    virtual void Closing() {}

    std::string ReadEntry(std::string_view section, std::string_view entry) const;
    // The value, or the literal "---Unknown---" when the entry is missing; at most 999
    // characters.
    std::string ReadEntryOrMarker(std::string_view section, std::string_view entry) const;
    void WriteEntry(std::string_view section, std::string_view entry, const host::Value& value);
    // Field n (1-based) of a comma-separated value. A value with fewer fields than asked
    // for gives empty text.
    std::string ReadField(std::string_view section, std::string_view entry, int fieldNumber) const;

    // Writes the queue as entry `name` = count and `name`_i = f1[,f2[,f3]]; `f2`, `f3`
    // may be null references. Fields are fields of the queue's buffer.
    void WriteList(std::string_view section, std::string_view name, host::Queue& queue,
                   host::TypedRef f1, host::TypedRef f2 = {}, host::TypedRef f3 = {});
    // Appends the stored records to the queue (the queue is not emptied first).
    void ReadList(std::string_view section, std::string_view name, host::Queue& queue,
                  host::TypedRef f1, host::TypedRef f2 = {}, host::TypedRef f3 = {});

    // Window placement per procedure: position, size and maximised state.
    void StorePlacement(std::string_view procedureName, host::Window& window);
    void ApplyPlacement(std::string_view procedureName, host::Window& window);

    // family & "$" & item & "$$" & type.
    static std::string JoinSectorName(std::string_view family, std::string_view item,
                                      std::string_view type);
    void RegisterSector(std::string_view sectorName);
    // Empties `result` (a queue with the sector layout, see SectorLayout) and copies into
    // it every registered sector matching the given parts; an empty part matches any.
    void ListSectors(std::string_view family, std::string_view item, std::string_view type,
                     host::Queue& result) const;
    static host::SharedLayout SectorLayout();

    const std::string& FileName() const { return FILENAME; }
    const host::Queue* Sectors() const { return SECTORS.get(); }

protected:
    // The hook run by Setup before the registry is read; does nothing here.
    virtual void Init() {}

private:
    std::string FILENAME;
    std::unique_ptr<host::Queue> SECTORS;
};

} // namespace framework
