// List boxes: formats, groups, icons, clicks and selection, and the cost of painting a
// list over a million rows.
#include "QtTestSession.h"

#include "runtime/base/Queue.h"
#include "runtime/qt/FontResolver.h"
#include "runtime/qt/GroupHeader.h"
#include "runtime/qt/ListModel.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/SampleQueue.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/KeyCode.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using host::Window;
using host::qt::ListModel;
using host::qt::ListView;
using host::qt::test::define;
using host::qt::test::QtTestSession;

const char* const linesList = R"(
window L "Lines"
  list 1 at=0,0,300,120 from=ROWS vscroll format="32C|_FM~Seq~@n_4@[32D(12)|FM~Cost~@n-7.2@31R(2)|FM~Sell~@n8.2@]|FM~Pricing~26C|FMI~Print?~@s1@40L~Note~@s10@"
end)";

// A list control of an unopened window, bound to `queue`.
struct ListFixture {
    QtTestSession session;
    std::shared_ptr<const host::WindowDefinition> definition = define(linesList);
    Window window{definition, &session.desktop()};
    host::Control& control() { return *window.control(1); }
    host::qt::Units units{host::qt::FontResolver::windowFont({})};
};

TEST(ListView, AMillionRowsCostOnlyTheRowsShown) {
    ListFixture f;
    // A million copies of one row (quick to make), the last one told apart.
    auto queue = host::qt::SampleQueue::make(*f.control().format(), 1);
    for (int row = 2; row <= 1000000; ++row)
        queue->add();
    queue->get(1000000);
    queue->buffer().field(queue->layout()->fieldCount()).assign(host::Value("Last row"));
    queue->buffer().field(1).assign(host::Value(1000000));
    queue->put();
    f.window.setQueue(1, queue.get());
    ListView view(f.control(), f.units);
    view.place(QRect(0, 0, 500, 300));
    view.show();
    view.synchronize(f.control());
    ASSERT_EQ(view.listModel().rowCount(), 1000000);
    view.grab();
    long long painted = view.listModel().cellsFormatted();
    int columns = f.control().format()->columnCount();
    int shown = 300 / view.rowHeight() + 2;
    EXPECT_GT(painted, 0);
    EXPECT_LE(painted, 4LL * shown * columns); // a few rounds of painting, never the queue

    view.scrollToBottom();
    view.grab();
    EXPECT_LE(view.listModel().cellsFormatted() - painted, 4LL * shown * columns);
    QModelIndex last = view.listModel().index(999999, 4);
    EXPECT_EQ(last.data().toString(), "Last row");
    // A number too wide for its picture shows as '#'s, as everywhere.
    EXPECT_EQ(view.listModel().index(999999, 0).data().toString(), "####");
    EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(last)));
}

