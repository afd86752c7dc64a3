#include "app/ProgramFolder.h"

#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace app {

namespace fs = std::filesystem;

namespace {

bool writableFolder(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        fs::create_directories(folder, error);
        if (error || !fs::is_directory(folder, error))
            return false;
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// A file that exists must be writable; a missing one will be made in its folder.
bool writableIfPresent(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error))
        return !error;
    return ::access(file.c_str(), R_OK | W_OK) == 0;
}

} // namespace

std::string ProgramFolder::executableFolder() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error || executable.empty())
        return {};
    return executable.parent_path().string();
}

std::string ProgramFolder::perUserFolder() {
    const passwd* user = ::getpwuid(::getuid());
    if (!user || !user->pw_dir || !*user->pw_dir)
        return {};
    return (fs::path(user->pw_dir) / ".local" / "share" / "eip-invoicing").string();
}

bool ProgramFolder::prepare(const std::string& folder) {
    if (folder.empty())
        return false;
    fs::path home(folder);
    fs::path data = home / dataFolderName;
    if (!writableFolder(home) || !writableFolder(data) || !writableIfPresent(home / iniFileName))
        return false;
    // The data files already there must be writable too.
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(data, error))
        if (entry.is_regular_file(error) && !writableIfPresent(entry.path()))
            return false;
    return !error;
}

ProgramFolder ProgramFolder::choose() {
    return choose(executableFolder(), perUserFolder());
}

ProgramFolder ProgramFolder::choose(const std::string& besideProgram, const std::string& perUser) {
    bool perUserChosen = !prepare(besideProgram) && prepare(perUser);
    const std::string& folder = perUserChosen || besideProgram.empty() ? perUser : besideProgram;
    std::error_code error;
    ProgramFolder chosen = at(folder.empty() ? fs::current_path(error).string() : folder);
    chosen.perUser_ = perUserChosen;
    return chosen;
}

ProgramFolder ProgramFolder::at(const std::string& folder) {
    prepare(folder);
    ProgramFolder chosen;
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    chosen.folder_ = error ? folder : absolute.lexically_normal().string();
    return chosen;
}

std::string ProgramFolder::iniFile() const {
    return (fs::path(folder_) / iniFileName).string();
}

std::string ProgramFolder::dataFolder() const {
    return (fs::path(folder_) / dataFolderName).string();
}

} // namespace app
