#include "tools/SampleData.h"

#include "app/DataDictionary.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"
#include "runtime/sqlite/SqliteDriver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

namespace sample {

namespace {

using framework::Severity;

// ---- Word lists ------------------------------------------------------------------------

// Surnames of at most 11 letters and given names of at most 8, so that "Surname, Given
// 12345678" fits the 30 characters of CUS:NAME. Kept in alphabetical order: a customer's
// rank in the run then decides where its name sorts.
constexpr std::array surnames = {
    "Abbott",     "Acosta",     "Adams",     "Aguilar",   "Alexander", "Allen",     "Alvarez",
    "Anderson",   "Andrews",    "Armstrong", "Arnold",    "Atkinson",  "Austin",    "Bailey",
    "Baker",      "Baldwin",    "Banks",     "Barker",    "Barnes",    "Barrett",   "Bates",
    "Beck",       "Bell",       "Bennett",   "Berry",     "Bishop",    "Black",     "Blake",
    "Boyd",       "Bradley",    "Brooks",    "Brown",     "Bryant",    "Burke",     "Burns",
    "Butler",     "Caldwell",   "Campbell",  "Carlson",   "Carpenter", "Carroll",   "Carter",
    "Castillo",   "Chambers",   "Chapman",   "Chavez",    "Clark",     "Cole",      "Coleman",
    "Collins",    "Cook",       "Cooper",    "Cox",       "Crawford",  "Cruz",      "Cunningham",
    "Curtis",     "Daniels",    "Davidson",  "Davis",     "Dawson",    "Dean",      "Delgado",
    "Diaz",       "Dixon",      "Douglas",   "Duncan",    "Dunn",      "Edwards",   "Elliott",
    "Ellis",      "Erickson",   "Estrada",   "Evans",     "Farmer",    "Ferguson",  "Fernandez",
    "Fields",     "Fisher",     "Fleming",   "Fletcher",  "Flores",    "Ford",      "Foster",
    "Fowler",     "Fox",        "Franklin",  "Freeman",   "Fuller",    "Garcia",    "Gardner",
    "Garrett",    "George",     "Gibson",    "Gilbert",   "Gomez",     "Gonzales",  "Gordon",
    "Graham",     "Grant",      "Graves",    "Gray",      "Green",     "Gregory",   "Griffin",
    "Gutierrez",  "Hale",       "Hall",      "Hamilton",  "Hansen",    "Hanson",    "Harper",
    "Harris",     "Harrison",   "Hart",      "Harvey",    "Hawkins",   "Hayes",     "Henderson",
    "Henry",      "Hernandez",  "Hicks",     "Hill",      "Hoffman",   "Holland",   "Holmes",
    "Hopkins",    "Howard",     "Hudson",    "Hughes",    "Hunt",      "Hunter",    "Ingram",
    "Irwin",      "Isaacs",     "Jackson",   "Jacobs",    "James",     "Jenkins",   "Jensen",
    "Johnson",    "Johnston",   "Jones",     "Jordan",    "Keller",    "Kelley",    "Kelly",
    "Kennedy",    "Kim",        "King",      "Knight",    "Lambert",   "Lane",      "Larson",
    "Lawrence",   "Lawson",     "Lee",       "Lewis",     "Little",    "Long",      "Lopez",
    "Lowe",       "Lucas",      "Lynch",     "Marshall",  "Martin",    "Martinez",  "Mason",
    "Matthews",   "McCoy",      "McDonald",  "Medina",    "Meyer",     "Miller",    "Mills",
    "Mitchell",   "Montgomery", "Moore",     "Morales",   "Morgan",    "Morris",    "Murphy",
    "Murray",     "Myers",      "Nelson",    "Newman",    "Newton",    "Nguyen",    "Nichols",
    "Norris",     "Nunez",      "Obrien",    "Oliver",    "Olson",     "Ortiz",     "Owens",
    "Palmer",     "Parker",     "Patel",     "Patterson", "Payne",     "Pearson",   "Perez",
    "Perkins",    "Perry",      "Peters",    "Peterson",  "Phillips",  "Pierce",    "Porter",
    "Powell",     "Price",      "Quinn",     "Quintero",  "Ramirez",   "Ramos",     "Ray",
    "Reed",       "Reid",       "Reyes",     "Reynolds",  "Rice",      "Richards",  "Richardson",
    "Riley",      "Rivera",     "Roberts",   "Robertson", "Robinson",  "Rodriguez", "Rogers",
    "Rose",       "Ross",       "Ruiz",      "Russell",   "Ryan",      "Sanchez",   "Sanders",
    "Schmidt",    "Scott",      "Shaw",      "Simmons",   "Simpson",   "Sims",      "Smith",
    "Snyder",     "Spencer",    "Stanley",   "Stephens",  "Stevens",   "Stewart",   "Stone",
    "Sullivan",   "Sutton",     "Taylor",    "Thomas",    "Thompson",  "Torres",    "Tucker",
    "Turner",     "Underwood",  "Upton",     "Valdez",    "Vargas",    "Vasquez",   "Vaughn",
    "Wagner",     "Walker",     "Wallace",   "Walsh",     "Walters",   "Ward",      "Warren",
    "Washington", "Watkins",    "Watson",    "Weaver",    "Webb",      "Welch",     "Wells",
    "West",       "Wheeler",    "White",     "Williams",  "Willis",    "Wilson",    "Wood",
    "Woods",      "Wright",     "Xavier",    "Yates",     "Young",     "Zamora",    "Zimmerman"};

constexpr std::array givenNames = {
    "Aaron",    "Adam",    "Alan",     "Albert",   "Alice",    "Amanda",  "Amy",     "Andrea",
    "Andrew",   "Angela",  "Ann",      "Anna",     "Anthony",  "Arthur",  "Barbara", "Benjamin",
    "Betty",    "Beverly", "Brandon",  "Brenda",   "Brian",    "Bruce",   "Carl",    "Carol",
    "Carolyn",  "Charles", "Cheryl",   "Chris",    "Cynthia",  "Daniel",  "David",   "Deborah",
    "Debra",    "Dennis",  "Diana",    "Diane",    "Donald",   "Donna",   "Doris",   "Dorothy",
    "Douglas",  "Edward",  "Emily",    "Emma",     "Eric",     "Evelyn",  "Frances", "Frank",
    "Gary",     "George",  "Gloria",   "Grace",    "Gregory",  "Harold",  "Helen",   "Henry",
    "Jack",     "Jacob",   "James",    "Janet",    "Janice",   "Jason",   "Jean",    "Jeffrey",
    "Jennifer", "Jeremy",  "Jerry",    "Jessica",  "Joan",     "Joe",     "John",    "Jonathan",
    "Jose",     "Joseph",  "Joshua",   "Joyce",    "Juan",     "Judith",  "Judy",    "Julie",
    "Justin",   "Karen",   "Kathleen", "Kathy",    "Keith",    "Kelly",   "Kenneth", "Kevin",
    "Kimberly", "Larry",   "Laura",    "Lawrence", "Linda",    "Lisa",    "Louis",   "Lori",
    "Margaret", "Maria",   "Marie",    "Mark",     "Martha",   "Mary",    "Matthew", "Megan",
    "Melissa",  "Michael", "Michelle", "Nancy",    "Nicholas", "Nicole",  "Olivia",  "Pamela",
    "Patricia", "Patrick", "Paul",     "Peter",    "Philip",   "Rachel",  "Ralph",   "Raymond",
    "Rebecca",  "Richard", "Robert",   "Roger",    "Ronald",   "Rose",    "Russell", "Ruth",
    "Ryan",     "Samuel",  "Sandra",   "Sara",     "Sarah",    "Scott",   "Sharon",  "Shirley",
    "Stephen",  "Steven",  "Susan",    "Teresa",   "Terry",    "Thomas",  "Timothy", "Tyler",
    "Victoria", "Vincent", "Virginia", "Walter",   "Wayne",    "William", "Xavier",  "Yolanda",
    "Zachary"};

constexpr std::array streets = {"Oak",    "Maple",  "Pine",    "Cedar",     "Elm",     "Walnut",
                                "Birch",  "Willow", "Spruce",  "Chestnut",  "Main",    "Park",
                                "Lake",   "Hill",   "Church",  "Market",    "Mill",    "River",
                                "Spring", "Center", "Lincoln", "Jefferson", "Madison", "Highland",
                                "Sunset", "Forest", "Meadow",  "Ridge",     "Valley",  "Orchard"};
constexpr std::array streetKinds = {"St", "Ave", "Rd", "Dr", "Ln", "Ct", "Blvd", "Way", "Pl"};

struct City {
    const char* name; // at most 15 characters
    const char* state;
    const char* zipStart; // the first three digits of its zip codes
    const char* areaCode;
};

constexpr std::array<City, 50> cities = {{
    {"Springfield", "IL", "627", "217"},    {"Columbus", "OH", "432", "614"},
    {"Madison", "WI", "537", "608"},        {"Portland", "OR", "972", "503"},
    {"Austin", "TX", "787", "512"},         {"Denver", "CO", "802", "303"},
    {"Nashville", "TN", "372", "615"},      {"Raleigh", "NC", "276", "919"},
    {"Sacramento", "CA", "958", "916"},     {"Phoenix", "AZ", "850", "602"},
    {"Boise", "ID", "837", "208"},          {"Albany", "NY", "122", "518"},
    {"Richmond", "VA", "232", "804"},       {"Tallahassee", "FL", "323", "850"},
    {"Atlanta", "GA", "303", "404"},        {"Boston", "MA", "021", "617"},
    {"Hartford", "CT", "061", "860"},       {"Providence", "RI", "029", "401"},
    {"Concord", "NH", "033", "603"},        {"Montpelier", "VT", "056", "802"},
    {"Augusta", "ME", "043", "207"},        {"Trenton", "NJ", "086", "609"},
    {"Harrisburg", "PA", "171", "717"},     {"Dover", "DE", "199", "302"},
    {"Annapolis", "MD", "214", "410"},      {"Charleston", "WV", "253", "304"},
    {"Columbia", "SC", "292", "803"},       {"Montgomery", "AL", "361", "334"},
    {"Jackson", "MS", "392", "601"},        {"Baton Rouge", "LA", "708", "225"},
    {"Little Rock", "AR", "722", "501"},    {"Oklahoma City", "OK", "731", "405"},
    {"Topeka", "KS", "666", "785"},         {"Lincoln", "NE", "685", "402"},
    {"Pierre", "SD", "575", "605"},         {"Bismarck", "ND", "585", "701"},
    {"Helena", "MT", "596", "406"},         {"Cheyenne", "WY", "820", "307"},
    {"Salt Lake City", "UT", "841", "801"}, {"Carson City", "NV", "897", "775"},
    {"Santa Fe", "NM", "875", "505"},       {"Olympia", "WA", "985", "360"},
    {"Juneau", "AK", "998", "907"},         {"Honolulu", "HI", "968", "808"},
    {"Des Moines", "IA", "503", "515"},     {"Saint Paul", "MN", "551", "651"},
    {"Lansing", "MI", "489", "517"},        {"Indianapolis", "IN", "462", "317"},
    {"Frankfort", "KY", "406", "502"},      {"Jefferson City", "MO", "651", "573"},
}};

struct Goods {
    const char* kind; // the item number's two letters
    const char* name;
};

constexpr std::array<Goods, 24> goods = {{
    {"FS", "Hex Bolt"},     {"FS", "Wood Screw"},     {"FS", "Lag Screw"},   {"FS", "Wall Anchor"},
    {"HW", "Hinge"},        {"HW", "Padlock"},        {"HW", "Door Knob"},   {"HW", "Mailbox"},
    {"TL", "Hammer"},       {"TL", "Wrench"},         {"TL", "Pliers"},      {"TL", "Screwdriver"},
    {"TL", "Tape Measure"}, {"TL", "Drill Bit"},      {"PT", "Paint Brush"}, {"PT", "Paint Roller"},
    {"PT", "Drop Cloth"},   {"EL", "Extension Cord"}, {"EL", "Light Bulb"},  {"EL", "Outlet Cover"},
    {"PL", "Pipe Fitting"}, {"GD", "Garden Hose"},    {"GD", "Rake"},        {"SF", "Work Gloves"},
}};
constexpr std::array grades = {"Steel",   "Brass",  "Stainless", "Galvanized", "Heavy Duty",
                               "Compact", "Deluxe", "Standard",  "Pro",        "Economy"};
struct Size {
    const char* text; // at most 4 characters, so that a description fits 30
    const char* unit; // ITM:UOM
};
constexpr std::array<Size, 10> sizes = {{{"1/4", "EA"},
                                         {"3/8", "EA"},
                                         {"1/2", "EA"},
                                         {"Sm", "EA"},
                                         {"Med", "EA"},
                                         {"Lg", "EA"},
                                         {"6ft", "FT"},
                                         {"25ft", "FT"},
                                         {"2pk", "PK"},
                                         {"10pk", "BX"}}};

// ---- Numbers -------------------------------------------------------------------------------

// A well-mixed 64-bit number for each (stream, index): the same data on every run.
std::uint64_t mix(std::uint64_t stream, std::uint64_t index) {
    std::uint64_t z = index * 0x9E3779B97F4A7C15ull + stream * 0xD1B54A32D192ED03ull + 1;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

template <typename List> const auto& pick(const List& list, std::uint64_t h) {
    return list[h % list.size()];
}

std::string digits(std::uint64_t h, int count) {
    std::string text;
    for (int i = 0; i < count; ++i, h /= 10)
        text += static_cast<char>('0' + h % 10);
    return text;
}

// A ten-digit phone number in `area`, its exchange not starting with 0 or 1.
std::string phone(const std::string& area, std::uint64_t h) {
    return area + std::to_string(200 + h % 800) + digits(h / 800, 4);
}

host::Value money(std::int64_t cents) {
    return host::Value(host::Decimal::fromUnits(cents, 2));
}

// Names spread over the alphabet and cheap to add. Customers are dealt out in turn to 256
// streams, each owning one slice of the alphabetical range of names and walking through
// it in order, so that an added name always lands at one of 256 places of the Customer
// Name Key (a few pages of it, kept in the cache) rather than anywhere in it, while
// customers added one after the other still lie far apart in name order. The slices are
// taken in a scattered order.
constexpr std::int64_t nameStreams = 256;
constexpr std::int64_t sliceStep = 167; // odd: a permutation of the 256 slices

// ---- The data files ------------------------------------------------------------------------

std::string hostError() {
    const host::RuntimeError& error = host::lastError();
    std::string text = std::to_string(error.code) + " " + error.text;
    if (!error.driverText.empty())
        text += " (" + error.driverText + ")";
    return text;
}

// Counts records and rates for a long phase, and tells the progress every two seconds.
class Meter {
public:
    Meter(std::string what, std::int64_t total, const Report& report)
        : what_(std::move(what)), total_(total), report_(report), start_(Clock::now()),
          last_(start_) {}

    void tick() {
        ++done_;
        if ((done_ & 1023) != 0 || !report_)
            return;
        Clock::time_point now = Clock::now();
        if (now - last_ < std::chrono::seconds(2))
            return;
        last_ = now;
        report_(what_ + " " + grouped(done_) + " of " + grouped(total_) + " (" +
                grouped(rate(now)) + " per second)");
    }

    void finish() const {
        if (!report_)
            return;
        Clock::time_point now = Clock::now();
        double seconds = std::chrono::duration<double>(now - start_).count();
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, "%.1f s", seconds);
        report_(what_ + " " + grouped(done_) + " in " + elapsed + " (" + grouped(rate(now)) +
                " per second)");
    }

private:
    using Clock = std::chrono::steady_clock;
    std::int64_t rate(Clock::time_point now) const {
        double seconds = std::chrono::duration<double>(now - start_).count();
        return seconds > 0 ? static_cast<std::int64_t>(static_cast<double>(done_) / seconds)
                           : done_;
    }

    std::string what_;
    std::int64_t total_;
    const Report& report_;
    std::int64_t done_ = 0;
    Clock::time_point start_;
    Clock::time_point last_;
};

// Transaction frames of a fixed number of records over the files being filled: a frame
// commits and the next begins after every `size` records.
class Frames {
public:
    Frames(host::RecordFileDriver& driver, std::vector<host::RecordFile*> files, int size)
        : driver_(driver), files_(std::move(files)), size_(std::max(size, 1)) {}
    ~Frames() {
        if (driver_.inTransaction())
            driver_.rollback();
    }

