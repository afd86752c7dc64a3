// The item list over a large Item file: the whole file loaded into the list when it opens
// (FILELOADED), and a row's price saved in place, each beside the driver doing the same
// reads and writes without the framework, in the same run.
//
//   ItemBrowse/Open            a headless window with the item list's BrowseList over the
//                              Item view by ITM:ITEMNUMBERK, FILELOADED, its eight columns
//                              mapped as the program maps them: set up, every item read
//                              into the list's queue, torn down
//   Driver/ReadAll             a RecordView over Item in the same order, every
//                              record read and every field's value taken
//   ItemBrowse/SaveRowInPlace  a row's record read under watch (SyncBuffer, as an edit of
//                              the row starts), its sell price changed in the row and saved
//                              as the in-place edit manager saves it (StoreImage,
//                              CopyRowToFields, the browse's RelationLink Update,
//                              RecallImage)
//   Driver/Update              the same record got by its primary key and put
//
// The Item file of 100,000 items is made by the sample-data tool's code on first use and
// kept in bench-data/items-100000 of the build folder.
//
// Measured on the build machine (2 shared cores, with other builds running beside it;
// 100,000 items made by the tool in 1 s; CPU time, real time in brackets):
//
//   case             item browse            driver                 browse/driver
//   Open             281-297 ms (427 ms)    207-215 ms (309 ms)    1.36-1.40x (target 1.5x)
//   SaveRowInPlace   368 us (4.4 ms)        206 us (4.2 ms)        1.8x  (1.07x real)
//
// Resident memory after opening: 20 MB, of which the list took 13.6 MB, about 136 bytes
// a row: the queue keeps each row packed, its blank tails (most of the 1,024-byte view
// position and of the 256-byte picture name) stored as counts. Before the rows were packed
// the list took 133 MB and opening took 4.9x the driver's read, most of it spent copying
// the growing row storage and faulting in its fresh pages. What is left beyond the
// driver's read is packing the rows and filling them from the record. The save costs
// more CPU than the driver's get and put, mostly the row's record read again through the
// view under watch as an edit starts (SyncBuffer) and the transaction frame the relation
// link opens around the update; both sides end with the data base's sync, which is most
// of their real time, so the user sees the two alike.
#include "app/BrowseItems.h"
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
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tools/SampleData.h"

#include "bench/support/ProgramFiles.h"
#include "bench/support/RatioReporter.h"
#include "bench/support/SampleFolder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using framework::Severity;
using host::FieldType;

constexpr std::int64_t itemCount = 100'000;

using benchsupport::residentKilobytes;

const char* const listWindow = R"(
window P10$ITEMBENCH "Inventory Items" at=0,0,420,260 mdi resizable
  list 1 at=4,4,410,240 from=Queue:Browse vscroll immediate items=20 \
         format="48L(2)|M~Number~@s10@120L(2)|M~Description~@s30@40L(2)|M~Picture~@s32@16L(2)|M~Unit~@s2@40R(2)|M~List~@n9.2@40R(2)|M~Sell~@n9.2@40R(2)|M~Cost~@n9.2@"
end)";

// The item list's window: the browse by item number, every item loaded, its locator and
// its columns as the program sets them up.
class ItemListWindow : public framework::WindowController {
public:
    explicit ItemListWindow(host::RecordView& view) : view_(view) {}

