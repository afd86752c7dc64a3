// A list box over a queue of 1,000,000 rows on the Qt display: painting one page and
// one scroll step, beside a plain QTableWidget painting the same page and step over
// 100,000 rows of the same, already formatted texts (a QTableWidget of a million rows
// would need gigabytes of items before it painted anything). The list formats only the
// rows it shows, so its times do not grow with the queue.
#include "runtime/qt/FontResolver.h"
#include "runtime/qt/ListModel.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/SampleQueue.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr const char* format = "32C|_FM~Seq~@n_7@40C|_FM~Item~@s10@108L(2)|_FM~Description~@s30@"
                               "[32D(12)|_FM~Cost~@n-7.2@31R(2)|_FM~Sell~@n8.2@]|FM~Pricing~"
                               "42D(14)|_FM~Extended~@n$9.2@";
constexpr int viewWidth = 640;
constexpr int viewHeight = 400;

void ensureApplication() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "QtListBench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

// The list as the program shows it: a window's list control over a million rows.
struct MillionRowList {
    host::Desktop desktop;
    std::shared_ptr<const host::WindowDefinition> definition;
    std::unique_ptr<host::Window> window;
    std::unique_ptr<host::Queue> queue;
    std::unique_ptr<host::qt::ListView> view;

    MillionRowList() {
        ensureApplication();
        std::string text = "window L\n  list 1 at=0,0,400,240 from=ROWS vscroll format=\"";
        text += format;
        text += "\"\nend\n";
        auto parsed = host::WindowDefinitionParser::parse(text);
        definition = std::make_shared<const host::WindowDefinition>(parsed.windows.at(0));
        window = std::make_unique<host::Window>(definition, &desktop);
        queue = host::qt::SampleQueue::make(*window->control(1)->format(), 1000000);
        window->setQueue(1, queue.get());
        view = std::make_unique<host::qt::ListView>(
            *window->control(1), host::qt::Units(host::qt::FontResolver::windowFont({})));
        view->place(QRect(0, 0, viewWidth, viewHeight));
        view->show();
        view->synchronize(*window->control(1));
    }
};

MillionRowList& millionRows() {
    static MillionRowList list;
    return list;
}

// The baseline: a QTableWidget holding the same texts as items.
struct PlainTable {
    std::unique_ptr<QTableWidget> table;

    PlainTable() {
        MillionRowList& list = millionRows();
        const host::qt::ListModel& model = list.view->listModel();
        int rows = 100000;
        int columns = model.columnCount();
        table = std::make_unique<QTableWidget>(rows, columns);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column)
                table->setItem(row, column,
                               new QTableWidgetItem(model.index(row, column).data().toString()));
        table->verticalHeader()->hide();
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->verticalHeader()->setDefaultSectionSize(list.view->rowHeight());
        table->resize(viewWidth, viewHeight);
        table->show();
    }
};

PlainTable& plainTable() {
    static PlainTable table;
    return table;
}

void paint(QWidget& widget, QImage& canvas) {
    QPainter painter(&canvas);
    widget.render(&painter);
}

void BM_ListOverAMillionRows_PaintPage(benchmark::State& state) {
    MillionRowList& list = millionRows();
    QImage canvas(viewWidth, viewHeight, QImage::Format_ARGB32_Premultiplied);
    list.view->verticalScrollBar()->setValue(500000);
    for (auto _ : state)
        paint(*list.view, canvas);
}
BENCHMARK(BM_ListOverAMillionRows_PaintPage)->Unit(benchmark::kMicrosecond);

void BM_ListOverAMillionRows_ScrollStep(benchmark::State& state) {
    MillionRowList& list = millionRows();
    QImage canvas(viewWidth, viewHeight, QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = list.view->verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        bar->setValue(bar->value() + 1 > bar->maximum() ? 0 : bar->value() + 1);
        paint(*list.view, canvas);
    }
}
BENCHMARK(BM_ListOverAMillionRows_ScrollStep)->Unit(benchmark::kMicrosecond);

void BM_PlainTableWidget_PaintPage(benchmark::State& state) {
    PlainTable& plain = plainTable();
    QImage canvas(viewWidth, viewHeight, QImage::Format_ARGB32_Premultiplied);
    plain.table->verticalScrollBar()->setValue(50000);
    for (auto _ : state)
        paint(*plain.table, canvas);
}
BENCHMARK(BM_PlainTableWidget_PaintPage)->Unit(benchmark::kMicrosecond);

void BM_PlainTableWidget_ScrollStep(benchmark::State& state) {
    PlainTable& plain = plainTable();
    QImage canvas(viewWidth, viewHeight, QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = plain.table->verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        bar->setValue(bar->value() + 1 > bar->maximum() ? 0 : bar->value() + 1);
        paint(*plain.table, canvas);
    }
}
BENCHMARK(BM_PlainTableWidget_ScrollStep)->Unit(benchmark::kMicrosecond);

} // namespace
