// The data-access framework against the record-file driver alone, on the application's
// own files: a Customer file of 1,000,000 records and invoices of 1,000 lines. Every case
// runs twice in the same process: "Framework/<case>" through FileAccess, ViewReader and
// RelationLink, "Driver/<case>" doing the same work with RecordFile, RecordView and the
// driver's transaction frame directly. At the end a table gives framework / driver for
// each case; the framework's overhead should stay within 1.3x.
//
// The customer file is generated once into a folder under the system's temporary
// directory and reused by later runs.
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "framework/data/ViewReader.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/sqlite/SqliteDriver.h"

#include "bench/support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace host;
using framework::Severity;

namespace {

constexpr int customerCount = 1'000'000;
constexpr int pageSize = 20;
constexpr int linesPerInvoice = 1'000;
constexpr int idKey = 1;
constexpr int nameKey = 2;
constexpr int lineKey = 2;   // IND:INVHDRK
constexpr int headerKey = 2; // INH:INVHDRIDK

const char* lastNames[] = {"Smith",  "Johnson", "Williams", "Brown",    "Jones",  "Miller",
                           "Davis",  "Garcia",  "Wilson",   "Martinez", "Taylor", "Thomas",
                           "Moore",  "Martin",  "Jackson",  "White",    "Lopez",  "Lee",
                           "Harris", "Clark",   "Lewis",    "Walker",   "Young",  "Allen"};
const char* firstNames[] = {"James", "Mary",  "Robert", "Linda",   "John",   "Susan",
                            "David", "Sarah", "Thomas", "Karen",   "Daniel", "Nancy",
                            "Mark",  "Lisa",  "Paul",   "Barbara", "Peter",  "Betty"};

// Customer numbers are four characters and unique: the id in base 36.
std::string customerNumber(int id) {
    const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string number(4, '0');
    for (int i = 3; i >= 0; --i, id /= 36)
        number[static_cast<std::size_t>(i)] = digits[id % 36];
    return number;
}

void fillCustomer(Record& customer, int id) {
    unsigned h = static_cast<unsigned>(id) * 2654435761u;
    customer.clear();
    customer.field("CUS:CUSTOMERID").assign(id);
    customer.field("CUS:NUMBER").assign(customerNumber(id));
    customer.field("CUS:NAME")
        .assign(std::string(lastNames[h % 24]) + ", " + firstNames[(h >> 5) % 18] + " " +
                std::to_string(id));
    customer.field("CUS:ADDRESS").assign(std::to_string(h % 9000 + 100) + " Main Street");
    customer.field("CUS:CITY").assign("Springfield");
    customer.field("CUS:STATE").assign("IL");
    customer.field("CUS:ZIP").assign(std::to_string(60000 + h % 9999));
    customer.field("CUS:CONTACT").assign(firstNames[(h >> 7) % 18]);
}

class Bench {
public:
    std::string folder = (std::filesystem::temp_directory_path() / "eip-bench-data-1").string();
    sqlite::SqliteDriver driver;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
    std::unique_ptr<RecordView> driverView;
    std::unique_ptr<RecordView> readerView;
    framework::ViewReader reader;
    std::string middleName;
    int nextCustomer = 0;
    int nextHeader = 1;
    int nextLine = 1;

    static Bench& instance() {
        static Bench bench;
        return bench;
    }

