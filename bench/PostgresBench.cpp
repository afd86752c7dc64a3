// The record-file driver on a PostgreSQL server beside the embedded SQLite driver, on the
// same 1,000,000 customers: "Postgres/<case>" and "SQLite/<case>" run in one process and
// a table at the end sets them side by side. Cases: a page of 20 by name at the start,
// the middle and the end; locating a name in its key; inserting a customer; updating one
// (read under watch, written back); and stations inserting and updating at once, one
// process and four (each its own connection or its own SQLite connection), reporting
// operations per second and the writes refused because another station held or had
// changed the record. Targets: the server's pages within 3x the embedded driver's; four
// stations together at least twice the throughput of one.
//
// The server: EIP_BENCH_POSTGRES names a state folder of tests/support/postgres-cluster.sh
// (its "conninfo" file) or is a connection text; without it the server cases are left
// out. Start a cluster with the server's own durability for fair writes:
//   tests/support/postgres-cluster.sh start /tmp/bench-pg durable
//   EIP_BENCH_POSTGRES=/tmp/bench-pg ./build/bench/PostgresBench
// The SQLite file is made once under the system's temporary folder; the server's table
// is loaded from the same generator (the same ids in the same order) once per server.
//
// Measured on a shared 2-core machine (load about 8), PostgreSQL 15 on a unix socket with
// fsync and synchronous commits, two runs, server / embedded (CPU ratio; real ratio):
//   page of 20 at start, middle, end  1.1-1.9x; 1.4-1.9x in the quieter run, 2.3-6.3x in
//                                     the busier one (each page is one round trip, whose
//                                     real time is mostly waiting for the server's turn)
//   locate                            1.4-1.8x; 1.5x and 4.7x
//   insert, update (one commit each)  0.4x; 1.1-3.3x (the server's fsync per commit)
//   stations: one 127 and 185 operations/s, four 657 and 616 (5.2x and 3.3x one), with
//   181 and 277 writes refused (held or changed: the updates meet on 200 customers); the
//   embedded driver gave 307 and 218 for one, 205 and 465 for four.
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/postgres/Connection.h"
#include "runtime/postgres/PostgresDriver.h"
#include "runtime/records/FieldCodec.h"
#include "runtime/sqlite/SqliteDriver.h"

#include "bench/support/RatioReporter.h"
#include "tests/support/ShopLayouts.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <libpq-fe.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace host;

namespace {

constexpr int customerCount = 1'000'000;
constexpr int pageSize = 20;
constexpr int nameKey = 2;
constexpr int hotCustomers = 200; // the stations' updates meet on these

const char* lastNames[] = {"Smith",  "Johnson", "Williams", "Brown",  "Jones",    "Miller",
                           "Davis",  "Garcia",  "Wilson",   "Martin", "Anderson", "Taylor",
                           "Thomas", "Moore",   "Jackson",  "White",  "Lopez",    "Lee",
                           "Harris", "Clark",   "Lewis",    "Walker", "Hall",     "Young"};
const char* firstNames[] = {"James",   "Mary",  "Robert", "Patricia", "John",  "Jennifer",
                            "Michael", "Linda", "David",  "Barbara",  "Susan", "Joseph"};

FileDefinition customerDefinition() {
    FileDefinition definition("CUSTOMER", "CUS", testsupport::customerLayout());
    definition.setNameOnDisk("Customer");
    definition.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, false, true);
    definition.addKey("CUS:NAMEK", {"CUS:NAME"}, true, true);
    definition.addKey("CUS:NUMBERK", {"CUS:NUMBER"}, true, true);
    return definition;
}

