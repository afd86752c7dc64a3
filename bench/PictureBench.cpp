// Picture formatting and exact decimal arithmetic, each beside a naive baseline measured
// in the same run: snprintf of a double with "%.2f" for the money picture, snprintf of the
// calendar parts for the long date, and plain double arithmetic for the decimals.
#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/pictures/Picture.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using host::Decimal;
using host::Picture;
using host::Value;

constexpr size_t count = 1024;

// Prices of 7 digits with 2 places, from 0.01 to 99999.99.
std::vector<Decimal> decimalPrices() {
    std::vector<Decimal> prices;
    long long units = 1;
    for (size_t i = 0; i < count; ++i) {
        units = (units * 7919 + 104729) % 10000000;
        prices.push_back(Decimal::fromUnits(units, 2));
    }
    return prices;
}

std::vector<double> doublePrices() {
    std::vector<double> prices;
    for (const Decimal& d : decimalPrices())
        prices.push_back(d.toDouble());
    return prices;
}

std::vector<Value> values(const std::vector<Decimal>& prices) {
    return std::vector<Value>(prices.begin(), prices.end());
}

void MoneyPicture(benchmark::State& state) {
    auto picture = Picture::parse("@n$9.2");
    auto prices = values(decimalPrices());
    size_t i = 0;
    for (auto _ : state) {
        std::string text = picture->format(prices[i++ % count]);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(MoneyPicture);

// The picture given by its text at every value, as windows and reports format: the text
// is parsed once per thread and kept, so this costs about what a parsed picture does.
void MoneyPictureByText(benchmark::State& state) {
    auto prices = values(decimalPrices());
    size_t i = 0;
    for (auto _ : state) {
        std::string text = host::formatPicture(prices[i++ % count], "@n$9.2");
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(MoneyPictureByText);

void MoneyBaselineSnprintf(benchmark::State& state) {
    auto prices = doublePrices();
    size_t i = 0;
    char buffer[32];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, "$%.2f", prices[i++ % count]);
        std::string text(buffer);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(MoneyBaselineSnprintf);

void LongDatePicture(benchmark::State& state) {
    auto picture = Picture::parse("@d4");
    int first = host::dayNumber(2026, 1, 1);
    size_t i = 0;
    for (auto _ : state) {
        std::string text = picture->format(Value(first + static_cast<int>(i++ % count)));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(LongDatePicture);

void LongDateBaselineSnprintf(benchmark::State& state) {
    static const char* months[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
    int first = host::dayNumber(2026, 1, 1);
    size_t i = 0;
    char buffer[32];
    for (auto _ : state) {
        host::CalendarDate date = host::calendarDate(first + static_cast<int>(i++ % count));
        std::snprintf(buffer, sizeof buffer, "%s %d, %d", months[date.month - 1], date.day,
                      date.year);
        std::string text(buffer);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(LongDateBaselineSnprintf);

// An invoice line: extended := quantity x sell, subtotal += extended, tax := subtotal x
// rate, every result held with 2 places.
void DecimalArithmetic(benchmark::State& state) {
    auto prices = decimalPrices();
    Decimal rate = *Decimal::parse("0.0825");
    size_t i = 0;
    Decimal subtotal;
    for (auto _ : state) {
        Decimal extended =
            (Decimal(static_cast<long long>(i % 99 + 1)) * prices[i % count]).rounded(2);
        subtotal = (subtotal + extended).rounded(2);
        Decimal tax = (subtotal * rate).rounded(2);
        benchmark::DoNotOptimize(tax);
        if (++i % count == 0)
            subtotal = Decimal();
    }
}
BENCHMARK(DecimalArithmetic);

void DoubleArithmeticBaseline(benchmark::State& state) {
    auto prices = doublePrices();
    double rate = 0.0825;
    size_t i = 0;
    double subtotal = 0;
    for (auto _ : state) {
        double extended =
            std::round(static_cast<double>(i % 99 + 1) * prices[i % count] * 100) / 100;
        subtotal = std::round((subtotal + extended) * 100) / 100;
        double tax = std::round(subtotal * rate * 100) / 100;
        benchmark::DoNotOptimize(tax);
        if (++i % count == 0)
            subtotal = 0;
    }
}
BENCHMARK(DoubleArithmeticBaseline);

} // namespace
