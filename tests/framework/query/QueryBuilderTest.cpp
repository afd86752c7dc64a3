// The filter texts the query builder makes from what the user typed, grouped by the kind
// of criterion; saving, listing and restoring queries in the INI store; the query items of
// the popup menu.
#include "framework/query/QueryBuilder.h"
#include "framework/data/ErrorReporter.h"
#include "framework/window/IniStore.h"
#include "framework/window/PopupMenu.h"
#include "runtime/expressions/Expression.h"
#include "runtime/pictures/Picture.h"
#include "runtime/settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using framework::QueryBuilder;

namespace {

// A customer list's fields: two text columns, a number, a decimal and a date.
class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        query.Setup("BrowseCustomers");
        query.AddItem("CUS:NAME", "Name", "@s30");
        query.AddItem("CUS:CONTACT", "Contact", "S20");
        query.AddItem("CUS:CUSTOMERID", "Id", "");
        query.AddItem("ITM:COST", "Cost", "@n10.2");
        query.AddItem("INH:DATE", "Date", "@d2");
    }
    std::string with(std::string_view field, QueryBuilder::Field part, std::string_view text) {
        query.SetFieldText(query.FindField(field), part, text);
        return query.BuildFilter();
    }
    std::string middle(std::string_view field, std::string_view text) {
        return with(field, QueryBuilder::MiddleField, text);
    }
    QueryBuilder query;
};

TEST_F(BuilderTest, ExactValuesAndComparisons) {
    EXPECT_EQ(middle("CUS:NAME", "Smith"), "(CUS:NAME = 'Smith')");
    query.ClearQuery();
    EXPECT_EQ(middle("CUS:CUSTOMERID", ">=100"), "(CUS:CUSTOMERID >= 100)");
    EXPECT_EQ(middle("CUS:CUSTOMERID", "=<7"), "(CUS:CUSTOMERID <= 7)");
    EXPECT_EQ(middle("CUS:CUSTOMERID", "<>=7"), "(CUS:CUSTOMERID <> 7)");
    EXPECT_EQ(middle("CUS:CUSTOMERID", "~=7"), "(CUS:CUSTOMERID ~= 7)");
    // Numeric "<>" with nothing after it compares with zero.
    EXPECT_EQ(middle("CUS:CUSTOMERID", "<>"), "(CUS:CUSTOMERID <> 0)");
    // Through the picture: the raw value.
    query.ClearQuery();
    EXPECT_EQ(middle("ITM:COST", "1,234.50"), "(ITM:COST = 1234.5)");
    query.ClearQuery();
    EXPECT_EQ(middle("INH:DATE", "1/2/2026"),
              "(INH:DATE = " + host::deformatPicture("1/2/2026", "@d2")->toText() + ")");
    // Several fields join with AND, in field-list order.
    middle("CUS:NAME", "Smith");
    EXPECT_EQ(middle("CUS:CUSTOMERID", "5"),
              "(CUS:NAME = 'Smith') AND (CUS:CUSTOMERID = 5) AND (INH:DATE = " +
                  host::deformatPicture("1/2/2026", "@d2")->toText() + ")");
}

TEST_F(BuilderTest, BoundsAreExclusiveUnlessAMiddleIsGiven) {
    with("CUS:CUSTOMERID", QueryBuilder::LowField, "10");
    EXPECT_EQ(with("CUS:CUSTOMERID", QueryBuilder::HighField, "20"),
              "(CUS:CUSTOMERID > 10) AND (CUS:CUSTOMERID < 20)");
    EXPECT_EQ(middle("CUS:CUSTOMERID", "anything"),
              "(CUS:CUSTOMERID >= 10) AND (CUS:CUSTOMERID <= 20)");
    query.ClearQuery();
    EXPECT_EQ(with("CUS:CUSTOMERID", QueryBuilder::HighField, "20"), "(CUS:CUSTOMERID < 20)");
    // "=" before a bound includes it, without a middle.
    query.ClearQuery();
    EXPECT_EQ(with("ITM:COST", QueryBuilder::LowField, "=1.50"), "(ITM:COST >= 1.5)");
}

