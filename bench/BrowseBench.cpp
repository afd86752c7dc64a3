// The customer browse over a large Customer file: a page of 20 rows by name read, filled
// and formatted by the browse list, against hand-written SQLite queries for the same rows
// on the same data base, in the same run.
//
//   Browse/<case>  a headless window with an immediate list of 20 rows over the Customer
//                  view by CUS:NAMEK (BrowseList, TypedLocator): the page read, filled
//                  into the list's queue and formatted (Control::formattedRows)
//   Keyset/<case>  SELECT ... FROM CUSTOMER WHERE NAME >= ?1 COLLATE NOCASE
//                  ORDER BY NAME COLLATE NOCASE LIMIT 20, from the page's first name
//   Offset/<case>  SELECT ... ORDER BY NAME COLLATE NOCASE LIMIT 20 OFFSET k, the same page
//
// Cases: PageStart (scroll to the top), PageMiddle (located on the middle name),
// PageEnd (scroll to the bottom), LocateByTyping (a letter typed into the locator; the
// baseline reads the page from that letter). Memory/<records> gives the resident memory
// (VmRSS) after paging through a file of 10,000 records and one of the full size.
//
// The Customer files are made by the sample-data tool's code on first use and kept in
// bench-data/customers-<records> of the build folder. EIP_BENCH_CUSTOMERS sets the size
// (10,000,000 by default; 100000 for a quick run).
//
// ViewSql/<case> runs the Customer view's own statements for the same pages, so that the
// driver's share of the browse's time can be told from the framework's.
//
// Measured on the build machine (2 shared cores, 10,000,000 customers: 1.7 GB, made by
// the tool in 11 minutes; CPU time per page):
//
//   case            browse   keyset  view sql  offset        browse/keyset
//   PageStart        33 us    24 us    27 us       23 us     1.4x
//   PageMiddle       33 us    24 us    26 us   235,000 us    1.4x
//   PageEnd          33 us    23 us    26 us   468,000 us    1.4x
//   LocateByTyping   98 us    89 us    91 us                 1.1x
//
// Measured again later (10,000,000 customers, two runs): browse 31-33 us a page, keyset
// 22-23 us, 1.39-1.47x; LocateByTyping 1.12-1.18x. The list's queue had come to pack its
// rows (for the item list's memory), and the packer looked for a run at every byte of a
// row's text, which took a fifth of a page and the pages to 1.8-1.9x. It now passes most
// bytes with one comparison, an emptied queue keeps its first block for the next page,
// and text cells under text pictures are cut from the row's bytes directly. What remains
// beyond the keyset query is the rows read into the record, filled, packed and formatted.
//
// The end costs what the start costs (1.00x); OFFSET is 14,000x slower at the end.
// Resident memory after paging: 7.0 MB with 10,000 customers, 9.0 MB with 10,000,000,
// of which the browse and its files took 2.2 MB and 2.0 MB: it does not grow with the
// file. The view's statement alone is 1.1x the keyset query: its order (the name, the
// name key's placeholders' term, the row id) is the name index's own, so SQLite walks the
// index with no sort; it reads the order values besides the fields. The framework adds
// about 7 us a page (the list's queue filled, the rows formatted). A data folder whose
// indexes were written before the placeholders' term was an order term has them made
// again on its first writable open: under 40 s, once, for 10,000,000 customers.
#include "app/DataDictionary.h"
#include "framework/browse/BrowseList.h"
#include "framework/browse/TypedLocator.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "framework/window/WindowController.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Record.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tools/SampleData.h"

#include "bench/support/BaselineQuery.h"
#include "bench/support/ProgramFiles.h"
#include "bench/support/RatioReporter.h"
#include "bench/support/SampleFolder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using framework::Severity;

constexpr int pageRows = 20;
constexpr std::int64_t smallFile = 10'000;

std::int64_t fullSize() {
    const char* size = std::getenv("EIP_BENCH_CUSTOMERS");
    std::int64_t count = size ? std::atoll(size) : 0;
    return count > 0 ? count : 10'000'000;
}

