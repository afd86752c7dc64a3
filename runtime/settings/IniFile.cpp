#include "runtime/settings/IniFile.h"

#include "runtime/base/Value.h"
#include "runtime/threads/CooperativeWait.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    return equalIgnoringCase(trimmed(a), trimmed(b));
}

// Adds the name to the list unless the list has it already (in any case).
void addName(std::vector<std::string>& names, std::string_view name) {
    for (const std::string& known : names)
        if (sameName(known, name))
            return;
    names.emplace_back(name);
}

// What one line of the file is, as a reader sees it.
struct LineMeaning {
    enum Kind { Other, Section, Entry } kind = Other;
    std::string_view name;
    std::string_view value;     // entries: without blanks around it and without quotes
    std::size_t valueStart = 0; // entries: where the value starts in the line
};

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

LineMeaning meaningOf(std::string_view line) {
    LineMeaning meaning;
    std::string_view text = trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '#')
        return meaning;
    if (text.front() == '[') {
        // A header's name runs to the first "]", or to the end of the line without one.
        std::size_t close = text.find(']');
        meaning.kind = LineMeaning::Section;
        meaning.name = trimmed(text.substr(1, close == std::string_view::npos ? close : close - 1));
        return meaning;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return meaning;
    meaning.name = trimmed(line.substr(0, equals));
    if (meaning.name.empty())
        return meaning;
    meaning.kind = LineMeaning::Entry;
    meaning.valueStart = equals + 1;
    while (meaning.valueStart < line.size() &&
           (line[meaning.valueStart] == ' ' || line[meaning.valueStart] == '\t'))
        ++meaning.valueStart;
    meaning.value = unquoted(trimmed(line.substr(equals + 1)));
    return meaning;
}

bool writableSectionName(std::string_view name) {
    return !name.empty() && name.find_first_of("\r\n]") == std::string_view::npos;
}

bool writableEntryName(std::string_view name) {
    return !name.empty() && name.find_first_of("\r\n=") == std::string_view::npos &&
           name.front() != '[' && name.front() != ';' && name.front() != '#';
}

// The value as it is stored in its line: one line, and quoted when a reader would
// otherwise lose blanks at its ends or a pair of quotes around it.
std::string storedValue(std::string_view value) {
    std::string stored(value);
    for (char& c : stored)
        if (c == '\r' || c == '\n')
            c = ' ';
    bool needsQuotes =
        !stored.empty() && (isBlank(stored.front()) || isBlank(stored.back()) ||
                            (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"'));
    return needsQuotes ? '"' + stored + '"' : stored;
}

// How long a write waits for another program's lock on the file.
constexpr std::chrono::seconds iniLockWait{10};

std::mutex& fileAccess() {
    static std::mutex mutex;
    return mutex;
}

// The file that a write must replace: the target of a symbolic link, followed through
// links to links, so that the link itself stays in place.
std::filesystem::path realTarget(const std::string& fileName) {
    namespace fs = std::filesystem;
    fs::path path(fileName);
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            break;
        fs::path link = fs::read_symlink(path, error);
        if (error)
            break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

IniFile IniFile::fromText(std::string_view text) {
    IniFile file;
    if (text.starts_with(utf8ByteOrderMark)) {
        file.byteOrderMark_ = utf8ByteOrderMark;
        text.remove_prefix(utf8ByteOrderMark.size());
    }
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            file.lines_.push_back({std::string(text), {}});
            break;
        }
        std::string_view line = text.substr(0, newline);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
            file.lines_.push_back({std::string(line), "\r\n"});
        } else {
            file.lines_.push_back({std::string(line), "\n"});
        }
        text.remove_prefix(newline + 1);
    }
    return file;
}

std::string IniFile::text() const {
    std::string text = byteOrderMark_;
    for (const Line& line : lines_)
        text.append(line.text).append(line.end);
    return text;
}

std::optional<std::string> IniFile::entry(std::string_view section, std::string_view name) const {
    if (trimmed(section).empty() || trimmed(name).empty())
        return std::nullopt;
    bool inSection = false;
    for (const Line& line : lines_) {
        LineMeaning meaning = meaningOf(line.text);
        if (meaning.kind == LineMeaning::Section)
            inSection = sameName(meaning.name, section);
        else if (inSection && meaning.kind == LineMeaning::Entry && sameName(meaning.name, name))
            return std::string(meaning.value);
    }
    return std::nullopt;
}

std::string IniFile::read(std::string_view section, std::string_view name,
                          std::string_view defaultValue) const {
    std::optional<std::string> value = entry(section, name);
    return value ? *value : std::string(defaultValue);
}

