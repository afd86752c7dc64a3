// Random criteria over a random customer file: the rows the record-file driver reads
// through the query's filter are exactly the rows a plain scan finds by evaluating the
// same filter with the host's evaluator, whatever part of it the driver decides in SQL.
#include "tests/framework/data/DataFixture.h"

#include "framework/query/QueryBuilder.h"
#include "runtime/expressions/Expression.h"
#include "runtime/files/PerThreadRecordFile.h"
#include "runtime/files/RecordView.h"

#include <algorithm>
#include <random>
#include <set>

using namespace datatest;
using framework::QueryBuilder;

namespace {

// The customer file as the program declares it, with a balance and a date beside.
host::FileDefinition searchedCustomers() {
    host::FileDefinition file("CUSTOMER", "CUS",
                              std::make_shared<const host::RecordLayout>(host::RecordLayout{
                                  {"CUS:CUSTOMERID", host::FieldType::longInteger()},
                                  {"CUS:NUMBER", host::FieldType::text(4)},
                                  {"CUS:NAME", host::FieldType::text(30)},
                                  {"CUS:CONTACT", host::FieldType::text(20)},
                                  {"CUS:BALANCE", host::FieldType::decimal(7, 2)},
                                  {"CUS:SINCE", host::FieldType::date()},
                              }));
    file.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, true, true);
    file.addKey("CUS:NAMEK", {"CUS:NAME"}, false, true, false);
    file.addKey("CUS:NUMBERK", {"CUS:NUMBER"}, false, true, false);
    file.markSearched("CUS:NAME");
    file.markSearched("CUS:CONTACT");
    return file;
}

const std::vector<std::string> pieces = {"toy", "Toy", "TOY", "an", "Ann", "o'", "smith", "Sm",
                                         " ",   "x",   "ab",  "AB", "é",   "-",  "ys",    "Co"};

std::string randomText(std::mt19937& random, int most) {
    std::string text;
    int count = std::uniform_int_distribution<int>(0, 5)(random);
    for (int n = 0; n < count; ++n)
        text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    if (static_cast<int>(text.size()) > most)
        text.resize(static_cast<std::size_t>(most));
    return text;
}

class QueryDifferentialTest : public DataTest {};

TEST_F(QueryDifferentialTest, TheDriverReadsExactlyWhatAScanAccepts) {
    std::mt19937 random(20261207);
    host::FileDefinition definition = searchedCustomers();
    std::set<std::string> names;
    seed(definition, [&](host::Record& record, host::RecordFile& file) {
        for (int id = 1; id <= 250; ++id) {
            std::string name;
            do
                name = randomText(random, 30);
            while (!names.insert(host::clip(host::upper(name))).second);
            record.clear();
            record.field("CUS:CUSTOMERID").assign(host::Value(id));
            record.field("CUS:NUMBER").assign(host::Value(std::to_string(id)));
            record.field("CUS:NAME").assign(host::Value(name));
            record.field("CUS:CONTACT").assign(host::Value(randomText(random, 20)));
            record.field("CUS:BALANCE")
                .assign(host::Value(host::Decimal::fromUnits(
                    std::uniform_int_distribution<int>(-500, 5000)(random), 2)));
            record.field("CUS:SINCE")
                .assign(host::Value(std::uniform_int_distribution<int>(80000, 80100)(random)));
            ASSERT_TRUE(file.add()) << name;
        }
    });
    host::Record record(definition.layout());
    std::unique_ptr<host::RecordFile> file = host::makeRecordFile(driver, definition, record);
    ASSERT_TRUE(file->open(0x42));
    std::unique_ptr<host::RecordView> view = driver.makeView(*file);
    ASSERT_TRUE(view->open());
    ASSERT_TRUE(view->setOrder("UPPER(CUS:NAME)"));

    QueryBuilder query;
    query.Setup("Differential");
    query.AddItem("CUS:NAME", "Name", "@s30");
    query.AddItem("CUS:CONTACT", "Contact", "@s20");
    query.AddItem("CUS:CUSTOMERID", "Id", "@n6");
    query.AddItem("CUS:BALANCE", "Balance", "@n-10.2");
    query.AddItem("CUS:SINCE", "Since", "", true);
    auto lookup = [&](std::string_view label) { return record.field(label); };

    auto textCriterion = [&] {
        std::string value = randomText(random, 8);
        switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0:
            return "*" + value;
        case 1:
            return "^*" + value;
        case 2:
            return value + "*";
        case 3:
            return "^" + value + "*";
        case 4:
            return std::string(std::uniform_int_distribution<int>(0, 1)(random) ? ">=" : "<") +
                   value;
        default:
            return value;
        }
    };
    auto numberCriterion = [&](int low, int high) {
        static const char* const operators[] = {"", ">", "<", ">=", "<=", "<>", "~="};
        return std::string(operators[std::uniform_int_distribution<int>(0, 6)(random)]) +
               std::to_string(std::uniform_int_distribution<int>(low, high)(random));
    };

    int nonEmpty = 0;
    for (int round = 0; round < 200; ++round) {
        query.ClearQuery();
        for (std::size_t field = 1; field <= query.FieldCount(); ++field) {
            if (std::uniform_int_distribution<int>(0, 2)(random) != 0)
                continue;
            bool text = query.IsTextField(field);
            if (!text && std::uniform_int_distribution<int>(0, 3)(random) == 0) {
                int low = std::uniform_int_distribution<int>(0, 200)(random);
                query.SetFieldText(field, QueryBuilder::LowField, std::to_string(low));
                query.SetFieldText(field, QueryBuilder::HighField, std::to_string(low + 90));
                continue;
            }
            std::string value = text         ? textCriterion()
                                : field == 4 ? numberCriterion(-5, 50)
                                : field == 5 ? numberCriterion(80000, 80100)
                                             : numberCriterion(0, 400);
            query.SetFieldText(field, QueryBuilder::MiddleField, value);
        }
        std::string filter = query.BuildFilter();
        ASSERT_TRUE(query.LastFault().empty()) << filter;

        std::set<long long> scanned;
        std::optional<host::Expression> expression;
        if (!filter.empty()) {
            host::ExpressionError error;
            expression = host::Expression::parse(filter, lookup, &error);
            ASSERT_TRUE(expression) << filter << ": " << error.message;
        }
        ASSERT_TRUE(file->set(1));
        while (file->next())
            if (!expression || expression->test())
                scanned.insert(record.field("CUS:CUSTOMERID").integer());

        ASSERT_TRUE(view->setFilter(filter)) << filter;
        ASSERT_TRUE(view->setStart());
        std::set<long long> read;
        while (view->next())
            read.insert(record.field("CUS:CUSTOMERID").integer());
        ASSERT_EQ(read, scanned) << filter;
        if (!scanned.empty() && !filter.empty())
            ++nonEmpty;
    }
    // The criteria were not all trivial.
    EXPECT_GT(nonEmpty, 50);
    view->close();
    file->close();
}

} // namespace
