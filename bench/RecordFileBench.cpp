// The record-file driver against hand-written SQLite on a file of 1,000,000 customers.
// Every case runs twice in the same process: "Driver/<case>" through RecordFile and
// RecordView, "SQLite/<case>" with the best query written directly against SQLite's C
// API, reading into the same record buffer. At the end a table gives driver / SQLite
// for each case. Targets: paging and locating within 1.5x and the same at the end of
// the file as at the start; inserts within 2x.
//
// The customer file is generated once (through the driver, in one transaction frame)
// into a folder under the system's temporary directory and reused by later runs.
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/sqlite/SqliteDriver.h"

#include "bench/support/RatioReporter.h"
#include "tests/support/ShopLayouts.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace host;

namespace {

constexpr int customerCount = 1'000'000;
constexpr int pageSize = 20;
constexpr int idKey = 1;
constexpr int nameKey = 2;

const char* lastNames[] = {
    "Smith",     "Johnson", "Williams", "Brown",    "Jones",  "Miller", "Davis",     "Garcia",
    "Rodriguez", "Wilson",  "Martinez", "Anderson", "Taylor", "Thomas", "Hernandez", "Moore",
    "Martin",    "Jackson", "Thompson", "White",    "Lopez",  "Lee",    "Gonzalez",  "Harris",
    "Clark",     "Lewis",   "Robinson", "Walker",   "Perez",  "Hall",   "Young",     "Allen"};
const char* firstNames[] = {"James",   "Mary",  "Robert", "Patricia",  "John",    "Jennifer",
                            "Michael", "Linda", "David",  "Elizabeth", "William", "Barbara",
                            "Richard", "Susan", "Joseph", "Jessica",   "Thomas",  "Sarah",
                            "Charles", "Karen", "Daniel", "Nancy",     "Matthew", "Lisa",
                            "Anthony", "Betty", "Mark",   "Sandra"};
const char* cities[] = {"Springfield",  "Shelbyville", "Ogdenville",    "North Haverbrook",
                        "Capital City", "Brockway",    "Cypress Creek", "Waverly Hills"};

using testsupport::customerLayout;

FileDefinition customerDefinition() {
    FileDefinition definition("CUSTOMER", "CUS", customerLayout());
    definition.setNameOnDisk("Customer");
    definition.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, true, true);
    definition.addKey("CUS:NAMEK", {"CUS:NAME"}, true, true);
    definition.addKey("CUS:NUMBERK", {"CUS:NUMBER"}, true, true);
    return definition;
}

// A customer of the generated file: names repeat now and then, as real ones do.
void fillCustomer(Record& customer, int id) {
    unsigned h = static_cast<unsigned>(id) * 2654435761u;
    customer.clear();
    customer.field(1).assign(id);
    customer.field(2).assign(std::to_string(id % 10000));
    customer.field(3).assign(std::string(lastNames[h % 32]) + ", " + firstNames[(h >> 5) % 28] +
                             " " + std::to_string((h >> 10) % 5000));
    customer.field(4).assign(std::to_string(h % 9000 + 100) + " Main Street");
    customer.field(5).assign(cities[(h >> 3) % 8]);
    customer.field(6).assign("IL");
    customer.field(7).assign(std::to_string(60000 + h % 9999));
    customer.field(8).assign("555" + std::to_string(1000000 + h % 8999999));
    customer.field(11).assign(firstNames[(h >> 7) % 28]);
}

// The hand-written side: columns straight into the record buffer.
void loadRow(sqlite3_stmt* row, Record& customer) {
    const RecordLayout& layout = *customer.layout();
    std::byte* data = customer.data();
    for (int n = 1; n <= layout.fieldCount(); ++n) {
        const FieldInfo& field = layout.field(n);
        if (field.type.kind == FieldKind::Long) {
            std::int32_t v = sqlite3_column_int(row, n);
            std::memcpy(data + field.offset, &v, sizeof v);
        } else {
            const unsigned char* text = sqlite3_column_text(row, n);
            size_t length = std::min<size_t>(static_cast<size_t>(sqlite3_column_bytes(row, n)),
                                             field.type.size);
            std::memcpy(data + field.offset, text, length);
            std::memset(data + field.offset + length, ' ', field.type.size - length);
        }
    }
}

// Reads the rows of a page statement into the buffer one after another and resets the
// statement; the number of rows.
int loadPage(sqlite3_stmt* query, Record& customer) {
    int rows = 0;
    while (sqlite3_step(query) == SQLITE_ROW) {
        loadRow(query, customer);
        ++rows;
    }
    sqlite3_reset(query);
    return rows;
}