    Severity Setup() override {
        Severity level = WindowController::Setup();
        if (level != Severity::Benign)
            return level;
        window = benchsupport::windowFrom(listWindow);
        window->bind("Queue:Browse", rows);
        app::ItemLink->Open();
        host::Record& row = rows.buffer();
        browse.Setup(*this, 1, rows, row.field("VIEWPOSITION"), view_, *app::ItemLink);
        OpenWindow(*window);
        browse.FILELOADED = 1;
        browse.DefineSortOrder("ITM:ITEMNUMBERK");
        host::Record& item = app::ItemRecord;
        locator.Setup(0, item.field("ITM:ITEMNUMBER"), true, browse);
        browse.SetLocator(locator);
        browse.WatchField(item.field("ITM:ICONFILE"));
        for (const char* field :
             {"ITEMNUMBER", "DESCRIPTION", "ICONFILE", "UOM", "LIST", "SELL", "COST", "ITEMID"})
            browse.MapColumn(item.field(std::string("ITM:") + field), row.field(field));
        ArmKeys();
        browse.ReapplySort(1);
        browse.RefreshControls();
        return Severity::Benign;
    }

    void close() {
        locator.Teardown();
        browse.Teardown();
        window.reset();
        app::ItemLink->Close();
    }

    std::unique_ptr<host::Window> window;
    host::Queue rows{app::ItemBrowseWindow::RowLayout()};
    framework::BrowseList browse;
    framework::TypedLocator locator;

private:
    host::RecordView& view_;
};

// The program's files on the Item file.
class Harness {
public:
    Harness() { view = driver.makeView(*app::ItemFile); }
    ~Harness() {
        close();
        view.reset();
    }

    // Opens the item list: every item read into it.
    void open() {
        list = std::make_unique<ItemListWindow>(*view);
        list->Setup();
    }
    void close() {
        if (list)
            list->close();
        list.reset();
    }

    framework::ErrorReporter errors;
    framework::FileRegistry registry;
    benchsupport::ProgramFiles files{benchsupport::itemsFolder(itemCount), errors, registry};
    host::sqlite::SqliteDriver& driver = files.driver;
    std::unique_ptr<host::RecordView> view;
    std::unique_ptr<ItemListWindow> list;
};

std::unique_ptr<Harness> current;

Harness& harness() {
    if (!current)
        current = std::make_unique<Harness>();
    return *current;
}

// ---- Opening: every item read --------------------------------------------------------------

void browseOpen(benchmark::State& state) {
    Harness& h = harness();
    std::int64_t before = residentKilobytes();
    std::int64_t after = before;
    for (auto _ : state) {
        state.PauseTiming();
        h.close();
        state.ResumeTiming();
        h.open();
        state.PauseTiming();
        after = residentKilobytes();
        state.ResumeTiming();
    }
    if (h.list->browse.RowCount() != static_cast<std::size_t>(itemCount))
        state.SkipWithError("not every item listed");
    state.counters["rows"] = static_cast<double>(h.list->browse.RowCount());
    state.counters["rss_kb"] = static_cast<double>(after);
    state.counters["list_kb"] = static_cast<double>(after - before);
}

void driverReadAll(benchmark::State& state) {
    Harness& h = harness();
    // The same order the list reads in.
    if (!h.list)
        h.open();
    std::string order = h.view->order();
    std::unique_ptr<host::RecordView> view = h.driver.makeView(*app::ItemFile);
    host::Record& item = app::ItemRecord;
    std::int64_t records = 0;
    for (auto _ : state) {
        records = 0;
        view->open();
        view->setOrder(order);
        view->setStart();
        std::size_t bytes = 0;
        while (view->next()) {
            for (int f = 1; f <= item.fieldCount(); ++f)
                bytes += item.field(f).text().size();
            ++records;
        }
        view->close();
        benchmark::DoNotOptimize(bytes);
    }
    if (records != itemCount)
        state.SkipWithError("not every item read");
}

// ---- A row's price saved in place ----------------------------------------------------------

constexpr std::size_t editedRow = itemCount / 2;