using benchsupport::residentKilobytes;

const char* const browseWindow = R"(
window P33$BROWSEBENCH "Browse the Customer File" at=0,0,420,260 mdi resizable
  list 1 at=4,4,410,240 from=Queue:Browse vscroll immediate items=20 \
         format="124L(2)|M~Name~@s30@24L(2)|M~Number~@s4@64L(2)|M~City~@s15@12L(2)|M~State~@s2@60L(2)|M~Phone~@P(###)###-####P@"
end)";

// The customer browse's window: the list with its queue, the browse list by name and
// its typed locator.
class BrowseWindow : public framework::WindowController {
public:
    explicit BrowseWindow(host::RecordView& view) : view_(view) {}

    Severity Setup() override {
        Severity level = WindowController::Setup();
        if (level != Severity::Benign)
            return level;
        window = benchsupport::windowFrom(browseWindow);
        window->bind("Queue:Browse", queue);
        app::CustomerLink->Open();
        OpenWindow(*window);
        host::Record& row = queue.buffer();
        host::Record& customer = app::CustomerRecord;
        browse.Setup(*this, 1, queue, row.field("POSITION"), view_, *app::CustomerLink);
        browse.DefineSortOrder("CUS:NAMEK");
        locator.Setup(0, customer.field("CUS:NAME"), true, browse);
        browse.SetLocator(locator);
        for (const char* field : {"NAME", "NUMBER", "CITY", "STATE", "PHONE"})
            browse.MapColumn(customer.field(std::string("CUS:") + field), row.field(field));
        ArmKeys();
        browse.ReapplySort(1);
        browse.RefreshControls();
        return Severity::Benign;
    }

    // What the user sees of the list after each step: the page formatted, and the events
    // the step posted taken from the queue.
    std::size_t show() {
        browse.RefreshControls();
        std::size_t cells = 0;
        for (const auto& cellsOfRow : window->control(1)->formattedRows())
            cells += cellsOfRow.size();
        while (window->pendingEvents() > 0 && window->nextEvent())
            window->endCycle(host::CycleEnd::Consumed);
        return cells;
    }

    void scroll(host::EventKind event) {
        browse.OnScroll(event);
        show();
    }
    // The page from the first name at or after `name` (as a locator entry does).
    void locate(const std::string& name) {
        app::CustomerRecord.field("CUS:NAME").assign(host::Value(name));
        browse.ResetToBuffer();
        show();
    }
    // A keystroke in the list that the locator takes.
    void type(char letter) {
        locator.Clear();
        host::setKeyCode(host::KeyCode::letter(letter));
        browse.OnKey();
        show();
    }
    std::string firstName() {
        queue.get(1);
        return host::clip(queue.buffer().field("NAME").text());
    }

    std::unique_ptr<host::Window> window;
    host::Queue queue{std::make_shared<const host::RecordLayout>(
        std::initializer_list<std::pair<std::string, host::FieldType>>{
            {"NAME", host::FieldType::text(30)},
            {"NUMBER", host::FieldType::text(4)},
            {"CITY", host::FieldType::text(15)},
            {"STATE", host::FieldType::text(2)},
            {"PHONE", host::FieldType::text(10)},
            {"POSITION", host::FieldType::text(1024)}})};
    framework::BrowseList browse;
    framework::TypedLocator locator;

private:
    host::RecordView& view_;
};