void fillCustomer(Record& customer, int id) {
    unsigned h = static_cast<unsigned>(id) * 2654435761u;
    customer.clear();
    customer.field(1).assign(id);
    customer.field(2).assign(std::to_string(id % 10000));
    customer.field(3).assign(
        std::string(h % 3 ? lastNames[h % 24] : "van " + std::string(lastNames[h % 24])) + ", " +
        firstNames[(h >> 5) % 12] + " " + std::to_string((h >> 10) % 5000));
    customer.field(4).assign(std::to_string(h % 9000 + 100) + " Main Street");
    customer.field(5).assign("Springfield");
    customer.field(6).assign("IL");
    customer.field(7).assign(std::to_string(60000 + h % 9999));
}

std::string serverText() {
    const char* setting = std::getenv("EIP_BENCH_POSTGRES");
    if (!setting || !*setting)
        return {};
    std::string text = setting;
    if (std::filesystem::is_directory(text)) {
        std::ifstream in(text + "/conninfo");
        std::getline(in, text);
    }
    return text;
}

// One side of the comparison: a driver with its customer file and a view by name.
struct Side {
    std::unique_ptr<RecordFileDriver> driver;
    Record customer{testsupport::customerLayout()};
    std::unique_ptr<RecordFile> customers;
    std::unique_ptr<RecordView> byName;
    std::string middleName, endName;
    int nextId = 0;

    void openView() {
        customers = driver->makeFile(customerDefinition(), customer);
        if (!customers->open())
            std::fprintf(stderr, "open failed: %s %s\n", errorText().c_str(),
                         lastError().driverText.c_str());
        byName = driver->makeView(*customers);
        byName->open();
        byName->setPaging(pageSize, 2, 0, 60);
        byName->setOrder("UPPER(CUS:NAME)");
        // Names at the middle and near the end of the name order, found by reading back
        // from the end (counting from the start would take long).
        byName->setStart();
        for (int i = 0; i < pageSize + 1; ++i)
            byName->previous();
        endName = clip(customer.field(3).text());
        customers->set(nameKey);
        customer.field(3).assign(std::string("M"));
        customers->setAt(nameKey);
        customers->next();
        middleName = clip(customer.field(3).text());
        customers->set(1);
        customers->previous();
        nextId = static_cast<int>(customer.field(1).integer()) + 1;
    }
};

std::string sqliteFolder() {
    return (std::filesystem::temp_directory_path() / "eip-bench-customers-pg").string();
}

Side& sqliteSide() {
    static Side side = [] {
        Side s;
        std::string folder = sqliteFolder();
        std::filesystem::create_directories(folder);
        std::string marker = folder + "/complete";
        s.driver = std::make_unique<sqlite::SqliteDriver>();
        s.driver->openFolder(folder);
        if (!std::filesystem::exists(marker)) {
            std::fprintf(stderr, "Generating %d customers in %s ...\n", customerCount,
                         folder.c_str());
            Record customer{testsupport::customerLayout()};
            auto file = s.driver->makeFile(customerDefinition(), customer);
            file->create();
            file->open();
            file->enlist();
            s.driver->begin(10);
            for (int id = 1; id <= customerCount; ++id) {
                fillCustomer(customer, id);
                file->add();
            }
            s.driver->commit();
            std::ofstream(marker) << customerCount << "\n";
        }
        s.openView();
        return s;
    }();
    return side;
}

