// Query by example over a large Customer file: a page of 20 customers by name read
// through the Customer view under a query's filter, against hand-written SQLite queries
// for the same page on the same data base, in the same run; and adding customers with the
// search index kept, against adding them to the same file without it.
//
//   Query/BeginsPage     the query "^<prefix>*" on the name (SUB(UPPER(CUS:NAME),1,n) =
//                        'PREFIX'): the filter set on the view, the first page read
//   Apply/BeginsFilter   the same with the filter set anew each time (parsed, translated
//                        and its statement prepared): applying the query
//   SQLite/BeginsPage    SELECT ... WHERE NAME >= ?1 COLLATE NOCASE AND NAME < ?2 COLLATE
//                        NOCASE ORDER BY NAME COLLATE NOCASE LIMIT 20
//   Query/ContainsPage   the query "^*<text>" on the name (INSTRING('TEXT',
//                        UPPER(CUS:NAME),1,1) <> 0), served by the trigram index
//   SQLite/ContainsPage  SELECT ... WHERE instr(upper(NAME), ?1) > 0 ORDER BY NAME
//                        COLLATE NOCASE LIMIT 20: the scan a file without the index needs
//   Indexed/Add1000      1,000 customers added in one transaction frame to a file whose
//                        name and contact are searched fields (the index kept: the rows
//                        noted by triggers, put into it when the frame commits)
//   Plain/Add1000        the same to a file declared without searched fields
//
// The text sought is a run of six digits that few customers' names hold (a customer's
// name ends with its number), so the scan reads the whole name index for its page. At the end the
// sizes on disk of the Customer table, its indexes and the search index are printed (SQLite's
// dbstat).
//
// The Customer file is the browse benchmark's (bench-data/customers-<records> of the build
// folder, made by the sample-data tool's code on first use, which adds the customers with
// the search index set aside and makes it once from all of them afterwards).
// EIP_BENCH_CUSTOMERS sets the size (10,000,000 by default; 100000 for a quick run).
//
// Measured on the build machine (2 shared cores, busy with other builds) on a Customer
// file of 10,000,000 records (made in 280 s, 36,000 customers a second, and its search
// index in 44 s more), CPU time, two runs of three repetitions each:
//
//   case            query        sqlite         ratio
//   BeginsPage      26.1-26.9 us 14.8-15.1 us   1.72-1.81x   (real time 1.70-1.84x)
//   ContainsPage    2.3-2.4 ms   1,897-1,932 ms 1/800-1/840  (real time 1/520-1/890)
//   Apply/BeginsFilter: 63 us (the filter parsed, translated and prepared, then the page)
//
//   Add1000         indexed 12.9-18.1 ms, plain 10.1-13.0 ms: 1.28-1.40x CPU, 1.13-1.15x
//                   real time
//
// Sizes on disk: table 1,135 MB, key indexes 669 MB, search index 360 MB (0.32 of the
// table).
//
// Before, on 1,150,000 records: BeginsPage 1.6-2.0x, ContainsPage 1/570-1/690, Add1000
// 2.5-3.2x CPU, the search index 0.85 of the table. The index kept which column held each
// trigram; it keeps only the rows now, and added rows go into it together when their
// transaction frame commits: SQLite's FTS5 wrote out its memory at every statement, so
// each add had cost a write to the index of its own. On 10,000,000 records the page
// beginning with "Bradley, " (the middle name's first nine characters, the last a blank)
// had taken 113 ms: the test for a prefix shorter than its SUB was two searches merged and
// sorted (34,014 rows); it is one range of the name key now.
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "framework/query/QueryBuilder.h"
#include "runtime/base/Record.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tools/SampleData.h"

#include "bench/support/BaselineQuery.h"
#include "bench/support/ProgramFiles.h"
#include "bench/support/RatioReporter.h"
#include "bench/support/SampleFolder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <string>