// The program's files on one Customer file, the browse window over it, and a connection
// of its own to the same data base for the hand-written queries.
class Harness {
public:
    explicit Harness(std::int64_t count)
        : records(count), folder(benchsupport::customersFolder(count)) {
        view = driver.makeView(*app::CustomerFile);
        browseWindow = std::make_unique<BrowseWindow>(*view);
        browseWindow->Setup();

        std::string dataBase = folder + "/" + host::sqlite::SqliteDriver::dataBaseName;
        sqlite3_open_v2(dataBase.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        const char* columns = "SELECT _id, _version, CUSTOMERID, NUMBER, NAME, ADDRESS, CITY, "
                              "STATE, ZIP, PHONE, FAX, TOLLFREE, CONTACT FROM CUSTOMER ";
        keyset = prepare(std::string(columns) +
                         "WHERE NAME >= ?1 COLLATE NOCASE ORDER BY NAME COLLATE NOCASE LIMIT 20");
        offset = prepare(std::string(columns) + "ORDER BY NAME COLLATE NOCASE LIMIT 20 OFFSET ?1");
        // The statements the Customer view runs for the same pages: the order ends with the
        // name key's placeholders' term and the row id, as its index does, and the order
        // terms' values come back with every row.
        std::string term = "CASE WHEN p._free & 2 THEN p._id ELSE 0 END";
        std::string viewColumns = "SELECT p._id, p.CUSTOMERID, p.NUMBER, p.NAME, p.ADDRESS, "
                                  "p.CITY, p.STATE, p.ZIP, p.PHONE, p.FAX, p.TOLLFREE, p.CONTACT, "
                                  "p.NAME COLLATE NOCASE, " +
                                  term + ", p._id FROM CUSTOMER AS p ";
        auto order = [&](const char* direction) {
            return std::string("ORDER BY p.NAME COLLATE NOCASE ") + direction + ", " + term + " " +
                   direction + ", p._id " + direction + " LIMIT 20";
        };
        viewFrom = prepare(viewColumns + "WHERE p.NAME COLLATE NOCASE >= ?1 " + order("ASC"));
        viewStart = prepare(viewColumns + order("ASC"));
        viewEnd = prepare(viewColumns + order("DESC"));

        // The first names of the three pages, and where they lie in name order.
        browseWindow->scroll(host::EventKind::ScrollTop);
        startName = browseWindow->firstName();
        sqlite3_stmt* names = prepare("SELECT NAME FROM CUSTOMER ORDER BY NAME COLLATE NOCASE "
                                      "LIMIT 1 OFFSET ?1");
        sqlite3_bind_int64(names, 1, count / 2);
        if (sqlite3_step(names) == SQLITE_ROW)
            middleName = reinterpret_cast<const char*>(sqlite3_column_text(names, 0));
        sqlite3_finalize(names);
        browseWindow->scroll(host::EventKind::ScrollBottom);
        endName = browseWindow->firstName();
        middleOffset = count / 2;
        endOffset = count - pageRows;
        browseWindow->scroll(host::EventKind::ScrollTop);
        auto rows = browseWindow->window->control(1)->formattedRows();
        std::string first;
        for (const host::ListCell& cell : rows.empty() ? std::vector<host::ListCell>() : rows[0])
            first += (first.empty() ? "" : " | ") + cell.text;
        std::fprintf(stderr, "%s customers, %zu rows a page, the first: %s\n",
                     sample::grouped(count).c_str(), rows.size(), first.c_str());
    }
    ~Harness() {
        sqlite3_finalize(keyset);
        sqlite3_finalize(offset);
        for (sqlite3_stmt* statement : {viewFrom, viewStart, viewEnd})
            sqlite3_finalize(statement);
        sqlite3_close(db);
        browseWindow->browse.Teardown();
        browseWindow->window.reset();
        browseWindow.reset();
        view.reset();
        app::CustomerLink->Close();
    }

    sqlite3_stmt* prepare(const std::string& sql) { return benchsupport::prepareBaseline(db, sql); }

    // Reads the rows of a prepared page query, every column as text; the rows read.
    static int readRows(sqlite3_stmt* query) {
        int rows = 0;
        std::size_t bytes = 0;
        while (sqlite3_step(query) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(query); ++c) {
                benchmark::DoNotOptimize(sqlite3_column_text(query, c));
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(query, c));
            }
            ++rows;
        }
        sqlite3_reset(query);
        benchmark::DoNotOptimize(bytes);
        return rows;
    }
    int viewPage(const std::string& from) {
        sqlite3_bind_text(viewFrom, 1, from.c_str(), static_cast<int>(from.size()),
                          SQLITE_TRANSIENT);
        return readRows(viewFrom);
    }
    int keysetPage(const std::string& from) {
        sqlite3_bind_text(keyset, 1, from.c_str(), static_cast<int>(from.size()), SQLITE_TRANSIENT);
        return readRows(keyset);
    }
    int offsetPage(std::int64_t skip) {
        sqlite3_bind_int64(offset, 1, skip);
        return readRows(offset);
    }

    std::int64_t records;
    std::string folder;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
    benchsupport::ProgramFiles files{folder, errors, registry};
    host::sqlite::SqliteDriver& driver = files.driver;
    std::unique_ptr<host::RecordView> view;
    std::unique_ptr<BrowseWindow> browseWindow;
    sqlite3* db = nullptr;
    sqlite3_stmt* keyset = nullptr;
    sqlite3_stmt* offset = nullptr;
    sqlite3_stmt* viewFrom = nullptr;
    sqlite3_stmt* viewStart = nullptr;
    sqlite3_stmt* viewEnd = nullptr;
    std::string startName, middleName, endName;
    std::int64_t middleOffset = 0, endOffset = 0;
};