void bindRecord(sqlite3_stmt* statement, const Record& customer) {
    const RecordLayout& layout = *customer.layout();
    for (int n = 1; n <= layout.fieldCount(); ++n) {
        const FieldInfo& field = layout.field(n);
        const std::byte* at = customer.data() + field.offset;
        if (field.type.kind == FieldKind::Long) {
            std::int32_t v;
            std::memcpy(&v, at, sizeof v);
            sqlite3_bind_int(statement, n, v);
        } else {
            size_t length = field.type.size;
            while (length > 0 && at[length - 1] == std::byte{' '})
                --length;
            sqlite3_bind_text(statement, n, reinterpret_cast<const char*>(at),
                              static_cast<int>(length), SQLITE_STATIC);
        }
    }
}

const char* columns = "_id, CUSTOMERID, NUMBER, NAME, ADDRESS, CITY, STATE, ZIP, PHONE, FAX, "
                      "TOLLFREE, CONTACT";

class Bench {
public:
    std::string folder =
        (std::filesystem::temp_directory_path() / "eip-bench-customers-1").string();
    sqlite::SqliteDriver driver;
    Record customer{customerLayout()};
    std::unique_ptr<RecordFile> customers;
    std::unique_ptr<RecordView> byName;
    sqlite3* raw = nullptr;
    std::string middleName, nearEndName;
    int nextId = 2'000'000;

    static Bench& instance() {
        static Bench bench;
        return bench;
    }

    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v3(raw, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement,
                               nullptr) != SQLITE_OK)
            std::fprintf(stderr, "prepare failed: %s\n%s\n", sqlite3_errmsg(raw), sql.c_str());
        return statement;
    }
    std::string nameAtRank(int rank) {
        sqlite3_stmt* s =
            prepare("SELECT NAME FROM Customer ORDER BY NAME COLLATE NOCASE, _id LIMIT 1 OFFSET " +
                    std::to_string(rank));
        sqlite3_step(s);
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
        return name;
    }

private:
    Bench() {
        std::filesystem::create_directories(folder);
        std::string marker = folder + "/complete";
        driver.openFolder(folder);
        customers = driver.makeFile(customerDefinition(), customer);
        if (!std::filesystem::exists(marker) || !customers->open()) {
            std::fprintf(stderr, "Generating %d customers in %s ...\n", customerCount,
                         folder.c_str());
            customers->close();
            customers->create();
            customers->open();
            customers->enlist();
            driver.begin(10);
            for (int id = 1; id <= customerCount; ++id) {
                fillCustomer(customer, id);
                if (!customers->add())
                    std::fprintf(stderr, "add failed: %s\n", errorText().c_str());
            }
            driver.commit();
            std::ofstream(marker) << customerCount << "\n";
        }
        byName = driver.makeView(*customers);
        byName->open();
        byName->setPaging(pageSize, 2, 0, 60);
        byName->setOrder("UPPER(CUS:NAME)");
        sqlite3_open_v2((folder + "/data.sqlite").c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                     nullptr);
        sqlite3_busy_timeout(raw, 2000);
        // Start from an empty log, so that no case pays for the previous run's checkpoint.
        sqlite3_wal_checkpoint_v2(raw, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        sqlite3_stmt* highest = prepare("SELECT max(CUSTOMERID) FROM Customer");
        sqlite3_step(highest);
        nextId = std::max(nextId, sqlite3_column_int(highest, 0) + 1);
        sqlite3_finalize(highest);
        middleName = nameAtRank(customerCount / 2);
        nearEndName = nameAtRank(customerCount - pageSize);
    }
};

// ---- Paging and locating ----------------------------------------------------------------

void driverPage(benchmark::State& state, const std::string* name, bool backward) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        if (name) {
            b.customer.field(3).assign(*name);
            b.byName->setAt(1);
        } else {
            b.byName->setStart();
        }
        for (int i = 0; i < pageSize; ++i)
            if (!(backward ? b.byName->previous() : b.byName->next()))
                state.SkipWithError("short page");
        benchmark::DoNotOptimize(b.customer.data());
    }
}

