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
#include "tests/support/WindowDefinitions.h"

using namespace datatest;
using framework::BrowseList;
using framework::CellEditor;
using framework::InPlaceEditManager;
using framework::RequestKind;
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

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

class InPlaceEditTest;

// A customer list edited in place: columns Name, Number, City and Id.
class CustomerList : public framework::WindowController {
public:
    explicit CustomerList(InPlaceEditTest& test) : test_(test) {}
    Severity Setup() override;
    Severity Teardown() override;

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
    // Column editors registered by the test before the list is armed (null: not editable).
    std::vector<std::pair<std::int32_t, CellEditor*>> editors;

private:
    InPlaceEditTest& test_;
};

class InPlaceEditTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        InPlaceEditManager::InstallAsDefault();
        definition = testsupport::define(browseWindow);
    }
    void TearDown() override {
        if (procedure && procedure->window && procedure->window->isOpen())
            session.closeWindow(procedure->window.get());
        session.run();
        DataTest::TearDown();
    }
    void seedNumbered(int count) {
        seed(customerDefinition(), [&](host::Record& record, host::RecordFile& file) {
            for (int id = 1; id <= count; ++id) {
                fillCustomer(record, id, "N" + twoDigits(id), "Name " + twoDigits(id));
                file.add();
            }
        });
    }
    void open(const std::function<void(CustomerList&)>& configure = {}) {
        declare(customers, "Customer");
        view = driver.makeView(*customers.file);
        procedure = std::make_unique<CustomerList>(*this);
        if (configure)
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
        const host::Control* list = window().control(1);
        for (int column = 1; column <= 4; ++column)
            if (list->columnEditor(column) != 0)
                return column;
        return 0;
    }
    int editorControl() { return window().control(1)->columnEditor(editedColumn()); }
    void key(std::string_view name) {
        session.pressKey(name);
        session.run();
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
        if (!file->open(host::openMode::readOnly | host::openMode::denyNone))
            return out;
        file->set(key);
        while (file->next())
            out.push_back(host::clip(record.field(label).text()));
        file->close();
        return out;
    }
    std::vector<std::string> fileNames() { return fileTexts(); }
    std::vector<std::string> numbered(int first, int last) {
        std::vector<std::string> out;
        for (int n = first; n <= last; ++n)
            out.push_back("Name " + twoDigits(n));
        return out;
    }

public:
    framework::ErrorReporter& reporter() { return errors; }
    TestFile customers{driver, customerDefinition()};
    std::unique_ptr<host::RecordView> view;
    std::shared_ptr<const host::WindowDefinition> definition;
    host::headless::HeadlessSession session;
    std::unique_ptr<CustomerList> procedure;
};

Severity CustomerList::Setup() {
    Severity level = WindowController::Setup();
    if (level != Severity::Benign)
        return level;
    VCRREQUEST = &vcr;
    ERRORS = &test_.reporter();
    RegisterButton(6, ResponseKind::Cancelled);
    test_.customers.link.Open();
    window = std::make_unique<host::Window>(test_.definition);
    window->bind("Queue:Rows", rows);
    browse.Setup(*this, 1, rows, rows.buffer().field("POSITION"), *test_.view,
                 test_.customers.link);
    OpenWindow(*window);
    browse.DefineSortOrder("CUS:NAMEK");
    browse.MapColumn(test_.customers.field("CUS:NAME"), rows.buffer().field("NAME"));
    browse.MapColumn(test_.customers.field("CUS:NUMBER"), rows.buffer().field("NUMBER"));
    browse.MapColumn(test_.customers.field("CUS:CITY"), rows.buffer().field("CITY"));
    browse.MapColumn(test_.customers.field("CUS:CUSTOMERID"), rows.buffer().field("ID"));
    browse.INSERTCONTROL = 2;
    browse.CHANGECONTROL = 3;
    browse.DELETECONTROL = 4;
    for (auto& [column, editor] : editors)
        browse.AddEditControl(editor, column);
    ArmKeys();
    return Severity::Benign;
}

Severity CustomerList::Teardown() {
    Severity level = WindowController::Teardown();
    test_.customers.link.Close();
    return level;
}

// The City column cannot be edited in most tests.
void cityNotEditable(CustomerList& list) {
    list.editors.emplace_back(3, nullptr);
}