host::headless::HeadlessSession* session = nullptr;
std::unique_ptr<Harness> current;

Harness& harness(std::int64_t count) {
    if (!current || current->records != count) {
        current.reset();
        current = std::make_unique<Harness>(count);
    }
    return *current;
}

Harness& full() {
    return harness(fullSize());
}

// ---- Pages by name ------------------------------------------------------------------------

void browsePageStart(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        h.browseWindow->scroll(host::EventKind::ScrollTop);
    if (h.browseWindow->firstName() != h.startName)
        state.SkipWithError("not the first page");
}
void keysetPageStart(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.keysetPage(h.startName) != pageRows)
            state.SkipWithError("short page");
}
void offsetPageStart(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.offsetPage(0) != pageRows)
            state.SkipWithError("short page");
}

void browsePageMiddle(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        h.browseWindow->locate(h.middleName);
    if (h.browseWindow->firstName() != h.middleName)
        state.SkipWithError("not the middle page");
}
void keysetPageMiddle(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.keysetPage(h.middleName) != pageRows)
            state.SkipWithError("short page");
}
void offsetPageMiddle(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.offsetPage(h.middleOffset) != pageRows)
            state.SkipWithError("short page");
}

void browsePageEnd(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        h.browseWindow->scroll(host::EventKind::ScrollBottom);
    if (h.browseWindow->firstName() != h.endName)
        state.SkipWithError("not the last page");
}
void keysetPageEnd(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.keysetPage(h.endName) != pageRows)
            state.SkipWithError("short page");
}
void offsetPageEnd(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.offsetPage(h.endOffset) != pageRows)
            state.SkipWithError("short page");
}

// The view's own statements, without the framework.
void viewSqlPageStart(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (Harness::readRows(h.viewStart) != pageRows)
            state.SkipWithError("short page");
}
void viewSqlPageMiddle(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (h.viewPage(h.middleName) != pageRows)
            state.SkipWithError("short page");
}
void viewSqlPageEnd(benchmark::State& state) {
    Harness& h = full();
    for (auto _ : state)
        if (Harness::readRows(h.viewEnd) != pageRows)
            state.SkipWithError("short page");
}

// ---- Locating by typing -------------------------------------------------------------------

constexpr const char* letters = "ABCDEFGHIJKLMNOPRSTVWYZ";

void browseLocate(benchmark::State& state) {
    Harness& h = full();
    std::size_t next = 0;
    for (auto _ : state) {
        char letter = letters[next++ % 23];
        h.browseWindow->type(letter);
    }
    h.browseWindow->type('M');
    if (h.browseWindow->firstName().front() != 'M')
        state.SkipWithError("not located");
}
void viewSqlLocate(benchmark::State& state) {
    Harness& h = full();
    std::size_t next = 0;
    for (auto _ : state) {
        char letter = letters[next++ % 23];
        if (h.viewPage(std::string(1, letter)) != pageRows)
            state.SkipWithError("short page");
    }
}
void keysetLocate(benchmark::State& state) {
    Harness& h = full();
    std::size_t next = 0;
    for (auto _ : state) {
        char letter = letters[next++ % 23];
        if (h.keysetPage(std::string(1, letter)) != pageRows)
            state.SkipWithError("short page");
    }
}