namespace {

constexpr int pageRows = 20;
constexpr int addsPerFrame = 1000;

std::int64_t fullSize() {
    const char* size = std::getenv("EIP_BENCH_CUSTOMERS");
    std::int64_t count = size ? std::atoll(size) : 0;
    return count > 0 ? count : 10'000'000;
}

// The Customer file, the program's data dictionary over it with a view by name, the
// query's two filters, and a read-only connection of its own for the hand-written queries.
class Harness {
public:
    Harness() : records(fullSize()), folder(benchsupport::customersFolder(records)) {
        app::CustomerLink->Open();
        view = driver.makeView(*app::CustomerFile);
        view->open();
        view->setOrder("UPPER(CUS:NAME)");

        std::string dataBase = folder + "/" + host::sqlite::SqliteDriver::dataBaseName;
        sqlite3_open_v2(dataBase.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        // A prefix that begins a run of names in the middle of the file: the first nine
        // characters of the middle record's name ("Surname, G").
        sqlite3_stmt* middle = prepare("SELECT NAME FROM CUSTOMER WHERE _id >= ?1 LIMIT 1");
        sqlite3_bind_int64(middle, 1, records / 2);
        if (sqlite3_step(middle) == SQLITE_ROW)
            prefix = std::string(reinterpret_cast<const char*>(sqlite3_column_text(middle, 0)))
                         .substr(0, 9);
        sqlite3_finalize(middle);

        query.Setup("QueryBench");
        query.AddItem("CUS:NAME", "Name", "@s30");
        query.SetFieldText(1, framework::QueryBuilder::MiddleField, "^" + prefix + "*");
        beginsFilter = query.BuildFilter();
        query.SetFieldText(1, framework::QueryBuilder::MiddleField, "^*" + needle);
        containsFilter = query.BuildFilter();

        const char* columns = "SELECT _id, _version, CUSTOMERID, NUMBER, NAME, ADDRESS, CITY, "
                              "STATE, ZIP, PHONE, FAX, TOLLFREE, CONTACT FROM CUSTOMER ";
        begins = prepare(std::string(columns) +
                         "WHERE NAME >= ?1 COLLATE NOCASE AND NAME < ?2 COLLATE NOCASE "
                         "ORDER BY NAME COLLATE NOCASE LIMIT 20");
        scan = prepare(std::string(columns) +
                       "WHERE instr(upper(NAME), ?1) > 0 ORDER BY NAME COLLATE NOCASE LIMIT 20");
    }
    ~Harness() {
        sqlite3_finalize(begins);
        sqlite3_finalize(scan);
        sqlite3_close(db);
        view->close();
    }

    sqlite3_stmt* prepare(const std::string& sql) { return benchsupport::prepareBaseline(db, sql); }

    // The first page under `filter`, as the browse reads it again after a reload; the
    // filter is set (parsed, translated, its statement prepared) only when it changes,
    // unless `apply`.
    int viewPage(const std::string& filter, bool apply = false) {
        if ((apply || view->filter() != filter) && !view->setFilter(filter)) {
            std::fprintf(stderr, "the view refused %s\n", filter.c_str());
            std::exit(1);
        }
        view->setStart();
        int rows = 0;
        while (rows < pageRows && view->next())
            ++rows;
        return rows;
    }

    int sqlPage(sqlite3_stmt* statement) {
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(statement, 4));
            ++rows;
        }
        sqlite3_reset(statement);
        return rows;
    }

    // Pages on disk of the Customer table and its indexes, and of the search index.
    void printSizes() {
        sqlite3_stmt* sizes = prepare(
            "SELECT CASE WHEN name LIKE 'CUSTOMER_search%' THEN 'search index' "
            "WHEN name = 'CUSTOMER' THEN 'table' ELSE 'key indexes' END, sum(pgsize) "
            "FROM dbstat WHERE name LIKE 'CUSTOMER%' OR name IN (SELECT name FROM sqlite_schema "
            "WHERE tbl_name = 'CUSTOMER' AND type = 'index') GROUP BY 1 ORDER BY 1");
        std::printf("\nCustomer file of %s records on disk:\n", sample::grouped(records).c_str());
        while (sqlite3_step(sizes) == SQLITE_ROW)
            std::printf("  %-14s %10.1f MB\n",
                        reinterpret_cast<const char*>(sqlite3_column_text(sizes, 0)),
                        static_cast<double>(sqlite3_column_int64(sizes, 1)) / 1e6);
        sqlite3_finalize(sizes);
    }

    std::int64_t records;
    std::string folder;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
    benchsupport::ProgramFiles files{folder, errors, registry};
    host::sqlite::SqliteDriver& driver = files.driver;
    std::unique_ptr<host::RecordView> view;
    framework::QueryBuilder query;
    std::string prefix;
    const std::string needle = "135792";
    std::string beginsFilter, containsFilter;
    sqlite3* db = nullptr;
    sqlite3_stmt* begins = nullptr;
    sqlite3_stmt* scan = nullptr;
};

