// The inventory report over a large Item file, and the preview opening on a report's last
// page, beside painting the same lines straight into a PDF with Qt in the same run.
//
//   Report/InventoryToPreview  PrintInventory on the headless desktop: every item read in
//                              item-number order through the record processor, a detail
//                              band printed for each, every page written as a page file
//                              into the preview queue, until the preview opens on page 1
//   Qt/SameLinesToPdf          the same items read through a RecordView in the same
//                              order, and the same header, lines and footer painted with
//                              QPainter straight into a QPdfWriter (kept in memory)
//   Preview/OpenOnLastPage     the preview of a report of N pages opened on its last
//                              page; the counter `images` tells how many pages it drew
//
// The Item file of 100,000 items is the item browse benchmark's (bench-data/items-100000
// of the build folder, made by the sample-data tool's code on first use). Real time is
// what counts: the report runs on a logical thread of its own.
//
// Measured on the build machine (2 shared cores, loaded by other builds; real time):
//
//   case                          time          pages
//   Report/InventoryToPreview     2,280 ms      3,449   (0.66 ms a page, 23 us an item)
//   Qt/SameLinesToPdf             172,000 ms    3,449   (77 s of CPU)
//   Preview/OpenOnLastPage/30     184 us        1 page drawn
//   Preview/OpenOnLastPage/3500   190 us        1 page drawn
//
// The report to preview pages takes 1/75 of the time Qt takes to paint the same lines
// into a PDF (target: within 2x). The two do not do the same work: the report writes its
// pages as page files of marks, and the PDF is made only for the pages the user prints or
// saves; Qt's PDF writer spends its time laying out and embedding every glyph of every
// line. The preview opens on the last page of 3,500 as fast as on that of 30: it reads
// only the page it shows.
#include "app/DataDictionary.h"
#include "app/Globals.h"
#include "app/Reports.h"
#include "bench/support/ProgramFiles.h"
#include "bench/support/SampleFolder.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "framework/report/PageImage.h"
#include "framework/report/PreviewWindow.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/pictures/Picture.h"
#include "runtime/report/PageFile.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

constexpr std::int64_t itemCount = 100'000;

void ensureApplication() {
    if (QApplication::instance())
        return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "ReportBench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// The program's files on the Item file.
struct Harness : benchsupport::ProgramFiles {
    Harness() : ProgramFiles(benchsupport::itemsFolder(itemCount)) {}
};

void InventoryToPreview(benchmark::State& state) {
    Harness harness;
    int pages = 0;
    for (auto _ : state) {
        host::headless::HeadlessSession session;
        session.start([] { app::PrintInventory(); });
        while (!session.window("Report Preview") && session.window("Progress..."))
            session.advanceClock(100);
        state.PauseTiming();
        if (host::Window* preview = session.window("Report Preview")) {
            std::string status = preview->statusText(2);
            pages = std::atoi(status.substr(status.rfind(' ') + 1).c_str());
        }
        session.chooseMenu("E&xit");
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["items"] = static_cast<double>(itemCount);
}

void SameLinesToPdf(benchmark::State& state) {
    Harness harness;
    ensureApplication();
    app::ItemLink->Open();
    auto view = harness.driver.makeView(*app::ItemFile);
    view->open();
    std::string order = "ITM:ITEMNUMBER";
    int pages = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        QPainter painter(&writer);
        double unit = 1.2; // device pixels per thousandth of an inch
        QFont mono("Courier New");
        mono.setPixelSize(static_cast<int>(9 * 1000 / 72 * unit));
        QFont title("Arial");
        title.setPixelSize(static_cast<int>(18 * 1000 / 72 * unit));
        auto text = [&](int x, int y, int w, const std::string& s, int align) {
            painter.drawText(QRectF(x * unit, y * unit, w * unit, 200 * unit),
                             align | Qt::AlignVCenter, QString::fromStdString(s));
        };
        view->setOrder(order);
        view->setStart();
        int line = 0;
        pages = 0;
        host::Record& item = app::ItemRecord;
        while (view->next()) {
            if (line == 0) {
                if (pages > 0)
                    writer.newPage();
                ++pages;
                painter.setFont(title);
                text(500, 400, 7500, "Inventory Report", Qt::AlignHCenter);
                painter.setFont(mono);
            }
            int y = 1550 + line * 300;
            text(500, y, 1000, host::clip(item.field("ITM:ITEMNUMBER").text()), Qt::AlignLeft);
            text(1500, y, 2600, host::clip(item.field("ITM:DESCRIPTION").text()), Qt::AlignLeft);
            for (auto [label, x] :
                 {std::pair{"ITM:COST", 4150}, {"ITM:LIST", 5050}, {"ITM:SELL", 5950}})
                text(x, y, 900, host::formatPicture(item.field(label).value(), "@n-10.2"),
                     Qt::AlignRight);
            text(7000, y, 400, host::clip(item.field("ITM:UOM").text()), Qt::AlignLeft);
            if (++line == 29) {
                text(7500, 10480, 500, std::to_string(pages), Qt::AlignLeft);
                line = 0;
            }
        }
        painter.end();
        benchmark::DoNotOptimize(buffer.size());
    }
    view->close();
    app::ItemLink->Close();
    state.counters["pages"] = pages;
}

void OpenOnLastPage(benchmark::State& state) {
    std::int64_t count = state.range(0);
    std::string folder = std::string(EIP_BENCH_DATA) + "/report-pages";
    std::filesystem::create_directories(folder);
    host::PageDrawing page;
    for (int line = 0; line < 29; ++line)
        page.marks.push_back({host::PageMark::Text,
                              500,
                              1550 + line * 300,
                              7500,
                              200,
                              {"Courier New", 9},
                              'L',
                              "A line of the page"});
    host::Queue queue(std::make_shared<const host::RecordLayout>(
        host::RecordLayout{{"FILENAME", host::FieldType::text(128)}}));
    for (std::int64_t n = 1; n <= count; ++n) {
        std::string path = folder + "/page" + std::to_string(n) + ".eippage";
        if (!std::filesystem::exists(path))
            host::PageFile::write(path, page);
        queue.buffer().field(1).assign(host::Value(path));
        queue.add();
    }
    int images = 0;
    for (auto _ : state) {
        host::headless::HeadlessSession session;
        framework::PreviewWindow preview;
        preview.Prepare(queue);
        session.start([&] { preview.ShowPages(-1, static_cast<std::int32_t>(count), 1, 1); });
        state.PauseTiming();
        images = 0;
        for (framework::PageImage* image = preview.PAGEMANAGER; image; image = image->NEIGHBOUR)
            ++images;
        session.chooseMenu("E&xit");
        preview.Teardown();
        state.ResumeTiming();
    }
    state.counters["images"] = images;
}

} // namespace

BENCHMARK(InventoryToPreview)
    ->Name("Report/InventoryToPreview")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(SameLinesToPdf)->Name("Qt/SameLinesToPdf")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(OpenOnLastPage)
    ->Name("Preview/OpenOnLastPage")
    ->Arg(30)
    ->Arg(3500)
    ->Unit(benchmark::kMicrosecond);