TEST_F(BuilderTest, BeginsAndContains) {
    EXPECT_EQ(middle("CUS:NAME", "Smith*"), "SUB(CUS:NAME,1,5) = 'Smith'");
    EXPECT_EQ(middle("CUS:NAME", "*toy"), "INSTRING('toy',CUS:NAME,1,1) <> 0");
    // Leading and trailing "*": the trailing one is searched for.
    EXPECT_EQ(middle("CUS:NAME", "*toy*"), "INSTRING('toy*',CUS:NAME,1,1) <> 0");
    // "*" alone asks for anything.
    EXPECT_EQ(middle("CUS:NAME", "*"), "");
    query.ClearQuery();
    // A pattern on a number is matched against what the user sees.
    EXPECT_EQ(middle("ITM:COST", "*.50"),
              "INSTRING('.50',UPPER(FORMAT(ITM:COST,@N10.2)),1,1) <> 0");
}

TEST_F(BuilderTest, CaseInsensitiveCriteria) {
    EXPECT_EQ(middle("CUS:NAME", "^toy"), "(UPPER(CUS:NAME) = 'TOY')");
    EXPECT_EQ(middle("CUS:NAME", "*^toy"), "INSTRING('TOY',UPPER(CUS:NAME),1,1) <> 0");
    EXPECT_EQ(middle("CUS:NAME", "^smith*"), "SUB(UPPER(CUS:NAME),1,5) = 'SMITH'");
    query.ClearQuery();
    // The wrapping holds for both ends of a range.
    with("CUS:NAME", QueryBuilder::LowField, "^a");
    EXPECT_EQ(with("CUS:NAME", QueryBuilder::HighField, "c"),
              "(UPPER(CUS:NAME) > 'A') AND (UPPER(CUS:NAME) < 'C')");
}

TEST_F(BuilderTest, QuotesAndFaults) {
    EXPECT_EQ(middle("CUS:NAME", "O'Brien"), "(CUS:NAME = 'O''Brien')");
    EXPECT_EQ(middle("CUS:NAME", "*'"), "INSTRING('''',CUS:NAME,1,1) <> 0");
    EXPECT_TRUE(query.LastFault().empty());
    // A number in a text field is text; text in a number field is a fault that still reads.
    EXPECT_EQ(middle("CUS:NAME", "123"), "(CUS:NAME = '123')");
    query.ClearQuery();
    EXPECT_EQ(middle("CUS:CUSTOMERID", "abc"), "(CUS:CUSTOMERID = 'abc')");
    EXPECT_EQ(query.LastFault(), "Id");
    query.ClearQuery();
    middle("INH:DATE", "31/31/2026");
    EXPECT_EQ(query.LastFault(), "Date");
}

// Whatever is typed, the filter reads: a value the field cannot hold is noted as a fault
// rather than written into a broken text.
TEST_F(BuilderTest, AnythingTypedGivesAFilterThatReads) {
    host::Record record(std::make_shared<const host::RecordLayout>(host::RecordLayout{
        {"CUS:NAME", host::FieldType::text(30)},
        {"CUS:CONTACT", host::FieldType::text(20)},
        {"CUS:CUSTOMERID", host::FieldType::longInteger()},
        {"ITM:COST", host::FieldType::decimal(7, 2)},
        {"INH:DATE", host::FieldType::date()},
    }));
    const std::string typed[] = {"'",          "O'",
                                 "''",         "'abc",
                                 "*",          "**",
                                 "^",          "*^",
                                 "^*",         ">=",
                                 "<>",         "~",
                                 "=",          "=<>~",
                                 "*'",         "a,b",
                                 "abc",        "1.2.3",
                                 "-",          "12/31",
                                 "99/99/9999", "(",
                                 ")",          "\"",
                                 "@n5",        std::string(10000, 'x')};
    for (std::size_t field = 1; field <= query.FieldCount(); ++field) {
        for (const std::string& value : typed) {
            for (auto part : {QueryBuilder::MiddleField, QueryBuilder::LowField}) {
                query.ClearQuery();
                query.SetFieldText(field, part, value);
                std::string filter = query.BuildFilter();
                if (filter.empty())
                    continue;
                host::ExpressionError error;
                auto parsed = host::Expression::parse(
                    filter, [&](std::string_view label) { return record.field(label); }, &error);
                EXPECT_TRUE(parsed) << filter << ": " << error.message;
                EXPECT_LE(filter.size(), QueryBuilder::filterLimit);
            }
        }
    }
    // A value longer than an entry holds is cut to it.
    query.ClearQuery();
    EXPECT_EQ(middle("CUS:NAME", "*" + std::string(10000, 'y')).size(),
              std::string("INSTRING('',CUS:NAME,1,1) <> 0").size() + 499);
}

