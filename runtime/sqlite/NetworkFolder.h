#pragma once

#include <string>

namespace host::sqlite {

// Whether a data folder lies on a network file system, where neither SQLite's locks nor
// the lock file's byte-range locks can be trusted between computers: two stations on two
// machines could then write over each other's pages. The driver refuses such a folder.

// The name of the network file system a file-system type (statfs's f_type) stands for
// ("NFS", "SMB", ...); empty for a local one.
std::string networkFileSystemName(long long fileSystemType);
// The same for the file system holding `folder`; empty when it is local or unknown.
std::string networkFileSystemOf(const std::string& folder);

} // namespace host::sqlite