TEST(ListView, CellsFollowTheFormatGroupsIconsAndAlignment) {
    ListFixture f;
    auto queue = host::qt::SampleQueue::make(*f.control().format(), 3);
    f.window.setQueue(1, queue.get());
    f.window.setProperty(1, host::Property::Icon, "~CheckOff.ico", 1);
    f.window.setProperty(1, host::Property::Icon, "~CheckOn.ICO", 2);
    ListView view(f.control(), f.units);
    std::map<int, QIcon> icons{{1, QIcon(QPixmap(16, 16))}, {2, QIcon(QPixmap(24, 24))}};
    view.listModel().setIcons(icons);
    const ListModel& model = view.listModel();

    ASSERT_EQ(model.columnCount(), 5);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Cost");
    auto alignment = [&](int column) {
        return Qt::Alignment(model.index(0, column).data(Qt::TextAlignmentRole).toInt());
    };
    EXPECT_TRUE(alignment(0) & Qt::AlignHCenter);
    EXPECT_TRUE(alignment(1) & Qt::AlignRight); // decimal
    EXPECT_TRUE(alignment(4) & Qt::AlignLeft);
    // The indent is in dialog units.
    EXPECT_EQ(model.index(0, 1).data(ListModel::IndentRole).toInt(), f.units.x(12));
    // Row 1's icon number is 2 (the sample rows alternate), row 2's is 1.
    EXPECT_EQ(model.index(0, 3).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
              icons[2].cacheKey());
    EXPECT_EQ(model.index(1, 3).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
              icons[1].cacheKey());
    EXPECT_FALSE(model.index(0, 4).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(model.index(1, 2).data().toString(), "16.49");

    // The grouped header takes two lines; without groups it takes one.
    EXPECT_TRUE(view.groupHeader().hasGroups());
    int twoLines = view.groupHeader().sizeHint().height();
    f.window.setProperty(1, host::Property::Format, "40L~Note~@s10@");
    view.synchronize(f.control());
    EXPECT_FALSE(view.groupHeader().hasGroups());
    EXPECT_EQ(view.listModel().columnCount(), 1);
    EXPECT_LT(view.groupHeader().sizeHint().height() * 3 / 2, twoLines + 2);
}

TEST(ListView, ExactlyTheRowsTheRuntimeCountsFitWhateverTheFontAndHeight) {
    ListFixture f;
    auto queue = host::qt::SampleQueue::make(*f.control().format(), 60);
    f.window.setQueue(1, queue.get());
    for (int size : {8, 10, 14}) {
        QFont font = host::qt::FontResolver::windowFont({"Sans Serif", size});
        host::qt::Units units(font);
        for (const char* format : {"40L~Note~@s10@", "[30R~A~@n5@30R~B~@n5@]~Both~"}) {
            f.window.setProperty(1, host::Property::Format, format);
            for (int height : {30, 60, 95, 100, 128, 140, 333}) {
                SCOPED_TRACE(std::to_string(size) + " " + format + " " + std::to_string(height));
                f.window.setProperty(1, host::Property::Height, height);
                ListView view(f.control(), units);
                view.setFont(font);
                view.place(units.rect(f.control().rect()));
                view.show();
                view.synchronize(f.control());
                int items = f.control().itemsVisible();
                EXPECT_EQ(view.rowsShown(), items);
                // The header takes its lines at the rows' height, the rows the rest.
                int lines = std::string_view(format).front() == '[' ? 2 : 1;
                EXPECT_EQ(view.horizontalHeader()->height(), lines * view.rowHeight());
                EXPECT_GE(view.rowHeight(), QFontMetrics(font).height() + 2);
            }
        }
    }
}

// The rightmost dark pixel of an image within [left, right) (-1 when none).
int inkEnd(const QImage& image, int left, int right) {
    int end = -1;
    for (int x = left; x < right; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 100)
                end = x;
    return end;
}

TEST(ListView, DecimalPointsLineUpAndIndentsPlaceCellsAndHeaders) {
    ListFixture f;
    f.window.setProperty(1, host::Property::Format, "60D(20)~Price~@n-9.2@60R(8)~Qty~R(16)@n9@");
    auto queue = host::qt::SampleQueue::make(*f.control().format(), 0);
    for (const char* price : {"5.25", "1234.5"}) {
        queue->buffer().field(1).assign(host::Value(price));
        queue->buffer().field(2).assign(host::Value(9));
        queue->add();
    }
    f.window.setQueue(1, queue.get());
    ListView view(f.control(), f.units);
    view.place(QRect(0, 0, f.units.x(200), f.units.y(60)));
    view.show();
    view.synchronize(f.control());
    QImage rows = view.viewport()->grab().toImage();
    int rowHeight = view.rowHeight();
    auto cellEnd = [&](int row, int column) {
        QRect cell = view.visualRect(view.listModel().index(row, column));
        return inkEnd(rows.copy(0, cell.top(), rows.width(), rowHeight), cell.left(),
                      cell.right() + 1) -
               cell.right();
    };
    // "5.25" and "1,234.50": the points 20 units in from the right edge, the digits after.
    int afterPoint = QFontMetrics(view.font()).horizontalAdvance(".25");
    EXPECT_NEAR(cellEnd(0, 0), cellEnd(1, 0), 1);
    EXPECT_NEAR(cellEnd(0, 0), -2 - f.units.x(20) + afterPoint, 2);
    // The right-justified column ends 8 units in; its header 16.
    EXPECT_NEAR(cellEnd(0, 1), -2 - f.units.x(8), 2);
    QHeaderView* header = view.horizontalHeader();
    int sectionEnd = header->sectionViewportPosition(1) + header->sectionSize(1);
    int headerEnd =
        inkEnd(header->grab().toImage(), header->sectionViewportPosition(1), sectionEnd - 3);
    EXPECT_NEAR(headerEnd, sectionEnd - f.units.x(16), 6);
}

TEST(ListView, RowsAddedOrRemovedAndTheSelectionShowWithoutAReset) {
    ListFixture f;
    auto queue = host::qt::SampleQueue::make(*f.control().format(), 40);
    f.window.setQueue(1, queue.get());
    ListView view(f.control(), f.units);
    view.place(QRect(0, 0, 400, 120));
    view.show();
    int resets = 0;
    QObject::connect(&view.listModel(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    queue->add();
    view.synchronize(f.control());
    EXPECT_EQ(view.listModel().rowCount(), 41);
    queue->get(1);
    queue->remove();
    queue->get(1);
    queue->remove();
    view.synchronize(f.control());
    EXPECT_EQ(view.listModel().rowCount(), 39);
    EXPECT_EQ(resets, 0);
    // Selecting a row far down scrolls it into view.
    f.window.setProperty(1, host::Property::Selected, 35);
    view.synchronize(f.control());
    EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(view.listModel().index(34, 0))));
    EXPECT_TRUE(view.listModel().index(34, 0).data(ListModel::SelectedRole).toBool());
    EXPECT_FALSE(view.listModel().index(33, 0).data(ListModel::SelectedRole).toBool());
}

TEST(ListView, ClicksTellTheRowAndTheColumnUnderTheMouse) {
    ListFixture f;
    auto queue = host::qt::SampleQueue::make(*f.control().format(), 3);
    f.window.setQueue(1, queue.get());
    ListView view(f.control(), f.units);
    view.place(QRect(0, 0, 500, 200));
    view.show();
    std::vector<std::array<int, 3>> clicks;
    QObject::connect(&view, &ListView::rowClicked, [&](int row, int column, int key) {
        clicks.push_back({row, column, key});
    });
    QRect cell = view.visualRect(view.listModel().index(1, 2));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, cell.center());
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    // Below the last row: no row, but still a column; right of the last column: the last.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), 190));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      QPoint(view.viewport()->width() - 2, cell.center().y()));
    using host::KeyCode;
    std::vector<std::array<int, 3>> expected = {{2, 3, KeyCode::MouseRight},
                                                {2, 3, KeyCode::MouseLeft2},
                                                {0, 3, KeyCode::MouseLeft},
                                                {2, 5, KeyCode::MouseLeft}};
    EXPECT_EQ(clicks, expected);
    EXPECT_EQ(view.cellRect(2, 3).size(), cell.size());
    EXPECT_TRUE(view.cellRect(9, 1).isEmpty());
}

} // namespace
