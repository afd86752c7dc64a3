#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sample {

// How many records to add to each file. Every invoice gets exactly `linesPerInvoice`
// lines.
struct Counts {
    std::int64_t customers = 0;
    std::int64_t items = 0;
    std::int64_t invoices = 0;
    std::int64_t linesPerInvoice = 0;
};

// The letters of a customer number, in the order they count up: digits, capital letters,
// then the 32 punctuation marks of ASCII. Letters of both cases are one key value to the
// Customer Number Key, so only capitals count.
inline constexpr const char* numberLetters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                             "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
inline constexpr std::int64_t numberBase = 68;
// The largest customer id that has a number of its own: "~~~~".
inline constexpr std::int64_t largestCustomerId =
    numberBase * numberBase * numberBase * numberBase - 1;
// The largest item index whose item number fits in ITM:ITEMNUMBER.
inline constexpr std::int64_t largestItemCount = 9'999'999;

// The four-character number of customer `id` (1 to largestCustomerId): `id` written in
// base 68 with numberLetters as its digits, "0001", "0002", ..., "000Z", "000!", ...
std::string customerNumber(std::int64_t id);

// The name of the `index`-th customer (0-based) of `count` added in one run, "Surname,
// Given <index + 1>": unique within the run, and spread over the whole alphabet whatever
// the count.
std::string customerName(std::int64_t index, std::int64_t count);

// The item number of the `index`-th item (0-based): a two-letter kind and the index + 1,
// "FS-000001".
std::string itemNumber(std::int64_t index);

// What a long run tells while it works: a line of progress or a phase's summary.
using Report = std::function<void(const std::string& line)>;

// Fills the data folder `folder` (made when missing) with `counts` records, written
// through the program's data dictionary: the files' access objects number the records
// as the program does, and the records are written in transaction frames of
// `recordsPerFrame`. Also writes the shop's configuration record. Refuses a folder whose
// data files already hold records. False with the reason in `why` on failure.
bool fill(const std::string& folder, const Counts& counts, const Report& report, std::string& why,
          int recordsPerFrame = 10'000);

// "1,234,567".
std::string grouped(std::int64_t number);

} // namespace sample