// Loads the server's table with COPY from the same generator, once per server.
bool loadServer(const std::string& text) {
    postgres::Connection admin(text);
    bool ok = false;
    postgres::Result marker =
        admin.query("SELECT count(*) FROM pg_class WHERE relname = 'customer_bench_complete'", ok);
    if (!ok) {
        std::fprintf(stderr, "server: %s\n", lastError().driverText.c_str());
        return false;
    }
    if (marker.integer(0, 0) > 0)
        return true;
    std::fprintf(stderr, "Loading %d customers into the server ...\n", customerCount);
    {
        postgres::PostgresDriver driver(text);
        driver.openFolder(".");
        Record customer{testsupport::customerLayout()};
        auto file = driver.makeFile(customerDefinition(), customer);
        if (!file->create()) {
            std::fprintf(stderr, "create: %s\n", lastError().driverText.c_str());
            return false;
        }
    }
    PGconn* conn = PQconnectdb(text.c_str());
    PGresult* started =
        PQexec(conn, "COPY \"Customer\" (_id, \"CUSTOMERID\", \"NUMBER\", \"NAME\", "
                     "\"ADDRESS\", \"CITY\", \"STATE\", \"ZIP\", \"PHONE\", \"FAX\", "
                     "\"TOLLFREE\", \"CONTACT\") FROM STDIN");
    PQclear(started);
    Record customer{testsupport::customerLayout()};
    std::string chunk;
    for (int id = 1; id <= customerCount; ++id) {
        fillCustomer(customer, id);
        chunk += std::to_string(id);
        for (int n = 1; n <= customer.fieldCount(); ++n) {
            const FieldInfo& field = customer.layout()->field(n);
            records::SqlValue v =
                records::fieldCodec::valueOf(customer.data() + field.offset, field.type);
            chunk += '\t';
            chunk += v.type == records::SqlValue::Type::Text ? v.text : std::to_string(v.integer);
        }
        chunk += '\n';
        if (chunk.size() > (1 << 20) || id == customerCount) {
            PQputCopyData(conn, chunk.data(), static_cast<int>(chunk.size()));
            chunk.clear();
        }
    }
    PQputCopyEnd(conn, nullptr);
    PGresult* copied = PQgetResult(conn);
    bool done = PQresultStatus(copied) == PGRES_COMMAND_OK;
    if (!done)
        std::fprintf(stderr, "copy: %s\n", PQerrorMessage(conn));
    PQclear(copied);
    PQfinish(conn);
    return done && admin.execute("SELECT setval(pg_get_serial_sequence('\"Customer\"', '_id'), "
                                 "(SELECT max(_id) FROM \"Customer\")); ANALYZE \"Customer\"; "
                                 "CREATE TABLE customer_bench_complete ()");
}

Side* postgresSide() {
    static std::unique_ptr<Side> side = []() -> std::unique_ptr<Side> {
        std::string text = serverText();
        if (text.empty() || !loadServer(text))
            return nullptr;
        auto s = std::make_unique<Side>();
        s->driver = std::make_unique<postgres::PostgresDriver>(text);
        s->driver->openFolder(".");
        s->openView();
        return s;
    }();
    return side.get();
}

Side* sideOf(const std::string& name) {
    return name == "SQLite" ? &sqliteSide() : postgresSide();
}

void page(benchmark::State& state, Side* s, int where) {
    const std::string* name = where == 1 ? &s->middleName : where == 2 ? &s->endName : nullptr;
    for (auto _ : state) {
        if (name) {
            s->customer.field(3).assign(*name);
            s->byName->setAt(1);
        } else {
            s->byName->setStart();
        }
        for (int i = 0; i < pageSize; ++i)
            if (!s->byName->next())
                state.SkipWithError("short page");
    }
}

void locate(benchmark::State& state, Side* s) {
    s->customers->set(nameKey);
    for (auto _ : state) {
        s->customer.field(3).assign(s->middleName);
        s->customers->setAt(nameKey);
        if (!s->customers->next())
            state.SkipWithError("not found");
    }
}

void insert(benchmark::State& state, Side* s) {
    for (auto _ : state) {
        fillCustomer(s->customer, s->nextId++);
        if (!s->customers->add())
            state.SkipWithError(errorText().c_str());
    }
}

void update(benchmark::State& state, Side* s) {
    int id = customerCount / 3;
    for (auto _ : state) {
        s->customer.field(1).assign(id);
        s->customers->watch();
        if (!s->customers->get(1))
            state.SkipWithError("not found");
        s->customer.field(11).assign(std::to_string(state.iterations()));
        if (!s->customers->put())
            state.SkipWithError(errorText().c_str());
    }
}

