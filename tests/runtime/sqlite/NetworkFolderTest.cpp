#include "runtime/sqlite/NetworkFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using host::sqlite::networkFileSystemName;

TEST(NetworkFolder, NetworkFileSystemsAreToldFromLocalOnes) {
    // f_type is signed on some systems: a magic number with the high bit set must still
    // be recognised.
    EXPECT_EQ(networkFileSystemName(static_cast<int>(0xFF534D42)), "CIFS");
    EXPECT_EQ(networkFileSystemName(0xEF53), ""); // ext4
    // The temporary folder the tests use is local, so the driver opens it.
    EXPECT_EQ(host::sqlite::networkFileSystemOf(std::filesystem::temp_directory_path()), "");
}
