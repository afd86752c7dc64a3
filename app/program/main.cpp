// The desktop program: the invoicing application on the Qt display. It reads no command
// line and no environment variables; its settings file and data folder live beside the
// executable (or in the user's own folder when that place cannot be written, see
// app/ProgramFolder.h).
#include "app/Program.h"
#include "app/ProgramFolder.h"
#include "runtime/drivers/DriverChoice.h"
#include "runtime/qt/QtProgram.h"

#include <filesystem>
#include <memory>
#include <system_error>

int main() {
    app::ProgramFolder folder = app::ProgramFolder::choose();
    // The shop's data live in the embedded SQLite data base of the data folder, or on the
    // PostgreSQL server that the settings file names ([Data] Server=).
    std::string iniFile = folder.iniFile();
    app::Program::useDriver([iniFile] { return host::DriverChoice::make(iniFile); });
    // Relative names the program uses (item pictures) are found in its folder.
    std::error_code ignored;
    std::filesystem::current_path(folder.folder(), ignored);
    return host::qt::QtProgram::run("invoicing", app::ProgramTitle,
                                    [folder] { app::Program::run(folder); });
}