void browseSaveRow(benchmark::State& state) {
    Harness& h = harness();
    if (!h.list)
        h.open();
    framework::BrowseList& browse = h.list->browse;
    host::Queue& rows = h.list->rows;
    framework::FileAccess& file = *app::ItemAccess;
    h.list->window->setProperty(1, host::Property::Selected,
                                host::Value(static_cast<std::int64_t>(editedRow)));
    std::int64_t cents = 100;
    for (auto _ : state) {
        // The edit starts: the row's record read under watch.
        browse.SyncBuffer();
        // The price typed into the cell lands in the row.
        rows.get(editedRow);
        rows.buffer().field("SELL").assign(host::Value(static_cast<double>(++cents % 9000) / 100));
        rows.put();
        // The row saved as the edit manager saves it.
        std::int32_t image = file.StoreImage();
        browse.CopyRowToFields();
        if (browse.PRIMARY->Update() != Severity::Benign)
            state.SkipWithError("not saved");
        file.RecallImage(image, false);
    }
    // The last price is in the file.
    rows.get(editedRow);
    std::string shown = rows.buffer().field("SELL").text();
    if (!app::ItemFile->get(file.PRIMARYKEY) || app::ItemRecord.field("ITM:SELL").text() != shown)
        state.SkipWithError("the price is not in the file");
}

void driverUpdate(benchmark::State& state) {
    Harness& h = harness();
    if (!h.list)
        h.open();
    host::RecordFile& file = *app::ItemFile;
    host::Record& item = app::ItemRecord;
    h.list->rows.get(editedRow);
    item.field("ITM:ITEMID").assign(h.list->rows.buffer().field("ITEMID").value());
    host::TypedRef sell = item.field("ITM:SELL");
    int key = app::ItemAccess->PRIMARYKEY;
    std::int64_t cents = 100;
    for (auto _ : state) {
        if (!file.get(key)) {
            state.SkipWithError("not read");
            break;
        }
        sell.assign(host::Value(static_cast<double>(++cents % 9000) / 100));
        if (!file.put())
            state.SkipWithError("not written");
    }
}

} // namespace

int main(int argc, char** argv) {
    host::headless::HeadlessSession headless;
    // Opening first, so that the resident memory after it is measured in a fresh process.
    benchmark::RegisterBenchmark("ItemBrowse/Open", browseOpen)->Iterations(5);
    benchmark::RegisterBenchmark("Driver/ReadAll", driverReadAll)->Iterations(5);
    benchmark::RegisterBenchmark("ItemBrowse/SaveRowInPlace", browseSaveRow);
    benchmark::RegisterBenchmark("Driver/Update", driverUpdate);

    benchmark::Initialize(&argc, argv);
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Each case beside the driver doing the same; the target: opening the list costs at
    // most the driver's read of every item plus 50%.
    auto times = [&](const std::string& name) {
        auto found = reporter.times.find(name);
        return found == reporter.times.end() ? std::pair<double, double>() : found->second;
    };
    std::printf("\n%-16s %14s %14s %7s %14s %14s %7s\n", "case", "browse cpu", "driver cpu",
                "ratio", "browse real", "driver real", "ratio");
    double openRatio = 0;
    for (auto [subject, baseline] :
         {std::pair<const char*, const char*>{"Open/iterations:5", "ReadAll/iterations:5"},
          {"SaveRowInPlace", "Update"}}) {
        auto [real, cpu] = times(std::string("ItemBrowse/") + subject);
        auto [baseReal, baseCpu] = times(std::string("Driver/") + baseline);
        if (openRatio == 0)
            openRatio = cpu / baseCpu;
        std::string shown(subject);
        std::printf("%-16s %11.1f us %11.1f us %6.2fx %11.1f us %11.1f us %6.2fx\n",
                    shown.substr(0, shown.find('/')).c_str(), cpu / 1000, baseCpu / 1000,
                    cpu / baseCpu, real / 1000, baseReal / 1000, real / baseReal);
    }
    std::printf("\ntarget (cpu time)\n  open / driver read  %6.2fx  (at most 1.5x: %s)\n",
                openRatio, openRatio <= 1.5 ? "met" : "NOT met");
    current.reset();
    benchmark::Shutdown();
    return 0;
}
