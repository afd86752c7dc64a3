// Cost of testing one record against a filter text, as a view does for every record
// that SQL could not decide alone, beside the same test written by hand in C++.

#include "runtime/base/Record.h"
#include "runtime/expressions/Expression.h"
#include "runtime/sqlite/FilterTranslator.h"

#include <benchmark/benchmark.h>

using namespace host;

namespace {

const char* filterText =
    "IND:INVHDRID = 5 AND (SUB(UPPER(CUS:NAME),1,3) = 'SMI') AND (ITM:PRICE >= 10.5) AND "
    "(INSTRING('TOY',UPPER(CUS:CITY),1,1) <> 0)";

struct Fixture {
    Record record{std::make_shared<RecordLayout>(RecordLayout{
        {"CUS:NAME", FieldType::text(30)},
        {"CUS:CITY", FieldType::cstring(21)},
        {"IND:INVHDRID", FieldType::longInteger()},
        {"ITM:PRICE", FieldType::decimal(7, 2)},
    })};

    Fixture() {
        record.field("CUS:NAME").assign(Value("Smithson"));
        record.field("CUS:CITY").assign(Value("Toytown"));
        record.field("IND:INVHDRID").assign(Value(5));
        record.field("ITM:PRICE").assign(Value(*Decimal::parse("19.99")));
    }

    Expression parse() const {
        return *Expression::parse(filterText,
                                  [this](std::string_view label) { return record.field(label); });
    }
};

void BM_EvaluateFilterText(benchmark::State& state) {
    Fixture fixture;
    Expression filter = fixture.parse();
    for (auto _ : state)
        benchmark::DoNotOptimize(filter.test());
}
BENCHMARK(BM_EvaluateFilterText);

// Baseline: the same test coded by hand on the same record buffer.
void BM_HandWrittenTest(benchmark::State& state) {
    Fixture fixture;
    TypedRef name = fixture.record.field("CUS:NAME"), city = fixture.record.field("CUS:CITY");
    TypedRef header = fixture.record.field("IND:INVHDRID"),
             price = fixture.record.field("ITM:PRICE");
    const Decimal least = *Decimal::parse("10.5");
    for (auto _ : state) {
        bool accepted = header.integer() == 5 && upper(subString(name.text(), 1, 3)) == "SMI" &&
                        price.decimal() >= least && findText("TOY", upper(city.text())) != 0;
        benchmark::DoNotOptimize(accepted);
    }
}
BENCHMARK(BM_HandWrittenTest);

void BM_ParseFilterText(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.parse());
}
BENCHMARK(BM_ParseFilterText);

void BM_TranslateFilterText(benchmark::State& state) {
    Fixture fixture;
    Expression filter = fixture.parse();
    auto columnOf = [&](const TypedRef& field) -> std::optional<sqlite::SqlColumn> {
        return sqlite::SqlColumn{"t0.\"C\"", field.type()};
    };
    for (auto _ : state)
        benchmark::DoNotOptimize(sqlite::translateFilter(filter, columnOf));
}
BENCHMARK(BM_TranslateFilterText);

} // namespace
