#pragma once

#include "runtime/files/RecordFileDriver.h"
#include "runtime/sqlite/SqliteDriver.h"
#ifdef EIP_WITH_POSTGRES
#include "runtime/postgres/Connection.h"
#include "runtime/postgres/PostgresDriver.h"
#endif

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace testsupport {

// The driver the file-layer tests run on: the embedded SQLite one on the test's data
// folder, or, when EIP_FILE_TESTS_SERVER names the connection file of the test cluster
// (tests/support/postgres-cluster.sh), the server one in a schema of the test's own.
// `freshStore` starts a test's store (call it in the parent, before any station forks);
// every `storeDriver` after it is a station of that store.
class StoreDriver {
public:
    static bool onServer() { return !serverText().empty(); }
    // The tests were started to run on the server (EIP_FILE_TESTS_SERVER is set), which
    // may still be missing: the fixture found no PostgreSQL to start.
    static bool serverWanted() { return std::getenv("EIP_FILE_TESTS_SERVER") != nullptr; }

    static void freshStore() {
#ifdef EIP_WITH_POSTGRES
        std::string server = serverText();
        if (server.empty())
            return;
        static std::optional<host::postgres::Connection> admin;
        static int made = 0;
        if (!admin)
            admin.emplace(server);
        std::string& schema = current();
        if (!schema.empty())
            admin->execute("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        schema = "f" + std::to_string(getpid()) + "_" + std::to_string(++made);
        admin->execute("CREATE SCHEMA " + schema);
#endif
    }

    static std::unique_ptr<host::RecordFileDriver> make() {
#ifdef EIP_WITH_POSTGRES
        std::string server = serverText();
        if (!server.empty())
            return std::make_unique<host::postgres::PostgresDriver>(
                server + " options='-csearch_path=" + current() + "'");
#endif
        return std::make_unique<host::sqlite::SqliteDriver>();
    }

private:
    static std::string serverText() {
        const char* file = std::getenv("EIP_FILE_TESTS_SERVER");
        std::string text;
        if (file) {
            std::ifstream in(file);
            std::getline(in, text);
        }
        return text;
    }
    static std::string& current() {
        static std::string schema;
        return schema;
    }
};

// Tests started to run on the server where there is none would otherwise pass on SQLite
// under the server's test name: every test skips instead, saying why, and the run fails
// when EIP_REQUIRE_POSTGRES=1 (CI, where the server must be there).
// (ctest reads the skip message's words; the failure's must differ from them.)
class StoreServerCheck final : public ::testing::Environment {
public:
    static constexpr const char* missing =
        "no PostgreSQL server for the file-layer tests on the server: the test fixture "
        "found no PostgreSQL to start (tests/support/postgres-cluster.sh)";

    void SetUp() override {
        if (!StoreDriver::serverWanted() || StoreDriver::onServer())
            return;
        const char* required = std::getenv("EIP_REQUIRE_POSTGRES");
        if (required && std::strcmp(required, "1") == 0)
            FAIL() << "EIP_REQUIRE_POSTGRES=1, but the file-layer tests on the server found "
                      "no server: the test fixture could not start its PostgreSQL";
#ifndef EIP_WITH_POSTGRES
        GTEST_SKIP() << missing << "; this test program is built without libpq";
#else
        GTEST_SKIP() << missing;
#endif
    }
};

inline ::testing::Environment* const storeServerCheck =
    ::testing::AddGlobalTestEnvironment(new StoreServerCheck);

} // namespace testsupport
