// Fills a data folder with sample shop data through the program's own data files, for
// trying the program and measuring it on large files:
//
//   make-sample-data --customers 100000 --items 500 --invoices 2000
//                    --lines-per-invoice 5 build/app/data
#include "tools/SampleData.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const char* usage =
    R"(Usage: make-sample-data [--customers N] [--items N] [--invoices N]
                        [--lines-per-invoice N] FOLDER

Fills the data folder FOLDER (made when missing; the folder that holds data.sqlite) with
sample data written through the program's own data files: customers with names,
addresses, cities, states, zip codes, ten-digit phone numbers and contacts; stock items
with numbers, descriptions and prices; invoices with dates and customers, each with N
lines of items, quantities and prices. The program keeps its data in data/ beside its
executable, so for a build in build/ the folder is build/app/data.

Records are numbered as the program numbers them (customer, item, invoice and line ids,
invoice numbers, line sequences in tens) and written in transaction frames of 10,000.
Only an empty data folder is filled: a folder whose files already hold records is
refused.

Customer numbers (CUS:NUMBER) are four characters, unique whatever the letter case:
the customer id written in base 68, counting up through the digits, the capital letters
and the 32 punctuation marks, in that order: 0001 ... 0009, 000A ... 000Z, 000! ... 000~,
0010 ... ~~~~. That gives 21,381,375 customers at most. Customer names are
"Surname, Given N" with N the customer's id, spread over the whole alphabet. Item
numbers are a kind and the item's id ("FS-000001").

The same counts always give the same data.
)";

bool readCount(std::string_view text, std::int64_t& count) {
    std::int64_t value = 0;
    bool anyDigit = false;
    for (char c : text) {
        if (c == ',' || c == '_')
            continue;
        if (c < '0' || c > '9' || value > 1'000'000'000'000)
            return false;
        value = value * 10 + (c - '0');
        anyDigit = true;
    }
    count = value;
    return anyDigit;
}

} // namespace

int main(int argc, char** argv) {
    sample::Counts counts;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        std::int64_t* target = arg == "--customers"           ? &counts.customers
                               : arg == "--items"             ? &counts.items
                               : arg == "--invoices"          ? &counts.invoices
                               : arg == "--lines-per-invoice" ? &counts.linesPerInvoice
                                                              : nullptr;
        if (target) {
            if (i + 1 >= argc || !readCount(argv[i + 1], *target)) {
                std::fprintf(stderr, "make-sample-data: %s needs a number\n", argv[i]);
                return 2;
            }
            ++i;
        } else if (arg.starts_with("-") || !folder.empty()) {
            std::fprintf(stderr, "make-sample-data: unexpected argument %s\n\n%s", argv[i], usage);
            return 2;
        } else {
            folder = arg;
        }
    }
    if (folder.empty()) {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string why;
    bool filled = sample::fill(
        folder, counts,
        [](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        },
        why);
    if (!filled) {
        std::fprintf(stderr, "make-sample-data: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
