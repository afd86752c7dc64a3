// Parses arbitrary bytes as an INI file and writes one entry into it. Checks that the
// text comes back exactly, that the written entry reads back, and that no other entry's
// value changed.
#include "runtime/base/Value.h"
#include "runtime/settings/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

std::string_view takeLine(std::string_view& input) {
    std::size_t end = input.find('\x01');
    std::string_view part = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return part;
}

std::string_view trimmedName(std::string_view name) {
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t' || name.front() == '\r' ||
                             name.front() == '\v' || name.front() == '\f'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r' ||
                             name.back() == '\v' || name.back() == '\f'))
        name.remove_suffix(1);
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // Input: section \1 entry \1 value \1 file text.
    std::string_view section = takeLine(input);
    std::string_view name = takeLine(input);
    std::string_view value = takeLine(input);

    host::IniFile file = host::IniFile::fromText(input);
    check(file.text() == input);

    host::IniFile before = file;
    if (!file.write(section, name, value)) {
        check(file.text() == before.text());
        return 0;
    }
    host::IniFile after = host::IniFile::fromText(file.text());
    check(after.text() == file.text());

    std::string expected(value);
    for (char& c : expected)
        if (c == '\r' || c == '\n')
            c = ' ';
    check(after.entry(section, name) == expected);

    for (const std::string& s : before.sections())
        for (const std::string& n : before.entryNames(s)) {
            if (host::equalIgnoringCase(s, trimmedName(section)) &&
                host::equalIgnoringCase(n, trimmedName(name)))
                continue;
            check(before.entry(s, n) == after.entry(s, n));
        }
    return 0;
}
