// Rows of a browse list edited in place, as a user edits them on the headless desktop
// over a real data folder: moving between the cells, ending a row by its action
// settings, inserting on a full page, clicks, buttons and closing during an edit, a
// refused save, and the cell editor kinds.
#include "tests/framework/data/DataFixture.h"

#include "framework/browse/BrowseList.h"
#include "framework/inplace/CellEditor.h"
#include "framework/inplace/InPlaceEditManager.h"
#include "framework/window/WindowController.h"
#include "runtime/base/Queue.h"
#include "runtime/files/OpenMode.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"
#include "tests/support/OtherStation.h"
#include "tests/support/WindowDefinitions.h"

#include <sstream>

using namespace datatest;
using framework::BrowseList;
using framework::CellEditor;
using framework::InPlaceEditManager;
using framework::ResponseKind;

namespace {

const char* const browseWindow = R"(
window B "Customers" at=0,0,300,200
  list 1 at=4,4,200,100 from=Queue:Rows vscroll immediate items=10 \
       format="80L(2)|M~Name~@s30@30L(2)|M~Number~@s4@60L(2)|M~City~@s15@20R|M~Id~@n5@"
  button 2 "&Insert"
  button 3 "&Change"
  button 4 "&Delete"
  button 6 "Close"
end)";

std::string named(int n) {
    return (n < 10 ? "Name 0" : "Name ") + std::to_string(n);
}

// A customer list edited in place: columns Name, Number, City and Id.
class CustomerList : public framework::WindowController {
public:
    CustomerList(TestFile& customers, host::RecordView& view,
                 std::shared_ptr<const host::WindowDefinition> definition,
                 framework::ErrorReporter& errors)
        : customers_(customers), view_(view), definition_(std::move(definition)), errors_(errors) {}
    Severity Setup() override {
        WindowController::Setup();
        VCRREQUEST = &vcr;
        ERRORS = &errors_;
        RegisterButton(6, ResponseKind::Cancelled);
        customers_.link.Open();
        window = std::make_unique<host::Window>(definition_);
        window->bind("Queue:Rows", rows);
        browse.Setup(*this, 1, rows, rows.buffer().field("POSITION"), view_, customers_.link);
        OpenWindow(*window);
        browse.DefineSortOrder("CUS:NAMEK");
        for (auto [field, column] : {std::pair{"CUS:NAME", "NAME"},
                                     {"CUS:NUMBER", "NUMBER"},
                                     {"CUS:CITY", "CITY"},
                                     {"CUS:CUSTOMERID", "ID"}})
            browse.MapColumn(customers_.field(field), rows.buffer().field(column));
        browse.INSERTCONTROL = 2;
        browse.CHANGECONTROL = 3;
        browse.DELETECONTROL = 4;
        for (auto& [column, editor] : editors)
            browse.AddEditControl(editor, column);
        ArmKeys();
        return Severity::Benign;
    }
    Severity Teardown() override {
        Severity level = WindowController::Teardown();
        customers_.link.Close();
        return level;
    }

    std::unique_ptr<host::Window> window;
    host::Queue rows{std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"NAME", host::FieldType::text(30)},
        {"NUMBER", host::FieldType::text(4)},
        {"CITY", host::FieldType::text(15)},
        {"ID", host::FieldType::longInteger()},
        {"POSITION", host::FieldType::text(1024)},
    })};
    BrowseList browse;
    std::int32_t vcr = 0;
    // Column editors the list registers (null: the column is not editable).
    std::vector<std::pair<std::int32_t, CellEditor*>> editors;

private:
    TestFile& customers_;
    host::RecordView& view_;
    std::shared_ptr<const host::WindowDefinition> definition_;
    framework::ErrorReporter& errors_;
};

class InPlaceEditTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        InPlaceEditManager::InstallAsDefault();
    }
    void TearDown() override {
        if (procedure && procedure->window->isOpen())
            session.closeWindow(procedure->window.get());
        session.run();
        DataTest::TearDown();
    }
    void open(int count, const std::function<void(CustomerList&)>& configure) {
        seed(customerDefinition(), [&](host::Record& record, host::RecordFile& file) {
            for (int id = 1; id <= count; ++id) {
                fillCustomer(record, id, "N" + named(id).substr(5), named(id));
                file.add();
            }
        });
        declare(customers, "Customer");
        view = driver.makeView(*customers.file);
        procedure = std::make_unique<CustomerList>(customers, *view,
                                                   testsupport::define(browseWindow), errors);
        configure(*procedure);
        session.start([this] { procedure->Execute(); });
        session.run();
    }
    host::Window& window() { return *procedure->window; }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& row : session.listCells("1"))
            out.push_back(row.at(0));
        return out;
    }
    int selected() { return session.selectedRow("1"); }
    // The column whose cell editor lies over the list (0: no row is being edited).
    int editedColumn() {
        for (int column = 1; column <= 4; ++column)
            if (window().control(1)->columnEditor(column) != 0)
                return column;
        return 0;
    }
    int editorControl() { return window().control(1)->columnEditor(editedColumn()); }
    // Presses keys one after the other ("Tab Tab Shift+Tab").
    void keys(std::string_view names) {
        std::istringstream in{std::string(names)};
        for (std::string name; in >> name;)
            session.pressKey(name);
    }
    // Types into the cell being edited without leaving it.
    void typeInCell(std::string_view text) {
        session.input().type(window(), editorControl(), text, false);
        session.run();
    }
    // One text field of every record, in the order of a key (2: by name).
    std::vector<std::string> fileTexts(std::string_view label = "CUS:NAME", int key = 2) {
        host::Record record(customerDefinition().layout());
        auto file = driver.makeFile(customerDefinition(), record);
        std::vector<std::string> out;
        for (file->open(host::openMode::readOnly | host::openMode::denyNone), file->set(key);
             file->next();)
            out.push_back(host::clip(record.field(label).text()));
        return out;
    }
    std::vector<std::string> numbered(int first, int last) {
        std::vector<std::string> out;
        for (int n = first; n <= last; ++n)
            out.push_back(named(n));
        return out;
    }

    TestFile customers{driver, customerDefinition()};
    std::unique_ptr<host::RecordView> view;
    host::headless::HeadlessSession session;
    std::unique_ptr<CustomerList> procedure;
};

// The City column cannot be edited in most tests.
void cityNotEditable(CustomerList& list) {
    list.editors.emplace_back(3, nullptr);
}

TEST_F(InPlaceEditTest, TabAndShiftTabMoveOverTheEditableCellsAndTabPastTheLastAsks) {
    open(3, cityNotEditable);
    ASSERT_TRUE(session.press("&Change"));
    EXPECT_EQ(editedColumn(), 1);
    EXPECT_EQ(window().focus(), editorControl());
    // The column without an editor is grey while the row is edited.
    EXPECT_EQ(window().control(1)->columnTextColour(3), InPlaceEditManager::GreyText);
    keys("Shift+Tab");
    EXPECT_EQ(editedColumn(), 1);
    keys("Tab");
    EXPECT_EQ(editedColumn(), 2);
    keys("Tab");
    EXPECT_EQ(editedColumn(), 4);
    keys("Shift+Tab");
    EXPECT_EQ(editedColumn(), 2);
    keys("Tab");
    typeInCell("7");
    // Tab past the last editable cell of a changed row asks (TABACTION 0); Cancel stays.
    session.answerNextMessage(host::ButtonCancel);
    keys("Tab");
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(session.messagesShown()[0].title, "Save Record");
    EXPECT_EQ(editedColumn(), 1);
    session.answerNextMessage(host::ButtonYes);
    keys("Shift+Tab"); // still column 1
    keys("Tab Tab Tab");
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 7);
    EXPECT_EQ(window().control(1)->columnTextColour(3), -1);
    EXPECT_EQ(session.listCells("1").at(0).at(3), "7");
}