    // An invoice with its lines, added through the driver in one frame; returns its id.
    int addInvoice() {
        int header = nextHeader++;
        app::InvHdrFile->enlist();
        app::InvDetFile->enlist();
        driver.begin(10);
        Record& h = app::InvHdrRecord;
        h.clear();
        h.field("INH:INVHDRID").assign(header);
        h.field("INH:INVOICENUMBER").assign(header);
        h.field("INH:CUSTOMERNUMBER").assign(customerNumber(1));
        app::InvHdrFile->add();
        Record& line = app::InvDetRecord;
        for (int n = 1; n <= linesPerInvoice; ++n) {
            line.clear();
            line.field("IND:INVDETID").assign(nextLine++);
            line.field("IND:INVHDRID").assign(header);
            line.field("IND:SEQUENCE").assign(n * 10);
            line.field("IND:QUANTITY").assign(n % 7 + 1);
            app::InvDetFile->add();
        }
        driver.commit();
        return header;
    }

private:
    Bench() {
        std::filesystem::create_directories(folder);
        std::string marker = folder + "/complete";
        driver.openFolder(folder);
        if (!std::filesystem::exists(marker))
            generate();
        errors.Setup();
        registry.Setup();
        app::DataDictionary::setUp(driver, errors, registry);
        // The procedures that use these files have them open.
        for (framework::FileAccess* access :
             {app::CustomerAccess, app::InvHdrAccess, app::InvDetAccess}) {
            access->Open();
            access->CheckOpen(2);
        }
        driverView = driver.makeView(*app::CustomerFile);
        driverView->open(34);
        driverView->setPaging(pageSize, 2, 0, 60);
        driverView->setOrder("UPPER(CUS:NAME)");
        readerView = driver.makeView(*app::CustomerFile);
        reader.Setup(*readerView, *app::CustomerLink);
        reader.DeclareSortOrder("CUS:NAMEK");

        fillCustomer(app::CustomerRecord, customerCount / 2);
        middleName = app::CustomerRecord.field("CUS:NAME").text();
        Record& h = app::InvHdrRecord;
        app::InvHdrFile->set(headerKey);
        if (app::InvHdrFile->previous())
            nextHeader = static_cast<int>(h.field("INH:INVHDRID").integer()) + 1;
        app::InvDetFile->set(1);
        if (app::InvDetFile->previous())
            nextLine = static_cast<int>(app::InvDetRecord.field("IND:INVDETID").integer()) + 1;
        // Added customers take the next id and are named after the id 100,000 above it,
        // away from the generated ones.
        app::CustomerFile->set(idKey);
        if (app::CustomerFile->previous())
            nextCustomer =
                static_cast<int>(app::CustomerRecord.field("CUS:CUSTOMERID").integer()) + 100'001;
    }

    void generate() {
        std::fprintf(stderr, "Generating %d customers in %s ...\n", customerCount, folder.c_str());
        Record customer(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), customer);
        file->create();
        file->open();
        file->enlist();
        driver.begin(10);
        for (int id = 1; id <= customerCount; ++id) {
            fillCustomer(customer, id);
            if (!file->add())
                std::fprintf(stderr, "add failed: %s\n", errorText().c_str());
        }
        driver.commit();
        file->close();
        std::ofstream(folder + "/complete") << customerCount << "\n";
    }
};

// ---- Reading 20 records from a key position ------------------------------------------------

void frameworkReadFile(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        app::CustomerRecord.field("CUS:NAME").assign(b.middleName);
        app::CustomerFile->setAt(nameKey);
        for (int i = 0; i < pageSize; ++i)
            if (app::CustomerAccess->ReadNext() != Severity::Benign)
                state.SkipWithError("short page");
    }
}

void driverReadFile(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        app::CustomerRecord.field("CUS:NAME").assign(b.middleName);
        app::CustomerFile->setAt(nameKey);
        for (int i = 0; i < pageSize; ++i)
            if (!app::CustomerFile->next())
                state.SkipWithError("short page");
    }
}

void frameworkReadView(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        app::CustomerRecord.field("CUS:NAME").assign(b.middleName);
        b.reader.ResetFrom(1);
        for (int i = 0; i < pageSize; ++i)
            if (b.reader.ReadNext() != Severity::Benign)
                state.SkipWithError("short page");
    }
}

void driverReadView(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        app::CustomerRecord.field("CUS:NAME").assign(b.middleName);
        b.driverView->setAt(1);
        for (int i = 0; i < pageSize; ++i)
            if (!b.driverView->next())
                state.SkipWithError("short page");
    }
}