// ---- Saved queries ----------------------------------------------------------------------------

class CountingReporter : public framework::ErrorReporter {
public:
    framework::Severity HandleNotify() override {
        messages.push_back(SubstituteMessage());
        return framework::Severity::Notify;
    }
    std::vector<std::string> messages;
};

class SavedQueryTest : public BuilderTest {
protected:
    void SetUp() override {
        errors.Setup();
        ini.Setup(file());
        query.Setup("BrowseCustomers", &ini, &errors);
        query.AddItem("CUS:NAME", "Name", "@s30");
        query.AddItem("CUS:CONTACT", "Contact", "S20");
        query.AddItem("CUS:CUSTOMERID", "Id", "");
    }
    void TearDown() override {
        ini.Teardown();
        errors.Teardown();
    }
    std::string file() const { return folder.path() + "/mirto.INI"; }
    std::string fileText() const {
        auto loaded = host::IniFile::load(file());
        return loaded ? loaded->text() : std::string();
    }
    testsupport::TempFolder folder;
    framework::IniStore ini;
    CountingReporter errors;
};

TEST_F(SavedQueryTest, ARangeKeepsOnlyItsMiddle) {
    with("CUS:CUSTOMERID", QueryBuilder::LowField, "10");
    with("CUS:CUSTOMERID", QueryBuilder::HighField, "20");
    middle("CUS:NAME", "^toy*");
    ASSERT_TRUE(query.SaveQuery("Toys"));
    query.ClearQuery();
    query.RestoreQuery("Toys");
    EXPECT_EQ(query.BuildFilter(), "SUB(UPPER(CUS:NAME),1,3) = 'TOY'");
    EXPECT_EQ(query.FieldText(3, QueryBuilder::LowField), "");
    EXPECT_EQ(ini.ReadEntry("Query$Toys$$BrowseCustomers", "Query"), "3");
    EXPECT_EQ(ini.ReadEntry("Query$Toys$$BrowseCustomers", "Query_1"), "CUS:NAME,^toy*");
    // Another owner's queries are not this list's.
    QueryBuilder other;
    other.Setup("BrowseItems", &ini);
    EXPECT_TRUE(other.SavedQueryNames().empty());
}

TEST_F(SavedQueryTest, UpperCasedNamesRestoreAsCaseInsensitiveValues) {
    ini.WriteEntry("Query$Old$$BrowseCustomers", "Query", host::Value(3));
    ini.WriteEntry("Query$Old$$BrowseCustomers", "Query_1", host::Value("UPPER(CUS:NAME),toy*"));
    ini.WriteEntry("Query$Old$$BrowseCustomers", "Query_2", host::Value("UPPER(CUS:CONTACT),^ann"));
    ini.WriteEntry("Query$Old$$BrowseCustomers", "Query_3", host::Value("cus:customerid,>5"));
    query.RestoreQuery("Old");
    EXPECT_EQ(query.FieldText(1, QueryBuilder::MiddleField), "^toy*");
    EXPECT_EQ(query.FieldText(2, QueryBuilder::MiddleField), "^ann");
    EXPECT_EQ(query.FieldText(3, QueryBuilder::MiddleField), ">5");
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(SavedQueryTest, AColumnTheListNoLongerHasIsReportedOnceAndDropped) {
    ini.WriteEntry("Query$Gone$$BrowseCustomers", "Query", host::Value(2));
    ini.WriteEntry("Query$Gone$$BrowseCustomers", "Query_1", host::Value("CUS:FAX,555*"));
    ini.WriteEntry("Query$Gone$$BrowseCustomers", "Query_2", host::Value("CUS:NAME,Ann"));
    query.RestoreQuery("Gone");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0],
              "The saved QBE column, CUS:FAX is not supported. It will be dropped from the query.");
    EXPECT_EQ(query.BuildFilter(), "(CUS:NAME = 'Ann')");
}