TEST_F(InPlaceEditTest, RowsLeftUnchangedWriteNothingAndAnUnchangedNewRowGoes) {
    open(3, cityNotEditable);
    ASSERT_TRUE(session.press("&Change"));
    keys("Enter");
    EXPECT_EQ(editedColumn(), 0);
    keys("Down"); // the list's own Down: row 2
    ASSERT_TRUE(session.press("&Insert"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Name 01", "Name 02", "", "Name 03"}));
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(editedColumn(), 1);
    keys("Tab Tab");
    keys("Tab"); // past the last cell: nothing to ask about
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_TRUE(session.messagesShown().empty());
    EXPECT_EQ(names(), numbered(1, 3));
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(fileTexts(), numbered(1, 3));
}

TEST_F(InPlaceEditTest, InsertOnAFullPageDropsARowAndSavesTheNewOne) {
    open(15, cityNotEditable);
    // On the last row the top row makes room.
    keys("Down Down Down Down Down Down Down Down Down");
    ASSERT_TRUE(session.press("&Insert"));
    std::vector<std::string> expected = numbered(2, 10);
    expected.push_back("");
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(selected(), 10);
    // Abandoned, the page is read again from its (new) first row, on the same record.
    keys("Esc");
    EXPECT_EQ(names(), numbered(2, 11));
    EXPECT_EQ(selected(), 9);
    // Elsewhere the bottom row goes, and the new row comes below the selection.
    keys("Up Up Up Up Up");
    ASSERT_EQ(selected(), 4);
    ASSERT_TRUE(session.press("&Insert"));
    expected = numbered(2, 5);
    expected.push_back("");
    for (const std::string& name : numbered(6, 10))
        expected.push_back(name);
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(selected(), 5);
    typeInCell("Name 05a");
    keys("Tab");
    typeInCell("N99");
    keys("Tab");
    typeInCell("99");
    keys("Enter"); // ENTERACTION 0 saves
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_TRUE(session.messagesShown().empty());
    EXPECT_EQ(names().at(static_cast<std::size_t>(selected()) - 1), "Name 05a");
    std::vector<std::string> all = numbered(1, 15);
    all.insert(all.begin() + 5, "Name 05a");
    EXPECT_EQ(fileTexts(), all);
}

TEST_F(InPlaceEditTest, ADoubleClickEditsTheClickedCellAndAClickMovesTheEditorInTheRow) {
    open(3, cityNotEditable);
    ASSERT_TRUE(session.doubleClickRow("1", 2, 2));
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 2);
    typeInCell("X2");
    ASSERT_TRUE(session.clickRow("1", 2, 4));
    EXPECT_EQ(editedColumn(), 4);
    EXPECT_EQ(session.listCells("1").at(1).at(1), "X2");
    EXPECT_TRUE(session.messagesShown().empty());
    // Clicking another row leaves this one: focus loss saves it.
    ASSERT_TRUE(session.clickRow("1", 3, 1));
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(fileTexts("CUS:NUMBER", 1), (std::vector<std::string>{"N01", "X2", "N03"}));
}

TEST_F(InPlaceEditTest, WithoutTheSameColumnBitAnArrowGoesOnInTheFirstColumn) {
    open(3, [](CustomerList& list) {
        cityNotEditable(list);
        list.browse.ARROWACTION = 8;
    });
    ASSERT_TRUE(session.press("&Change"));
    keys("Tab");
    typeInCell("X1");
    // Bit 8 alone: the next row starts in the first editable column.
    keys("Down");
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 1);
    keys("Esc");
    EXPECT_TRUE(session.messagesShown().empty());
}

// An editor that leaves Down and Up to its control, as the item list's price editors do.
class ArrowsKeptEditor : public CellEditor {
public:
    void ArmEditKeys() override {
        CellEditor::ArmEditKeys();
        EditWindow()->clearAlert(FEQ, host::KeyCode::Down);
        EditWindow()->clearAlert(FEQ, host::KeyCode::Up);
    }
};

// Down is armed in the Name cell and ends the row there; in the Number cell it is not, so
// the same key stays with the control: the row neither ends nor is saved. A key no editor
// arms (F5) never ends an edit.
TEST_F(InPlaceEditTest, AnArmedKeyEndsTheRowAndAnUnarmedOneStaysWithTheControl) {
    ArrowsKeptEditor number;
    open(3, [&](CustomerList& list) {
        cityNotEditable(list);
        list.editors.emplace_back(2, &number);
        list.browse.ARROWACTION = 24;
    });
    ASSERT_TRUE(session.press("&Change"));
    keys("Tab");
    ASSERT_EQ(editedColumn(), 2);
    typeInCell("N77");
    keys("Down Up F5");
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(editedColumn(), 2);
    EXPECT_EQ(fileTexts("CUS:NUMBER").at(0), "N01");
    keys("Shift+Tab F5");
    EXPECT_EQ(editedColumn(), 1);
    keys("Down");
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(fileTexts("CUS:NUMBER").at(0), "N77");
    keys("Esc");
}