// ---- Inserting with auto-numbering ---------------------------------------------------------

void frameworkInsert(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        fillCustomer(app::CustomerRecord, b.nextCustomer++);
        if (app::CustomerAccess->InsertQuiet() != Severity::Benign)
            state.SkipWithError(errorText().c_str());
    }
}

// The same steps by hand: keep the record, read the highest id, number, add.
void driverInsert(benchmark::State& state) {
    Bench& b = Bench::instance();
    Record& customer = app::CustomerRecord;
    for (auto _ : state) {
        fillCustomer(customer, b.nextCustomer++);
        std::string image = customer.image();
        app::CustomerFile->skipMemosOnNextRead();
        app::CustomerFile->set(idKey);
        long long id = app::CustomerFile->previous() ? customer.field(1).integer() + 1 : 1;
        customer.setImage(image);
        customer.field(1).assign(id);
        if (!app::CustomerFile->add())
            state.SkipWithError(errorText().c_str());
    }
}

// ---- Deleting an invoice of 1,000 lines by cascade -----------------------------------------

void frameworkCascadeDelete(benchmark::State& state) {
    Bench& b = Bench::instance();
    for (auto _ : state) {
        state.PauseTiming();
        int header = b.addInvoice();
        state.ResumeTiming();
        app::InvHdrRecord.field("INH:INVHDRID").assign(header);
        if (app::InvHdrAccess->ReadByKey(headerKey) != Severity::Benign ||
            app::InvHdrLink->Delete(false) != Severity::Benign)
            state.SkipWithError("not deleted");
    }
}

void driverCascadeDelete(benchmark::State& state) {
    Bench& b = Bench::instance();
    Record& line = app::InvDetRecord;
    for (auto _ : state) {
        state.PauseTiming();
        int header = b.addInvoice();
        state.ResumeTiming();
        app::InvHdrRecord.field("INH:INVHDRID").assign(header);
        app::InvHdrFile->get(headerKey);
        app::InvHdrFile->enlist();
        app::InvDetFile->enlist();
        b.driver.begin(2);
        line.clear();
        line.field("IND:INVHDRID").assign(header);
        line.field("IND:SEQUENCE").assign(std::numeric_limits<std::int32_t>::min());
        app::InvDetFile->setAt(lineKey);
        int deleted = 0;
        while (app::InvDetFile->next() && line.field("IND:INVHDRID").integer() == header) {
            app::InvDetFile->remove();
            ++deleted;
        }
        app::InvHdrFile->remove();
        b.driver.commit();
        if (deleted != linesPerInvoice)
            state.SkipWithError("lines left");
    }
}

} // namespace

int main(int argc, char** argv) {
    Bench::instance();
    auto both = [](const std::string& name, auto frameworkCase, auto driverCase) {
        return std::pair{benchmark::RegisterBenchmark(("Framework/" + name).c_str(), frameworkCase),
                         benchmark::RegisterBenchmark(("Driver/" + name).c_str(), driverCase)};
    };
    both("Read20FromKeyPosition", frameworkReadFile, driverReadFile);
    both("Read20ThroughView", frameworkReadView, driverReadView);
    auto inserts = both("InsertAutoNumbered", frameworkInsert, driverInsert);
    inserts.first->Iterations(300);
    inserts.second->Iterations(300);
    auto deletes = both("CascadeDelete1000Lines", frameworkCascadeDelete, driverCascadeDelete);
    deletes.first->Iterations(20);
    deletes.second->Iterations(20);

    // The two sides of a case run interleaved in repetitions, so that neither meets the
    // data base in a better state (a fresh write-ahead log, a warmer cache) than the other;
    // the table compares their medians. Arguments given on the command line come after
    // these and win.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string repetitions = "--benchmark_repetitions=3";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {interleave.data(), repetitions.data(), aggregates.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    benchsupport::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable("Framework", "Driver");
    benchmark::Shutdown();
    return 0;
}
