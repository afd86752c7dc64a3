#include "runtime/sqlite/NetworkFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using host::sqlite::networkFileSystemName;

TEST(NetworkFolder, NetworkFileSystemsAreToldFromLocalOnes) {
    EXPECT_EQ(networkFileSystemName(0x6969), "NFS");
    EXPECT_EQ(networkFileSystemName(0xFF534D42), "CIFS");
    EXPECT_EQ(networkFileSystemName(0xFE534D42), "SMB2");
    // f_type is signed on some systems: the high bit set must still be recognised.
    EXPECT_EQ(networkFileSystemName(static_cast<int>(0xFF534D42)), "CIFS");
    EXPECT_EQ(networkFileSystemName(0xEF53), "");     // ext4
    EXPECT_EQ(networkFileSystemName(0x01021994), ""); // tmpfs
    // The temporary folder the tests use is local.
    EXPECT_EQ(host::sqlite::networkFileSystemOf(std::filesystem::temp_directory_path()), "");
}