TEST_F(InPlaceEditTest, ADuplicateKeyIsRefusedAndTheRowStaysInEdit) {
    open(3, cityNotEditable);
    keys("Down");
    ASSERT_TRUE(session.press("&Change"));
    keys("Tab");
    typeInCell("N01");
    session.answerNextMessage(host::ButtonOk);
    keys("Enter");
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 1);
    EXPECT_EQ(fileTexts("CUS:NUMBER", 1), (std::vector<std::string>{"N01", "N02", "N03"}));
    keys("Esc");
    EXPECT_EQ(editedColumn(), 0);
}

TEST_F(InPlaceEditTest, ASaveWhileAnotherStationWritesIsReportedAndTheRowStaysInEdit) {
    open(3, cityNotEditable);
    testsupport::OtherStation other(folder.path());
    ASSERT_TRUE(other.run("BEGIN EXCLUSIVE; UPDATE CUSTOMER SET CITY = 'Busy'"));
    keys("Down");
    ASSERT_TRUE(session.press("&Change"));
    keys("Tab");
    typeInCell("N09");
    keys("Enter");
    session.advanceClock(100 * 100);
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(session.messagesShown()[0].title, "Transaction cancelled");
    EXPECT_TRUE(session.answerMessage(host::ButtonOk));
    EXPECT_NE(editedColumn(), 0);
    EXPECT_EQ(selected(), 2);
    ASSERT_TRUE(other.run("ROLLBACK"));
    EXPECT_EQ(fileTexts("CUS:NUMBER", 1), (std::vector<std::string>{"N01", "N02", "N03"}));
    // Once the other station is done, the same row saves.
    keys("Enter");
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_EQ(fileTexts("CUS:NUMBER", 1), (std::vector<std::string>{"N01", "N09", "N03"}));
}

// A city list to choose from.
class CityEditor : public framework::DropListEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t list, host::TypedRef variable) override {
        DropListEditor::BeginEdit(column, list, variable);
        EditWindow()->setProperty(FEQ, host::Property::Choices,
                                  host::Value("Springfield|Shelbyville|Ogdenville"));
        EditWindow()->display(FEQ);
    }
};

TEST_F(InPlaceEditTest, ADropListsArrowsStayInTheRowAndChoosingMovesOn) {
    CityEditor city;
    open(3, [&](CustomerList& list) {
        list.editors.emplace_back(3, &city);
        list.browse.ARROWACTION = 24;
    });
    ASSERT_TRUE(session.press("&Change"));
    keys("Tab Tab");
    ASSERT_EQ(editedColumn(), 3);
    keys("Down");
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(editedColumn(), 3);
    ASSERT_TRUE(session.input().chooseItem(window(), city.FEQ, 2));
    session.run();
    EXPECT_EQ(editedColumn(), 4);
    keys("Enter");
    EXPECT_EQ(session.listCells("1").at(0).at(2), "Shelbyville");
}

TEST_F(InPlaceEditTest, TheFileEditorsButtonKeepsTheNameWhenCancelledAndIsDeadWhenReadOnly) {
    framework::FileEditor file;
    file.TITLE = "Choose a city file";
    file.FILEPATTERN = "All Files|*.*";
    file.FILEMASK = "16";
    open(1, [&](CustomerList& list) { list.editors.emplace_back(3, &file); });
    ASSERT_TRUE(session.press("&Change"));
    keys("Tab Tab");
    ASSERT_EQ(editedColumn(), 3);
    ASSERT_TRUE(session.input().pressDropButton(window(), file.FEQ));
    session.run();
    ASSERT_EQ(session.pendingDialogs().size(), 1u);
    EXPECT_EQ(session.pendingDialogs()[0]->file.fileName, "Springfield");
    ASSERT_TRUE(session.answerFileDialog(std::nullopt));
    session.run();
    EXPECT_EQ(editedColumn(), 3);
    EXPECT_EQ(host::clip(file.USEVAR.text()), "Springfield");
    ASSERT_TRUE(session.input().pressDropButton(window(), file.FEQ));
    session.run();
    ASSERT_TRUE(session.answerFileDialog("/m/Ogdenville"));
    session.run();
    EXPECT_EQ(host::clip(file.USEVAR.text()), "/m/Ogdenville");
    file.MakeReadOnly(true);
    ASSERT_TRUE(session.input().pressDropButton(window(), file.FEQ));
    session.run();
    EXPECT_TRUE(session.pendingDialogs().empty());
    EXPECT_EQ(editedColumn(), 3);
    keys("Esc");
    EXPECT_EQ(editedColumn(), 0);
}

} // namespace