    bool begin() {
        for (host::RecordFile* file : files_)
            if (!file->enlist())
                return false;
        return driver_.begin(30);
    }
    // After each record.
    bool written() {
        if (++inFrame_ < size_)
            return true;
        inFrame_ = 0;
        return driver_.commit() && begin();
    }
    bool end() { return driver_.commit(); }

private:
    host::RecordFileDriver& driver_;
    std::vector<host::RecordFile*> files_;
    int size_;
    int inFrame_ = 0;
};

struct Fields {
    explicit Fields(host::Record& record) : record_(record) {}
    void set(std::string_view label, const host::Value& value) {
        record_.field(label).assign(value);
    }
    host::Record& record_;
};

// The shop's own record, when the Config file has none.
bool fillConfig(std::string& why) {
    if (app::ConfigFile->recordCount() > 0)
        return true;
    app::ConfigRecord.clear();
    Fields shop(app::ConfigRecord);
    shop.set("CON:COMPANYNAME", "Example Hardware & Supply");
    shop.set("CON:TAXRATE", host::Value(host::Decimal::fromUnits(825, 4)));
    shop.set("CON:ADDRESS", "100 Main St");
    shop.set("CON:CITY", "Springfield");
    shop.set("CON:STATE", "IL");
    shop.set("CON:ZIP", "62701");
    shop.set("CON:PHONE", "2175550100");
    if (app::ConfigAccess->InsertQuiet() == Severity::Benign)
        return true;
    why = "The configuration record could not be added: " + hostError();
    return false;
}

struct Prices {
    std::int64_t cost, list, sell; // in cents
};

Prices itemPrices(std::int64_t index) {
    std::uint64_t h = mix(2, static_cast<std::uint64_t>(index));
    std::int64_t cost = 50 + static_cast<std::int64_t>(h % 25'000);
    std::int64_t list = cost * (130 + static_cast<std::int64_t>((h >> 20) % 71)) / 100;
    std::int64_t sell = list * (85 + static_cast<std::int64_t>((h >> 30) % 16)) / 100;
    return {cost, list, sell};
}

void fillItem(std::int64_t index) {
    std::uint64_t h = mix(1, static_cast<std::uint64_t>(index));
    const Goods& kind = goods[static_cast<std::size_t>(index) % goods.size()];
    const Size& size = pick(sizes, h >> 8);
    Prices prices = itemPrices(index);
    app::ItemRecord.clear();
    Fields item(app::ItemRecord);
    item.set("ITM:ITEMNUMBER", itemNumber(index));
    item.set("ITM:DESCRIPTION", std::string(pick(grades, h)) + " " + kind.name + " " + size.text);
    item.set("ITM:COST", money(prices.cost));
    item.set("ITM:LIST", money(prices.list));
    item.set("ITM:SELL", money(prices.sell));
    item.set("ITM:UOM", size.unit);
}

void fillCustomer(std::int64_t index, std::int64_t count) {
    std::uint64_t h = mix(3, static_cast<std::uint64_t>(index));
    const City& city = pick(cities, h);
    std::uint64_t h2 = mix(4, static_cast<std::uint64_t>(index));
    app::CustomerRecord.clear();
    Fields customer(app::CustomerRecord);
    // The file is empty when the run starts, so auto-numbering gives the index + 1.
    customer.set("CUS:NUMBER", customerNumber(index + 1));
    customer.set("CUS:NAME", customerName(index, count));
    customer.set("CUS:ADDRESS", std::to_string(1 + (h >> 8) % 9999) + " " + pick(streets, h >> 24) +
                                    " " + pick(streetKinds, h >> 32));
    customer.set("CUS:CITY", city.name);
    customer.set("CUS:STATE", city.state);
    customer.set("CUS:ZIP", city.zipStart + digits(h >> 40, 2));
    customer.set("CUS:PHONE", phone(city.areaCode, h2));
    if (h2 % 3 != 0)
        customer.set("CUS:FAX", phone(city.areaCode, h2 >> 20));
    if (h2 % 5 == 0)
        customer.set("CUS:TOLLFREE",
                     phone(pick(std::array{"800", "888", "877"}, h2 >> 40), h2 >> 24));
    customer.set("CUS:CONTACT",
                 std::string(pick(givenNames, h2 >> 44)) + " " + pick(surnames, h2 >> 52));
}

bool failed(std::string& why, const std::string& what) {
    why = what + ": " + hostError();
    return false;
}

bool fillItems(host::RecordFileDriver& driver, std::int64_t count, int frameSize,
               const Report& report, std::string& why) {
    if (count == 0)
        return true;
    Frames frames(driver, {app::ItemFile}, frameSize);
    Meter meter("items", count, report);
    if (!frames.begin())
        return failed(why, "No transaction frame over the Item file");
    for (std::int64_t i = 0; i < count; ++i) {
        fillItem(i);
        if (app::ItemAccess->InsertQuiet() != Severity::Benign)
            return failed(why, "Item " + itemNumber(i) + " could not be added");
        if (!frames.written())
            return failed(why, "Items could not be written");
        meter.tick();
    }
    if (!frames.end())
        return failed(why, "Items could not be written");
    meter.finish();
    return true;
}

bool fillCustomers(host::RecordFileDriver& driver, std::int64_t count, int frameSize,
                   const Report& report, std::string& why) {
    if (count == 0)
        return true;
    // The search index is set aside while the customers are added and made once from all
    // of them afterwards: far quicker than keeping it customer by customer. Left aside when
    // the run fails, it is made when the program next opens the file.
    bool setAside = app::CustomerFile->sendOption("SEARCHINDEX=off");
    {
        Frames frames(driver, {app::CustomerFile}, frameSize);
        Meter meter("customers", count, report);
        if (!frames.begin())
            return failed(why, "No transaction frame over the Customer file");
        for (std::int64_t i = 0; i < count; ++i) {
            fillCustomer(i, count);
            if (app::CustomerAccess->InsertQuiet() != Severity::Benign)
                return failed(why, "Customer " + customerName(i, count) + " could not be added");
            if (!frames.written())
                return failed(why, "Customers could not be written");
            meter.tick();
        }
        if (!frames.end())
            return failed(why, "Customers could not be written");
        meter.finish();
    }
    if (setAside) {
        auto start = std::chrono::steady_clock::now();
        if (!app::CustomerFile->sendOption("SEARCHINDEX=on"))
            return failed(why, "The Customer file's search index could not be made");
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
        if (report)
            report("customers: search index made in " + std::to_string(seconds) + " s");
    }
    return true;
}

bool fillInvoices(host::RecordFileDriver& driver, const Counts& counts, std::int64_t customers,
                  std::int64_t items, int frameSize, const Report& report, std::string& why) {
    if (counts.invoices == 0)
        return true;
    Frames frames(driver, {app::InvHdrFile, app::InvDetFile}, frameSize);
    Meter meter("invoices", counts.invoices, report);
    if (!frames.begin())
        return failed(why, "No transaction frame over the invoice files");
    // Invoices are dated in the order of their numbers, over three years.
    const int firstDay = host::dayNumber(2023, 12, 1);
    const int lastDay = host::dayNumber(2026, 11, 30);
    for (std::int64_t i = 0; i < counts.invoices; ++i) {
        std::uint64_t h = mix(5, static_cast<std::uint64_t>(i));
        app::InvHdrRecord.clear();
        Fields header(app::InvHdrRecord);
        header.set("INH:CUSTOMERNUMBER",
                   customerNumber(
                       1 + static_cast<std::int64_t>(h % static_cast<std::uint64_t>(customers))));
        header.set("INH:DATE", host::Value(static_cast<long long>(
                                   firstDay + (lastDay - firstDay) * i / counts.invoices)));
        if (app::InvHdrAccess->InsertQuiet() != Severity::Benign)
            return failed(why, "Invoice " + grouped(i + 1) + " could not be added");
        long long headerId = app::InvHdrRecord.field("INH:INVHDRID").integer();
        for (std::int64_t n = 0; n < counts.linesPerInvoice; ++n) {
            std::uint64_t l = mix(6, h + static_cast<std::uint64_t>(n));
            std::int64_t item = static_cast<std::int64_t>(l % static_cast<std::uint64_t>(items));
            Prices prices = itemPrices(item);
            app::InvDetRecord.clear();
            Fields line(app::InvDetRecord);
            // The sequence is numbered within the invoice, in tens, by the file's own
            // auto-numbering.
            line.set("IND:INVHDRID", host::Value(headerId));
            line.set("IND:ITEMNUMBER", itemNumber(item));
            line.set("IND:QUANTITY", host::Value(static_cast<long long>(1 + (l >> 16) % 24)));
            line.set("IND:COST", money(prices.cost));
            line.set("IND:LIST", money(prices.list));
            line.set("IND:SELL", money(prices.sell));
            line.set("IND:PRINT", "Y");
            if (app::InvDetAccess->InsertQuiet() != Severity::Benign)
                return failed(why, "A line of invoice " + grouped(i + 1) + " could not be added");
            if (!frames.written())
                return failed(why, "Invoices could not be written");
        }
        if (!frames.written())
            return failed(why, "Invoices could not be written");
        meter.tick();
    }
    if (!frames.end())
        return failed(why, "Invoices could not be written");
    meter.finish();
    return true;
}

// The data dictionary set up on the driver, with every file open for real; everything
// closed and torn down again at the end.
class OpenFiles {
public:
    explicit OpenFiles(host::RecordFileDriver& driver) {
        errors_.Setup();
        registry_.Setup();
        app::DataDictionary::setUp(driver, errors_, registry_);
        accesses_ = {app::ItemAccess, app::ConfigAccess, app::CustomerAccess, app::InvDetAccess,
                     app::InvHdrAccess};
    }
    ~OpenFiles() {
        for (framework::FileAccess* access : opened_)
            access->Close();
        app::DataDictionary::tearDown();
        registry_.Teardown();
        errors_.Teardown();
    }

    // Opens each file, creating it when missing.
    bool open(std::string& why) {
        for (framework::FileAccess* access : accesses_) {
            access->OpenQuiet();
            opened_.push_back(access);
            if (access->CheckOpen(2) != Severity::Benign)
                return failed(why, "The " + access->DisplayName() + " file could not be opened");
        }
        return true;
    }

private:
    framework::ErrorReporter errors_;
    framework::FileRegistry registry_;
    std::vector<framework::FileAccess*> accesses_;
    std::vector<framework::FileAccess*> opened_;
};

} // namespace

std::string customerNumber(std::int64_t id) {
    std::string number(4, numberLetters[0]);
    for (int i = 3; i >= 0; --i, id /= numberBase)
        number[static_cast<std::size_t>(i)] = numberLetters[id % numberBase];
    return number;
}

std::string customerName(std::int64_t index, std::int64_t count) {
    count = std::max(count, index + 1);
    std::int64_t perStream = (count + nameStreams - 1) / nameStreams;
    std::int64_t slice = (index % nameStreams) * sliceStep % nameStreams;
    // The rank among all names of the run: slice by slice, in turn within a slice.
    std::int64_t rank = slice * perStream + index / nameStreams;
    std::int64_t ranks = nameStreams * perStream;
    std::int64_t pairs = static_cast<std::int64_t>(surnames.size() * givenNames.size());
    std::int64_t pair = static_cast<std::int64_t>(static_cast<__int128>(rank) * pairs / ranks);
    return std::string(surnames[static_cast<std::size_t>(pair) / givenNames.size()]) + ", " +
           givenNames[static_cast<std::size_t>(pair) % givenNames.size()] + " " +
           std::to_string(index + 1);
}

std::string itemNumber(std::int64_t index) {
    std::string number = std::to_string(index + 1);
    if (number.size() < 6)
        number.insert(0, 6 - number.size(), '0');
    return std::string(goods[static_cast<std::size_t>(index) % goods.size()].kind) + "-" + number;
}

std::string grouped(std::int64_t number) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return number < 0 ? "-" + text : text;
}

bool fill(const std::string& folder, const Counts& counts, const Report& report, std::string& why,
          int recordsPerFrame) {
    if (counts.customers < 0 || counts.items < 0 || counts.invoices < 0 ||
        counts.linesPerInvoice < 0) {
        why = "Counts cannot be negative.";
        return false;
    }
    if (counts.customers > largestCustomerId) {
        why = "At most " + grouped(largestCustomerId) +
              " customers have a four-character number of their own.";
        return false;
    }
    if (counts.items > largestItemCount) {
        why = "At most " + grouped(largestItemCount) + " items fit the item numbers.";
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        why = "The folder " + folder + " could not be made: " + error.message();
        return false;
    }
    host::sqlite::SqliteDriver driver;
    if (!driver.openFolder(folder))
        return failed(why, "The data folder " + folder + " could not be opened");
    OpenFiles files(driver);
    if (!files.open(why))
        return false;

    std::int64_t held = 0;
    for (host::RecordFile* file :
         {app::ItemFile, app::CustomerFile, app::InvHdrFile, app::InvDetFile})
        held += std::max<std::int64_t>(file->recordCount(), 0);
    if (held > 0) {
        why = "The folder " + folder + " already holds data (" +
              grouped(app::CustomerFile->recordCount()) + " customers, " +
              grouped(app::ItemFile->recordCount()) + " items, " +
              grouped(app::InvHdrFile->recordCount()) +
              " invoices): sample data go into an empty data folder only.";
        return false;
    }
    if (counts.invoices > 0 && counts.customers == 0) {
        why = "Invoices need customers: give --customers too.";
        return false;
    }
    if (counts.invoices > 0 && counts.linesPerInvoice > 0 && counts.items == 0) {
        why = "Invoice lines need items: give --items too.";
        return false;
    }
    return fillConfig(why) && fillItems(driver, counts.items, recordsPerFrame, report, why) &&
           fillCustomers(driver, counts.customers, recordsPerFrame, report, why) &&
           fillInvoices(driver, counts, counts.customers, counts.items, recordsPerFrame, report,
                        why);
}

} // namespace sample