void sqlitePage(benchmark::State& state, const std::string* name, bool backward) {
    Bench& b = Bench::instance();
    std::string order = backward ? " ORDER BY NAME COLLATE NOCASE DESC, _id DESC"
                                 : " ORDER BY NAME COLLATE NOCASE, _id";
    std::string where =
        name ? (backward ? " WHERE NAME COLLATE NOCASE <= ?1" : " WHERE NAME COLLATE NOCASE >= ?1")
             : "";
    sqlite3_stmt* query = b.prepare(std::string("SELECT ") + columns + " FROM Customer" + where +
                                    order + " LIMIT 20");
    for (auto _ : state) {
        if (name)
            sqlite3_bind_text(query, 1, name->c_str(), static_cast<int>(name->size()),
                              SQLITE_STATIC);
        if (loadPage(query, b.customer) != pageSize)
            state.SkipWithError("short page");
        benchmark::DoNotOptimize(b.customer.data());
    }
    sqlite3_finalize(query);
}

void driverLocate(benchmark::State& state) {
    Bench& b = Bench::instance();
    b.customers->set(nameKey);
    for (auto _ : state) {
        b.customer.field(3).assign(b.middleName);
        b.customers->setAt(nameKey);
        if (!b.customers->next())
            state.SkipWithError("not found");
    }
}

void sqliteLocate(benchmark::State& state) {
    Bench& b = Bench::instance();
    sqlite3_stmt* query =
        b.prepare(std::string("SELECT ") + columns +
                  " FROM Customer WHERE NAME COLLATE NOCASE >= ?1 ORDER BY NAME COLLATE "
                  "NOCASE, _id LIMIT 1");
    for (auto _ : state) {
        sqlite3_bind_text(query, 1, b.middleName.c_str(), static_cast<int>(b.middleName.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(query) != SQLITE_ROW)
            state.SkipWithError("not found");
        loadRow(query, b.customer);
        sqlite3_reset(query);
    }
    sqlite3_finalize(query);
}

// ---- Filtered pages, as query by example writes them ------------------------------------

void driverFiltered(benchmark::State& state, const char* filter) {
    Bench& b = Bench::instance();
    auto view = b.driver.makeView(*b.customers);
    view->open();
    view->setPaging(pageSize, 2, 0, 60);
    view->setOrder("UPPER(CUS:NAME)");
    if (!view->setFilter(filter))
        state.SkipWithError(errorText().c_str());
    for (auto _ : state) {
        view->setStart();
        for (int i = 0; i < pageSize; ++i)
            if (!view->next())
                state.SkipWithError("short page");
    }
}

void sqliteFiltered(benchmark::State& state, const char* where) {
    Bench& b = Bench::instance();
    sqlite3_stmt* query = b.prepare(std::string("SELECT ") + columns + " FROM Customer WHERE " +
                                    where + " ORDER BY NAME COLLATE NOCASE, _id LIMIT 20");
    for (auto _ : state) {
        if (loadPage(query, b.customer) != pageSize)
            state.SkipWithError("short page");
    }
    sqlite3_finalize(query);
}

// ---- Writes ---------------------------------------------------------------------------------

void driverInsert(benchmark::State& state, int perFrame) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        if (perFrame > 1) {
            b.customers->enlist();
            b.driver.begin(2);
        }
        for (int i = 0; i < perFrame; ++i) {
            fillCustomer(b.customer, b.nextId++);
            if (!b.customers->add())
                state.SkipWithError(errorText().c_str());
        }
        if (perFrame > 1)
            b.driver.commit();
    }
}