bool IniFile::write(std::string_view section, std::string_view name, std::string_view value) {
    section = trimmed(section);
    name = trimmed(name);
    if (!writableSectionName(section) || !writableEntryName(name))
        return false;
    std::string stored = storedValue(value);

    // The first matching entry changes in place; otherwise the entry goes after the last
    // entry of the first section of that name.
    bool inSection = false;
    bool inFirstSection = false;
    bool sectionFound = false;
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        LineMeaning meaning = meaningOf(lines_[i].text);
        if (meaning.kind == LineMeaning::Section) {
            inSection = sameName(meaning.name, section);
            inFirstSection = inSection && !sectionFound;
            if (inFirstSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
        } else if (inSection && meaning.kind == LineMeaning::Entry) {
            if (sameName(meaning.name, name)) {
                lines_[i].text.resize(meaning.valueStart);
                lines_[i].text += stored;
                return true;
            }
            if (inFirstSection)
                insertAt = i + 1;
        }
    }

    std::string newLine = std::string(name) + "=" + stored;
    if (sectionFound) {
        if (insertAt == lines_.size())
            endLastLine();
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      Line{std::move(newLine), std::string(lineEnd())});
        return true;
    }
    endLastLine();
    std::string end(lineEnd());
    if (!lines_.empty() && !trimmed(lines_.back().text).empty())
        lines_.push_back({{}, end});
    lines_.push_back({"[" + std::string(section) + "]", end});
    lines_.push_back({std::move(newLine), end});
    return true;
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        LineMeaning meaning = meaningOf(line.text);
        if (meaning.kind != LineMeaning::Section || meaning.name.empty())
            continue;
        addName(names, meaning.name);
    }
    return names;
}

std::vector<std::string> IniFile::entryNames(std::string_view section) const {
    std::vector<std::string> names;
    if (trimmed(section).empty())
        return names;
    bool inSection = false;
    for (const Line& line : lines_) {
        LineMeaning meaning = meaningOf(line.text);
        if (meaning.kind == LineMeaning::Section) {
            inSection = sameName(meaning.name, section);
        } else if (inSection && meaning.kind == LineMeaning::Entry) {
            addName(names, meaning.name);
        }
    }
    return names;
}

std::string_view IniFile::lineEnd() const {
    for (const Line& line : lines_)
        if (!line.end.empty())
            return line.end;
    return "\n";
}

void IniFile::endLastLine() {
    if (!lines_.empty() && lines_.back().end.empty())
        lines_.back().end = lineEnd();
}

std::optional<IniFile> IniFile::load(const std::string& fileName) {
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return IniFile{};
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text;
    char chunk[8192];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return fromText(text);
}

bool IniFile::save(const std::string& fileName) const {
    std::filesystem::path target = realTarget(fileName);
    // A file that may not be written is not replaced either.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        return false;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    // The new file keeps the old one's permissions; a new file is readable by all.
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool written = writeAll(fd, text()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

std::string IniFile::readEntry(const std::string& fileName, std::string_view section,
                               std::string_view name, std::string_view defaultValue) {
    std::lock_guard lock(fileAccess());
    std::optional<IniFile> file = load(fileName);
    return file ? file->read(section, name, defaultValue) : std::string(defaultValue);
}

bool IniFile::writeEntry(const std::string& fileName, std::string_view section,
                         std::string_view name, std::string_view value) {
    if (!writableSectionName(trimmed(section)) || !writableEntryName(trimmed(name)))
        return false;
    // Another program (a second station sharing the file) may write the same file: the
    // file stays locked from reading to renaming, so that neither loses the other's entry.
    // A writer that waited finds the file replaced and locks the new one. While the other
    // program holds the lock, this one waits cooperatively (the display goes on), holding
    // neither the lock nor the mutex between its tries, and gives up after a while.
    bool written = false;
    CooperativeWait::retryFor(iniLockWait, [&] {
        std::lock_guard lock(fileAccess());
        std::filesystem::path target = realTarget(fileName);
        for (int attempt = 0; attempt < 100; ++attempt) {
            int fd = ::open(target.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0)
                return true;
            // Best effort: some file systems have no locks.
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
                ::close(fd);
                return false; // locked elsewhere: try again after a pause
            }
            struct stat held {
            }, current{};
            bool stillThere = ::fstat(fd, &held) == 0 && ::stat(target.c_str(), &current) == 0 &&
                              held.st_dev == current.st_dev && held.st_ino == current.st_ino;
            if (!stillThere) {
                ::close(fd);
                continue;
            }
            if (std::optional<IniFile> file = load(target.string())) {
                std::string before = file->text();
                written = file->write(section, name, value) &&
                          (file->text() == before || file->save(target.string()));
            }
            ::close(fd);
            return true;
        }
        return true;
    });
    return written;
}

} // namespace host