// ---- Memory -------------------------------------------------------------------------------

// The resident memory after the browse paged through a file: start, middle, end.
void memory(benchmark::State& state) {
    std::int64_t count = state.range(0) == 0 ? fullSize() : state.range(0);
    std::int64_t before = residentKilobytes();
    Harness& h = harness(count);
    for (auto _ : state) {
        h.browseWindow->scroll(host::EventKind::ScrollTop);
        h.browseWindow->locate(h.middleName);
        h.browseWindow->scroll(host::EventKind::ScrollBottom);
    }
    std::int64_t after = residentKilobytes();
    state.counters["records"] = static_cast<double>(count);
    state.counters["rss_kb"] = static_cast<double>(after);
    state.counters["browse_kb"] = static_cast<double>(after - before);
}

} // namespace

int main(int argc, char** argv) {
    host::headless::HeadlessSession headless;
    session = &headless;
    // The small file first, so that its browse's memory is measured in a fresh process.
    benchmark::RegisterBenchmark("Memory/10000", memory)->Arg(smallFile)->Iterations(20);
    benchmark::RegisterBenchmark("Memory/full", memory)->Arg(0)->Iterations(20);
    auto page = [](const std::string& name, auto browse, auto keyset, auto view, auto offset) {
        benchmark::RegisterBenchmark(("Browse/" + name).c_str(), browse);
        benchmark::RegisterBenchmark(("Keyset/" + name).c_str(), keyset);
        benchmark::RegisterBenchmark(("ViewSql/" + name).c_str(), view);
        if constexpr (!std::is_same_v<decltype(offset), std::nullptr_t>)
            benchmark::RegisterBenchmark(("Offset/" + name).c_str(), offset);
    };
    page("PageStart", browsePageStart, keysetPageStart, viewSqlPageStart, offsetPageStart);
    page("PageMiddle", browsePageMiddle, keysetPageMiddle, viewSqlPageMiddle, offsetPageMiddle);
    page("PageEnd", browsePageEnd, keysetPageEnd, viewSqlPageEnd, offsetPageEnd);
    page("LocateByTyping", browseLocate, keysetLocate, viewSqlLocate, nullptr);

    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable("Browse", "Keyset");
    reporter.printTable("Browse", "Offset");
    reporter.printTable("ViewSql", "Keyset");

    // The targets: within 1.5x of the keyset query at every depth and when locating, the
    // end no slower than 1.1x the start, and at least 1000x faster than OFFSET at the end.
    auto cpu = [&](const std::string& name) {
        auto found = reporter.times.find(name);
        return found == reporter.times.end() ? 0.0 : found->second.second;
    };
    std::printf("\ntargets (cpu time)\n");
    for (const char* page : {"PageStart", "PageMiddle", "PageEnd", "LocateByTyping"}) {
        double ratio = cpu(std::string("Browse/") + page) / cpu(std::string("Keyset/") + page);
        std::printf("  %-16s browse / keyset %6.2fx  (at most 1.5x: %s)\n", page, ratio,
                    ratio <= 1.5 ? "met" : "NOT met");
    }
    double endToStart = cpu("Browse/PageEnd") / cpu("Browse/PageStart");
    std::printf("  end / start      %6.2fx  (at most 1.1x: %s)\n", endToStart,
                endToStart <= 1.1 ? "met" : "NOT met");
    double offsetToBrowse = cpu("Offset/PageEnd") / cpu("Browse/PageEnd");
    std::printf("  offset / browse at the end %8.0fx  (at least 1000x: %s)\n", offsetToBrowse,
                offsetToBrowse >= 1000 ? "met" : "NOT met");
    current.reset();
    benchmark::Shutdown();
    return 0;
}
