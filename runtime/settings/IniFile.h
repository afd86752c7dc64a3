#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// An INI file: sections headed "[Name]" holding "name=value" entries. Every line is kept
// exactly as it was read (comments, blank lines, unknown lines, line ends, a byte order
// mark), so writing one entry changes only that entry's line, or adds one line.
//
// Reading is forgiving of files edited by hand: CRLF or LF line ends, blanks and tabs
// around names, "=" and values, a missing final line end, a UTF-8 byte order mark, and
// comment lines starting with ";" or "#". Section and entry names match without regard
// to letter case. A value written in double quotes reads without them; values written
// here are quoted when quotes are needed to bring them back exactly (leading or trailing
// blanks, or a value that itself starts and ends with a quote).
//
// Where a name occurs more than once, the first occurrence counts: a read finds the first
// matching entry of all sections of that name, in file order, and a write changes it.
class IniFile {
public:
    IniFile() = default;

    static IniFile fromText(std::string_view text);
    // The file's text: exactly the text it was made from, plus the writes since.
    std::string text() const;

    // The entry's value; nullopt when the section or the entry is missing.
    std::optional<std::string> entry(std::string_view section, std::string_view name) const;
    std::string read(std::string_view section, std::string_view name,
                     std::string_view defaultValue = {}) const;
    // Sets an entry: changes the first matching entry's value in place, or adds the entry
    // after the last entry of the first section of that name, or adds the section at the
    // end of the file. Line breaks in the value become blanks, since a value is one line.
    // Returns false, changing nothing, for a name that cannot be written: an empty name,
    // a line break in either name, "=" in the entry name or "]" in the section name, or an
    // entry name starting with "[", ";" or "#".
    bool write(std::string_view section, std::string_view name, std::string_view value);

    // The names of the sections, and of one section's entries, in file order, each once.
    std::vector<std::string> sections() const;
    std::vector<std::string> entryNames(std::string_view section) const;

    // Loads a file. A missing file loads as an empty one; nullopt when the file exists but
    // cannot be read.
    static std::optional<IniFile> load(const std::string& fileName);
    // Saves atomically: the text goes to a temporary file in the same folder, is flushed
    // to the disk and then renamed over the file, so that a crash leaves either the old
    // or the new file, never a part of one. A symbolic link is followed, not replaced;
    // a file that may not be written is left alone (false).
    bool save(const std::string& fileName) const;

    // The host's INI operations on a file by name. A missing or unreadable file, section
    // or entry reads as the default. A write that fails (unreadable file, folder not
    // writable, invalid name) returns false and leaves the file as it was. Writers in
    // other processes are kept apart by a lock on the file, so none loses another's entry;
    // a writer waits for another's lock cooperatively (CooperativeWait) for up to ten
    // seconds, and fails when it is still held then.
    // Each write saves the whole file; to write many entries at once, load the file,
    // write them, and save it once.
    static std::string readEntry(const std::string& fileName, std::string_view section,
                                 std::string_view name, std::string_view defaultValue = {});
    static bool writeEntry(const std::string& fileName, std::string_view section,
                           std::string_view name, std::string_view value);

private:
    struct Line {
        std::string text; // without its line end
        std::string end;  // "\n", "\r\n", or "" for a last line without one
    };

    std::string_view lineEnd() const;
    void endLastLine();

    std::string byteOrderMark_;
    std::vector<Line> lines_;
};

} // namespace host
