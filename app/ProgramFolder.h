#pragma once

#include <string>

namespace app {

// Where the program keeps its settings file "mirto.INI" and its data folder "data":
// beside the program, in the folder of its executable, as a desktop program of one shop
// keeps its files. When that folder cannot be written (the program is installed in a
// read-only place), they go to a folder of the user's own, eip-invoicing under
// .local/share in the user's home folder, which is taken from the user database (the
// program reads no environment variables). When neither can be written the program still
// starts beside its executable, and the first write that fails says so through the
// error reporter.
class ProgramFolder {
public:
    static constexpr const char* iniFileName = "mirto.INI";
    static constexpr const char* dataFolderName = "data";

    // The folder chosen as described above.
    static ProgramFolder choose();
    // The first of the two candidates that can be prepared (see prepare), else the first.
    static ProgramFolder choose(const std::string& besideProgram, const std::string& perUser);
    // A given folder (the scenario runner's data folder), made when missing.
    static ProgramFolder at(const std::string& folder);

    // The folder of the running executable; empty when it cannot be found.
    static std::string executableFolder();
    // eip-invoicing under .local/share in the user's home folder; empty when the user
    // has no home folder.
    static std::string perUserFolder();
    // Makes the folder and its data folder when missing and tells whether the program
    // can write there: the folders, the settings file when it exists, and every file
    // already in the data folder.
    static bool prepare(const std::string& folder);

    const std::string& folder() const { return folder_; }
    std::string iniFile() const;
    std::string dataFolder() const;
    // True when the folder beside the program could not be written and the per-user
    // folder is used instead.
    bool isPerUser() const { return perUser_; }

private:
    std::string folder_;
    bool perUser_ = false;
};

} // namespace app