TEST_F(InPlaceEditTest, TabAndShiftTabMoveOverTheEditableCellsAndTabPastTheLastAsks) {
    seedNumbered(3);
    open(cityNotEditable);
    ASSERT_TRUE(session.press("&Change"));
    EXPECT_EQ(editedColumn(), 1);
    EXPECT_EQ(window().focus(), editorControl());
    // The column without an editor is grey while the row is edited.
    EXPECT_EQ(window().control(1)->columnTextColour(3), InPlaceEditManager::GreyText);
    key("Shift+Tab");
    EXPECT_EQ(editedColumn(), 1);
    key("Tab");
    EXPECT_EQ(editedColumn(), 2);
    key("Tab");
    EXPECT_EQ(editedColumn(), 4);
    key("Shift+Tab");
    EXPECT_EQ(editedColumn(), 2);
    key("Tab");
    typeInCell("7");
    // Tab past the last editable cell of a changed row asks (TABACTION 0); Cancel stays.
    session.answerNextMessage(host::ButtonCancel);
    key("Tab");
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(session.messagesShown()[0].title, "Save Record");
    EXPECT_EQ(editedColumn(), 1);
    session.answerNextMessage(host::ButtonYes);
    key("Shift+Tab"); // still column 1
    key("Tab");
    key("Tab");
    key("Tab");
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 7);
    EXPECT_EQ(window().control(1)->columnTextColour(3), -1);
    EXPECT_EQ(session.listCells("1").at(0).at(3), "7");
}

TEST_F(InPlaceEditTest, RowsLeftUnchangedWriteNothingAndAnUnchangedNewRowGoes) {
    seedNumbered(3);
    open(cityNotEditable);
    ASSERT_TRUE(session.press("&Change"));
    key("Enter");
    EXPECT_EQ(editedColumn(), 0);
    key("Down"); // the list's own Down: row 2
    ASSERT_TRUE(session.press("&Insert"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Name 01", "Name 02", "", "Name 03"}));
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(editedColumn(), 1);
    key("Tab");
    key("Tab");
    key("Tab"); // past the last cell: nothing to ask about
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_TRUE(session.messagesShown().empty());
    EXPECT_EQ(names(), numbered(1, 3));
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(fileNames(), numbered(1, 3));
}

TEST_F(InPlaceEditTest, InsertOnAFullPageDropsARowAndSavesTheNewOne) {
    seedNumbered(15);
    open(cityNotEditable);
    // On the last row the top row makes room.
    for (int i = 0; i < 9; ++i)
        key("Down");
    ASSERT_TRUE(session.press("&Insert"));
    std::vector<std::string> expected = numbered(2, 10);
    expected.push_back("");
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(selected(), 10);
    // Abandoned, the page is read again from its (new) first row, on the same record.
    key("Esc");
    EXPECT_EQ(names(), numbered(2, 11));
    EXPECT_EQ(selected(), 9);
    // Elsewhere the bottom row goes, and the new row comes below the selection.
    for (int i = 0; i < 5; ++i)
        key("Up");
    ASSERT_EQ(selected(), 4);
    ASSERT_TRUE(session.press("&Insert"));
    expected = numbered(2, 5);
    expected.push_back("");
    for (const std::string& name : numbered(6, 10))
        expected.push_back(name);
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(selected(), 5);
    typeInCell("Name 05a");
    key("Tab");
    typeInCell("N99");
    key("Tab");
    typeInCell("99");
    key("Enter"); // ENTERACTION 0 saves
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_TRUE(session.messagesShown().empty());
    EXPECT_EQ(names().at(static_cast<std::size_t>(selected()) - 1), "Name 05a");
    std::vector<std::string> all = numbered(1, 15);
    all.insert(all.begin() + 5, "Name 05a");
    EXPECT_EQ(fileNames(), all);
}

TEST_F(InPlaceEditTest, ADoubleClickEditsTheClickedCellAndAClickMovesTheEditorInTheRow) {
    seedNumbered(3);
    open(cityNotEditable);
    ASSERT_TRUE(session.doubleClickRow("1", 2, 2));
    session.run();
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 2);
    typeInCell("X2");
    ASSERT_TRUE(session.clickRow("1", 2, 4));
    session.run();
    EXPECT_EQ(editedColumn(), 4);
    EXPECT_EQ(session.listCells("1").at(1).at(1), "X2");
    EXPECT_TRUE(session.messagesShown().empty());
    // Clicking another row leaves this one: focus loss saves it.
    ASSERT_TRUE(session.clickRow("1", 3, 1));
    session.run();
    EXPECT_EQ(editedColumn(), 0);
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(fileTexts("CUS:NUMBER", 1), (std::vector<std::string>{"N01", "X2", "N03"}));
}

TEST_F(InPlaceEditTest, AWindowButtonDuringAnEditEndsTheRowFirst) {
    seedNumbered(3);
    open(cityNotEditable);
    ASSERT_TRUE(session.press("&Change"));
    typeInCell("Name 01z");
    ASSERT_TRUE(session.press("Close"));
    session.run();
    EXPECT_FALSE(window().isOpen());
    std::vector<std::string> expected = {"Name 01z", "Name 02", "Name 03"};
    EXPECT_EQ(fileNames(), expected);
}

TEST_F(InPlaceEditTest, ArrowsSaveAndGoOnInTheSameOrTheFirstColumn) {
    seedNumbered(3);
    open([](CustomerList& list) {
        cityNotEditable(list);
        list.browse.ARROWACTION = 24;
    });
    ASSERT_TRUE(session.press("&Change"));
    key("Tab");
    typeInCell("X1");
    key("Down");
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 2);
    key("Up");
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(editedColumn(), 2);
    EXPECT_EQ(session.listCells("1").at(0).at(1), "X1");
    // Bit 8 alone: the next row starts in the first editable column.
    procedure->browse.ARROWACTION = 8;
    key("Down");
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 1);
    key("Esc");
    EXPECT_TRUE(session.messagesShown().empty());
}

