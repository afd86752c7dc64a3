#include "runtime/sqlite/NetworkFolder.h"

#include <sys/vfs.h>

namespace host::sqlite {

std::string networkFileSystemName(long long fileSystemType) {
    // The magic numbers Linux reports for the network file systems a shop might share a
    // folder over.
    switch (static_cast<unsigned long long>(fileSystemType) & 0xFFFFFFFFull) {
    case 0x6969:
        return "NFS";
    case 0x517B:
        return "SMB";
    case 0xFF534D42:
        return "CIFS";
    case 0xFE534D42:
        return "SMB2";
    case 0x564C:
        return "NCP";
    case 0x73757245:
        return "Coda";
    case 0x5346414F:
        return "AFS";
    case 0x6B414653:
        return "AFS";
    case 0x47504653:
        return "GPFS";
    case 0x0BD00BD0:
        return "Lustre";
    case 0x01021997:
        return "9P";
    default:
        return {};
    }
}

std::string networkFileSystemOf(const std::string& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0)
        return {};
    return networkFileSystemName(static_cast<long long>(info.f_type));
}

} // namespace host::sqlite
