#include "runtime/drivers/DriverChoice.h"

#include "runtime/base/Value.h"
#include "runtime/settings/IniFile.h"
#include "runtime/sqlite/SqliteDriver.h"
#ifdef EIP_WITH_POSTGRES
#include "runtime/postgres/PostgresDriver.h"
#endif

namespace host {

std::string DriverChoice::serverIn(const std::string& iniFile) {
    std::string text = clip(IniFile::readEntry(iniFile, section, serverEntry));
    size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::unique_ptr<RecordFileDriver> DriverChoice::make(const std::string& iniFile) {
    std::string server = serverIn(iniFile);
#ifdef EIP_WITH_POSTGRES
    if (!server.empty())
        return std::make_unique<postgres::PostgresDriver>(server);
#endif
    return std::make_unique<sqlite::SqliteDriver>();
}

} // namespace host