TEST_F(InPlaceEditTest, ADuplicateKeyIsRefusedAndTheRowStaysInEdit) {
    seedNumbered(3);
    open(cityNotEditable);
    key("Down");
    ASSERT_TRUE(session.press("&Change"));
    key("Tab");
    typeInCell("N01");
    session.answerNextMessage(host::ButtonOk);
    key("Enter");
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(editedColumn(), 1);
    EXPECT_EQ(fileTexts("CUS:NUMBER", 1), (std::vector<std::string>{"N01", "N02", "N03"}));
    key("Esc");
    EXPECT_EQ(editedColumn(), 0);
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
    seedNumbered(3);
    CityEditor city;
    open([&](CustomerList& list) {
        list.editors.emplace_back(3, &city);
        list.browse.ARROWACTION = 24;
    });
    ASSERT_TRUE(session.press("&Change"));
    key("Tab");
    key("Tab");
    ASSERT_EQ(editedColumn(), 3);
    key("Down");
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(editedColumn(), 3);
    ASSERT_TRUE(session.input().chooseItem(window(), city.FEQ, 2));
    session.run();
    EXPECT_EQ(editedColumn(), 4);
    key("Enter");
    EXPECT_EQ(session.listCells("1").at(0).at(2), "Shelbyville");
}

TEST_F(InPlaceEditTest, TheFileEditorsButtonKeepsTheNameWhenCancelledAndIsDeadWhenReadOnly) {
    seedNumbered(1);
    framework::FileEditor file;
    file.TITLE = "Choose a city file";
    file.FILEPATTERN = "All Files|*.*";
    file.FILEMASK = "16";
    framework::SpinEditor spin;
    open([&](CustomerList& list) {
        list.editors.emplace_back(3, &file);
        list.editors.emplace_back(4, &spin);
    });
    ASSERT_TRUE(session.press("&Change"));
    key("Tab");
    key("Tab");
    ASSERT_EQ(editedColumn(), 3);
    ASSERT_TRUE(session.input().pressDropButton(window(), file.FEQ));
    session.run();
    ASSERT_EQ(session.pendingDialogs().size(), 1u);
    EXPECT_EQ(session.pendingDialogs()[0]->file.title, "Choose a city file");
    EXPECT_EQ(session.pendingDialogs()[0]->file.fileName, "Springfield");
    EXPECT_EQ(session.pendingDialogs()[0]->file.flags, 16);
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
    // The spin box takes the whole signed range but its lowest value.
    key("Tab");
    EXPECT_EQ(window().control(spin.FEQ)->rangeLow(), -2147483647LL);
    EXPECT_EQ(window().control(spin.FEQ)->rangeHigh(), 2147483647LL);
    key("Esc");
    EXPECT_EQ(editedColumn(), 0);
}

} // namespace