// Stations at once: each process inserts a customer and updates a hot one (held while it
// is changed) in turn for a fixed time. Counts land in shared memory.
void stations(benchmark::State& state, const std::string& sideName, int count) {
    struct Tally {
        std::atomic<long> operations{0};
        std::atomic<long> conflicts{0};
    };
    auto* tally = static_cast<Tally*>(
        mmap(nullptr, sizeof(Tally), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    new (tally) Tally();
    constexpr double seconds = 3.0;
    std::string text = serverText();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::vector<pid_t> children;
        for (int n = 0; n < count; ++n) {
            pid_t pid = fork();
            if (pid == 0) {
                std::unique_ptr<RecordFileDriver> driver;
                if (sideName == "SQLite")
                    driver = std::make_unique<sqlite::SqliteDriver>();
                else
                    driver = std::make_unique<postgres::PostgresDriver>(text);
                driver->openFolder(sideName == "SQLite" ? sqliteFolder() : ".");
                Record customer{testsupport::customerLayout()};
                auto file = driver->makeFile(customerDefinition(), customer);
                file->open();
                file->sendOption("Recover=5");
                unsigned seed = static_cast<unsigned>(getpid());
                int nextId = 3'000'000 + 100'000 * n + static_cast<int>(seed % 50'000);
                auto end =
                    std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
                while (std::chrono::steady_clock::now() < end) {
                    fillCustomer(customer, nextId++);
                    if (file->add())
                        ++tally->operations;
                    else
                        ++tally->conflicts;
                    seed = seed * 1103515245u + 12345u;
                    customer.field(1).assign(static_cast<int>(1 + (seed >> 8) % hotCustomers));
                    file->hold();
                    file->watch();
                    if (file->get(1)) {
                        customer.field(11).assign(std::to_string(seed % 1000));
                        if (file->put())
                            ++tally->operations;
                        else
                            ++tally->conflicts;
                    } else {
                        ++tally->conflicts;
                    }
                }
                _exit(0);
            }
            children.push_back(pid);
        }
        for (pid_t pid : children)
            waitpid(pid, nullptr, 0);
        double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed / std::max(1L, tally->operations.load()));
    }
    state.counters["ops_per_s"] = static_cast<double>(tally->operations) / seconds;
    state.counters["conflicts"] = static_cast<double>(tally->conflicts);
    munmap(tally, sizeof(Tally));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> sides = {"Postgres", "SQLite"};
    if (serverText().empty()) {
        std::fprintf(stderr, "EIP_BENCH_POSTGRES is not set: only the SQLite side runs\n");
        sides = {"SQLite"};
    }
    for (const std::string& side : sides) {
        auto add = [&](const std::string& name, auto body) {
            benchmark::RegisterBenchmark((side + "/" + name).c_str(),
                                         [side, body](benchmark::State& state) {
                                             Side* s = sideOf(side);
                                             if (!s) {
                                                 state.SkipWithError("no server");
                                                 return;
                                             }
                                             body(state, s);
                                         });
        };
        add("PageStart", [](benchmark::State& st, Side* s) { page(st, s, 0); });
        add("PageMiddle", [](benchmark::State& st, Side* s) { page(st, s, 1); });
        add("PageEnd", [](benchmark::State& st, Side* s) { page(st, s, 2); });
        add("Locate", [](benchmark::State& st, Side* s) { locate(st, s); });
        add("Insert", [](benchmark::State& st, Side* s) { insert(st, s); });
        add("Update", [](benchmark::State& st, Side* s) { update(st, s); });
        for (int count : {1, 4})
            benchmark::RegisterBenchmark((side + "/Stations" + std::to_string(count)).c_str(),
                                         [side, count](benchmark::State& state) {
                                             sideOf(side); // made before the stations fork
                                             stations(state, side, count);
                                         })
                ->Iterations(1)
                ->UseManualTime();
    }
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable("Postgres", "SQLite");
    benchmark::Shutdown();
    return 0;
}