Harness& harness() {
    static Harness made;
    return made;
}

void queryBegins(benchmark::State& state) {
    Harness& h = harness();
    int rows = 0;
    for (auto _ : state)
        rows = h.viewPage(h.beginsFilter);
    state.counters["rows"] = rows;
}

// Applying the query: the filter set on the view, then its first page.
void applyBegins(benchmark::State& state) {
    Harness& h = harness();
    int rows = 0;
    for (auto _ : state)
        rows = h.viewPage(h.beginsFilter, true);
    state.counters["rows"] = rows;
}

void sqliteBegins(benchmark::State& state) {
    Harness& h = harness();
    std::string low = h.prefix, high = h.prefix;
    for (char& c : low)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    high = low;
    high.back() = static_cast<char>(high.back() + 1);
    sqlite3_bind_text(h.begins, 1, low.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(h.begins, 2, high.c_str(), -1, SQLITE_TRANSIENT);
    int rows = 0;
    for (auto _ : state)
        rows = h.sqlPage(h.begins);
    state.counters["rows"] = rows;
}

void queryContains(benchmark::State& state) {
    Harness& h = harness();
    int rows = 0;
    for (auto _ : state)
        rows = h.viewPage(h.containsFilter);
    state.counters["rows"] = rows;
}

void sqliteContains(benchmark::State& state) {
    Harness& h = harness();
    sqlite3_bind_text(h.scan, 1, h.needle.c_str(), -1, SQLITE_TRANSIENT);
    int rows = 0;
    for (auto _ : state)
        rows = h.sqlPage(h.scan);
    state.counters["rows"] = rows;
}

// The customer file without its searched fields.
host::FileDefinition unsearched() {
    host::FileDefinition marked = app::files::customer();
    host::FileDefinition plain(marked.label(), marked.prefix(), marked.layout());
    for (const host::KeyDefinition& key : marked.keys())
        plain.addKey(key);
    return plain;
}

void addCustomers(benchmark::State& state, const host::FileDefinition& definition) {
    std::string folder = std::string(EIP_BENCH_DATA) + "/adds-" + definition.label() +
                         std::to_string(definition.searchedFields().size());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    host::sqlite::SqliteDriver driver;
    driver.openFolder(folder);
    host::Record record(definition.layout());
    auto file = driver.makeFile(definition, record);
    file->create();
    file->open(0x42);
    std::int64_t next = 0;
    for (auto _ : state) {
        driver.begin(10);
        for (int n = 0; n < addsPerFrame; ++n, ++next) {
            record.clear();
            record.field("CUS:CUSTOMERID").assign(host::Value(static_cast<long long>(next + 1)));
            record.field("CUS:NUMBER").assign(host::Value(sample::customerNumber(next + 1)));
            record.field("CUS:NAME").assign(host::Value(sample::customerName(next, 1'000'000)));
            record.field("CUS:CITY").assign(host::Value("Springfield"));
            record.field("CUS:CONTACT").assign(host::Value("Ann Baker"));
            if (!file->add()) {
                state.SkipWithError("add failed");
                break;
            }
        }
        driver.commit();
    }
    file->close();
    std::filesystem::remove_all(folder);
}

void indexedAdds(benchmark::State& state) {
    addCustomers(state, app::files::customer());
}

void plainAdds(benchmark::State& state) {
    addCustomers(state, unsearched());
}

} // namespace

int main(int argc, char** argv) {
    host::headless::HeadlessSession headless;
    benchmark::RegisterBenchmark("Query/BeginsPage", queryBegins);
    benchmark::RegisterBenchmark("SQLite/BeginsPage", sqliteBegins);
    benchmark::RegisterBenchmark("Apply/BeginsFilter", applyBegins);
    benchmark::RegisterBenchmark("Query/ContainsPage", queryContains);
    benchmark::RegisterBenchmark("SQLite/ContainsPage", sqliteContains);
    benchmark::RegisterBenchmark("Indexed/Add1000", indexedAdds);
    benchmark::RegisterBenchmark("Plain/Add1000", plainAdds);
    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable("Query", "SQLite");
    reporter.printTable("Indexed", "Plain");
    harness().printSizes();
    return 0;
}
