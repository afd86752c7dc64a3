// Filling one 40-row page of the invoice lines list from a queue of 100,000 lines and
// formatting every cell through the column pictures, beside a plain loop that copies the
// same fields of the same rows into strings without pictures.
#include "runtime/base/Queue.h"
#include "runtime/ui/ListFormat.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace host;

namespace {

constexpr std::size_t totalRows = 100000;
constexpr std::size_t pageRows = 40;

constexpr const char* lineFormat =
    "32C|_FM~Sequence~@n_4@40C|_FM~Item~@s10@108L(2)|_FM~Description~@s30@23R(2)|_FM~Qty~C(0)"
    "@n5@[32D(12)|_FM~Cost~C(0)@n-7.2@34D(12)|_FM~List~C(0)@n8.2@31R(2)|_FM~Sell~C(0)@n8.2@]|"
    "FM~Pricing Information~26C|_FMI~Print?~@p p@42D(14)|_FM~Extended~C(0)@n$9.2@";

SharedLayout lineLayout() {
    return std::make_shared<const RecordLayout>(RecordLayout{
        {"SEQUENCE", FieldType::longInteger()},
        {"ITEM", FieldType::text(10)},
        {"DESCRIPTION", FieldType::text(30)},
        {"QUANTITY", FieldType::longInteger()},
        {"COST", FieldType::decimal(7, 2)},
        {"LIST", FieldType::decimal(7, 2)},
        {"SELL", FieldType::decimal(7, 2)},
        {"PRINT", FieldType::text(1)},
        {"ICON", FieldType::unsignedShort()},
        {"EXTENDED", FieldType::decimal(7, 2)},
        {"LINEID", FieldType::longInteger()},
        {"HEADERID", FieldType::longInteger()},
    });
}

const Queue& allLines() {
    static const Queue queue = [] {
        Queue lines(lineLayout());
        Record& row = lines.buffer();
        for (std::size_t n = 1; n <= totalRows; ++n) {
            long long cents = static_cast<long long>(n * 37 % 100000);
            row.field(1).assign(Value(static_cast<long long>(n * 10)));
            row.field(2).assign(Value("ITEM" + std::to_string(n % 997)));
            row.field(3).assign(Value("Description of item " + std::to_string(n % 997)));
            row.field(4).assign(Value(static_cast<long long>(n % 99 + 1)));
            row.field(5).assign(Value(Decimal::fromUnits(cents, 2)));
            row.field(6).assign(Value(Decimal::fromUnits(cents * 18 / 10, 2)));
            row.field(7).assign(Value(Decimal::fromUnits(cents * 17 / 10, 2)));
            row.field(8).assign(Value(n % 3 == 0 ? "1" : "0"));
            row.field(9).assign(Value(n % 3 == 0 ? 2 : 1));
            row.field(10).assign(Value(Decimal::fromUnits(cents * 17 / 10 * 3, 2)));
            row.field(11).assign(Value(static_cast<long long>(n)));
            row.field(12).assign(Value(static_cast<long long>(n / 8 + 1)));
            lines.add();
        }
        return lines;
    }();
    return queue;
}

// Pages spread over the whole queue, as scrolling and locating would reach them.
std::size_t pageStart(std::size_t iteration) {
    return iteration * 7919 % (totalRows - pageRows) + 1;
}

void FillAndFormatPage(benchmark::State& state) {
    const Queue& lines = allLines();
    const ListFormat format = *ListFormat::parse(lineFormat);
    Queue page(lineLayout());
    std::vector<std::vector<ListCell>> cells(pageRows);
    std::size_t iteration = 0;
    for (auto _ : state) {
        std::size_t first = pageStart(iteration++);
        page.free();
        for (std::size_t row = first; row < first + pageRows; ++row) {
            page.buffer().setImage(std::string_view(reinterpret_cast<const char*>(lines.entry(row)),
                                                    page.buffer().size()));
            page.add();
        }
        for (std::size_t row = 1; row <= pageRows; ++row)
            format.formatRow(page, row, cells[row - 1]);
        benchmark::DoNotOptimize(cells.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * pageRows));
}

// Baseline: the same rows and fields, each copied into a string as it is stored.
void CopyRawFields(benchmark::State& state) {
    const Queue& lines = allLines();
    const int fields = ListFormat::parse(lineFormat)->fieldsUsed();
    std::vector<std::vector<std::string>> texts(pageRows,
                                                std::vector<std::string>(std::size_t(fields)));
    std::size_t iteration = 0;
    for (auto _ : state) {
        std::size_t first = pageStart(iteration++);
        for (std::size_t row = first; row < first + pageRows; ++row)
            for (int field = 1; field <= fields; ++field)
                texts[row - first][std::size_t(field - 1)] = lines.entryField(row, field).text();
        benchmark::DoNotOptimize(texts.data());
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * pageRows));
}

BENCHMARK(CopyRawFields);
BENCHMARK(FillAndFormatPage);

} // namespace