TEST_F(SavedQueryTest, ListingSortsByNameAndNeverShowsTheLastChoice) {
    middle("CUS:NAME", "b");
    query.SaveQuery("Zeta");
    query.SaveQuery("Alpha");
    query.SaveQuery(QueryBuilder::mruName);
    EXPECT_EQ(query.SavedQueryNames(), (std::vector<std::string>{"Alpha", "Zeta"}));
    // Saving again under a name registers nothing new.
    query.SaveQuery("Alpha");
    EXPECT_EQ(query.SavedQueryNames().size(), 2u);
}

TEST_F(SavedQueryTest, NamesAndValuesTheFileCannotHoldAreRefused) {
    middle("CUS:NAME", "Smith");
    std::string before = fileText();
    for (std::string name : {"a]b", "a=b", "two\nlines", "", " lead", "a$b", "x,y"})
        EXPECT_FALSE(query.SaveQuery(name)) << name;
    middle("CUS:NAME", "Smith, J*");
    EXPECT_FALSE(query.SaveQuery("Comma"));
    EXPECT_EQ(fileText(), before);
    EXPECT_TRUE(query.SavedQueryNames().empty());
}

TEST_F(SavedQueryTest, PopupItemsFollowTheSavedQueries) {
    framework::PopupMenu popup;
    popup.Setup();
    popup.AppendEntry("&Insert");
    query.CONTROL = 9;
    query.AddMenuItems(popup);
    EXPECT_EQ(popup.EntryCount(), 1u); // nothing saved: no submenu
    middle("CUS:NAME", "*toy");
    query.SaveQuery("Toys");
    query.SaveQuery("Big Ones");
    query.AddMenuItems(popup);
    std::vector<std::string> texts;
    for (std::size_t n = 1; n <= popup.EntryCount(); ++n)
        texts.push_back(popup.EntryAt(n)->TEXT + "/" + std::to_string(popup.EntryAt(n)->DEPTH));
    EXPECT_EQ(texts, (std::vector<std::string>{"&Insert/1", "-/1", "View/1", "Big Ones/2", "Toys/2",
                                               "-/2", "C&lear/2"}));
    // Rebuilding replaces the items rather than adding them again.
    query.AddMenuItems(popup);
    EXPECT_EQ(popup.EntryCount(), 7u);
    // Choosing "Toys" restores it and keeps it as the last choice; "C&lear" empties.
    query.ClearQuery();
    popup.LASTSELECTION = popup.EntryAt(5)->NAME;
    EXPECT_TRUE(query.ChooseFromMenu());
    EXPECT_EQ(query.BuildFilter(), "INSTRING('toy',CUS:NAME,1,1) <> 0");
    EXPECT_TRUE(query.Ask(true)); // applied without asking
    EXPECT_EQ(ini.ReadEntry("Query$tsMRU$$BrowseCustomers", "Query_1"), "CUS:NAME,*toy");
    popup.LASTSELECTION = popup.EntryAt(7)->NAME;
    EXPECT_EQ(popup.EntryAt(7)->NAME, QueryBuilder::clearItemName);
    EXPECT_EQ(popup.EntryAt(7)->CONTROLID, 9);
    query.ChooseFromMenu();
    EXPECT_EQ(query.BuildFilter(), "");
    popup.Teardown();
}

} // namespace