void sqliteInsert(benchmark::State& state, int perFrame) {
    Bench& b = Bench::instance();
    sqlite3_stmt* insert =
        b.prepare("INSERT INTO Customer (CUSTOMERID, NUMBER, NAME, ADDRESS, CITY, STATE, ZIP, "
                  "PHONE, FAX, TOLLFREE, CONTACT) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
                  "?10, ?11)");
    for (auto _ : state) {
        if (perFrame > 1)
            sqlite3_exec(b.raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int i = 0; i < perFrame; ++i) {
            fillCustomer(b.customer, b.nextId++);
            bindRecord(insert, b.customer);
            if (sqlite3_step(insert) != SQLITE_DONE)
                state.SkipWithError(sqlite3_errmsg(b.raw));
            sqlite3_reset(insert);
        }
        if (perFrame > 1)
            sqlite3_exec(b.raw, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(insert);
}

void driverUpdate(benchmark::State& state) {
    Bench& b = Bench::instance();
    b.customer.field(1).assign(customerCount / 3);
    b.customers->get(idKey);
    int n = 0;
    for (auto _ : state) {
        b.customer.field(5).assign(cities[++n % 8]);
        if (!b.customers->put())
            state.SkipWithError(errorText().c_str());
    }
}

void sqliteUpdate(benchmark::State& state) {
    Bench& b = Bench::instance();
    sqlite3_stmt* update =
        b.prepare("UPDATE Customer SET CUSTOMERID = ?1, NUMBER = ?2, NAME = ?3, ADDRESS = ?4, "
                  "CITY = ?5, STATE = ?6, ZIP = ?7, PHONE = ?8, FAX = ?9, TOLLFREE = ?10, "
                  "CONTACT = ?11 WHERE _id = ?12");
    fillCustomer(b.customer, customerCount / 3);
    int n = 0;
    for (auto _ : state) {
        b.customer.field(5).assign(cities[++n % 8]);
        bindRecord(update, b.customer);
        sqlite3_bind_int(update, 12, customerCount / 3);
        if (sqlite3_step(update) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(b.raw));
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
}

// Deletes the customers that the insert cases added, newest first, one per iteration.
void driverDelete(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        b.customer.field(1).assign(--b.nextId);
        if (!b.customers->get(idKey) || !b.customers->remove())
            state.SkipWithError(errorText().c_str());
    }
}

void sqliteDelete(benchmark::State& state) {
    Bench& b = Bench::instance();
    sqlite3_stmt* erase = b.prepare("DELETE FROM Customer WHERE CUSTOMERID = ?1");
    for (auto _ : state) {
        sqlite3_bind_int(erase, 1, --b.nextId);
        if (sqlite3_step(erase) != SQLITE_DONE || sqlite3_changes(b.raw) != 1)
            state.SkipWithError("not deleted");
        sqlite3_reset(erase);
    }
    sqlite3_finalize(erase);
}

} // namespace

int main(int argc, char** argv) {
    Bench& b = Bench::instance();
    const std::string* start = nullptr;
    auto both = [](const std::string& name, auto driverCase, auto sqliteCase) {
        benchmark::RegisterBenchmark(("Driver/" + name).c_str(), driverCase);
        benchmark::RegisterBenchmark(("SQLite/" + name).c_str(), sqliteCase);
    };
    both(
        "FirstPageByName", [=](auto& s) { driverPage(s, start, false); },
        [=](auto& s) { sqlitePage(s, start, false); });
    both(
        "PageForwardFromMiddle", [&](auto& s) { driverPage(s, &b.middleName, false); },
        [&](auto& s) { sqlitePage(s, &b.middleName, false); });
    both(
        "PageBackwardFromMiddle", [&](auto& s) { driverPage(s, &b.middleName, true); },
        [&](auto& s) { sqlitePage(s, &b.middleName, true); });
    both(
        "PageForwardAtTheEnd", [&](auto& s) { driverPage(s, &b.nearEndName, false); },
        [&](auto& s) { sqlitePage(s, &b.nearEndName, false); });
    both(
        "PageBackwardFromTheEnd", [=](auto& s) { driverPage(s, start, true); },
        [=](auto& s) { sqlitePage(s, start, true); });
    both("LocateByName", driverLocate, sqliteLocate);
    both(
        "ContainsFilterPage",
        [](auto& s) { driverFiltered(s, "INSTRING('SON',UPPER(CUS:NAME),1,1) <> 0"); },
        [](auto& s) { sqliteFiltered(s, "instr(upper(NAME), 'SON') > 0"); });
    both(
        "BeginsFilterPage", [](auto& s) { driverFiltered(s, "SUB(UPPER(CUS:NAME),1,3) = 'MIL'"); },
        [](auto& s) {
            sqliteFiltered(s, "NAME COLLATE NOCASE >= 'MIL' AND NAME COLLATE NOCASE < 'MIM'");
        });
    for (const char* name : {"Driver/Insert", "SQLite/Insert"})
        benchmark::RegisterBenchmark(
            name, name[0] == 'D' ? [](benchmark::State& s) { driverInsert(s, 1); }
                                 : [](benchmark::State& s) { sqliteInsert(s, 1); })
            ->Iterations(300);
    both(
        "Insert100InAFrame", [](auto& s) { driverInsert(s, 100); },
        [](auto& s) { sqliteInsert(s, 100); });
    for (const char* name : {"Driver/Update", "SQLite/Update"})
        benchmark::RegisterBenchmark(name, name[0] == 'D' ? driverUpdate : sqliteUpdate)
            ->Iterations(300);
    for (const char* name : {"Driver/Delete", "SQLite/Delete"})
        benchmark::RegisterBenchmark(name, name[0] == 'D' ? driverDelete : sqliteDelete)
            ->Iterations(300);

    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable("Driver", "SQLite");
    benchmark::Shutdown();
    return 0;
}
