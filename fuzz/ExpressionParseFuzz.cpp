// Filter texts from anywhere: parsing must refuse or accept without crashing, the
// evaluator must survive every accepted text, and whatever the SQL translation pushes
// down must agree with the evaluator over a small table stored as the driver stores it.

#include "runtime/base/Record.h"
#include "runtime/expressions/Expression.h"
#include "runtime/sqlite/FilterTranslator.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

using namespace host;

namespace {

struct Table {
    Record record{std::make_shared<RecordLayout>(RecordLayout{
        {"A:NAME", FieldType::text(8)},
        {"A:CITY", FieldType::cstring(6)},
        {"A:NUMBER", FieldType::longInteger()},
        {"A:PRICE", FieldType::decimal(7, 2)},
        {"A:WEIGHT", FieldType::real()},
    })};
    sqlite3* db = nullptr;

    Table() {
        sqlite3_open(":memory:", &db);
        sqlite3_exec(db,
                     "CREATE TABLE t (NAME TEXT NOT NULL, CITY TEXT NOT NULL, NUMBER INTEGER "
                     "NOT NULL, PRICE REAL NOT NULL, WEIGHT REAL NOT NULL)",
                     nullptr, nullptr, nullptr);
        const std::string names[] = {"Smith", "sMI", "", "@x", std::string("AB\0c", 4)};
        const char* cities[] = {"Cork", "", "a b", "Toy", "\xff"};
        const char* prices[] = {"0", "19.99", "-0.01", "5", "99999.99"};
        const int numbers[] = {0, 5, -1, 42, 19};
        const double weights[] = {0, 2.5, -2.5, 1e-20, 3};
        for (int i = 0; i < 5; ++i) {
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr);
            sqlite3_bind_text(insert, 1, names[i].data(), static_cast<int>(names[i].size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, cities[i], -1, SQLITE_STATIC);
            sqlite3_bind_int(insert, 3, numbers[i]);
            sqlite3_bind_double(insert, 4, Decimal::parse(prices[i])->toDouble());
            sqlite3_bind_double(insert, 5, weights[i]);
            sqlite3_step(insert);
            sqlite3_finalize(insert);
        }
    }

    void load(sqlite3_stmt* row) {
        for (int i = 1; i <= record.fieldCount(); ++i) {
            TypedRef field = record.field(i);
            switch (sqlite3_column_type(row, i)) {
            case SQLITE_TEXT:
                field.assign(std::string(reinterpret_cast<const char*>(sqlite3_column_text(row, i)),
                                         static_cast<size_t>(sqlite3_column_bytes(row, i))));
                break;
            case SQLITE_INTEGER:
                field.assign(Value(static_cast<long long>(sqlite3_column_int64(row, i))));
                break;
            default:
                if (field.type().kind == FieldKind::Decimal)
                    field.assign(Decimal::fromDouble(sqlite3_column_double(row, i), 2));
                else
                    field.assign(sqlite3_column_double(row, i));
            }
        }
    }

    std::optional<sqlite::SqlColumn> columnOf(const TypedRef& field) const {
        for (int i = 1; i <= record.fieldCount(); ++i)
            if (record.field(i).sameVariable(field)) {
                const FieldInfo& info = record.layout()->field(i);
                return sqlite::SqlColumn{"t0.\"" + info.label.substr(2) + "\"", info.type};
            }
        return std::nullopt;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Table table;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ExpressionError error;
    auto expression = Expression::parse(
        text, [](std::string_view label) { return table.record.field(label); }, &error);
    if (!expression) {
        if (error.position < 1 || error.position > size + 1 || error.message.empty())
            std::abort();
        return 0;
    }
    sqlite::SqlFilter filter = sqlite::translateFilter(
        *expression, [](const TypedRef& field) { return table.columnOf(field); });

    std::string sql = "SELECT rowid, * FROM t AS t0";
    if (!filter.where.empty())
        sql += " WHERE " + filter.where;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(table.db, sql.c_str(), -1, &query, nullptr) != SQLITE_OK)
        std::abort(); // the translation must always be valid SQL
    if (sqlite3_bind_parameter_count(query) != static_cast<int>(filter.parameters.size()))
        std::abort();
    for (size_t i = 0; i < filter.parameters.size(); ++i) {
        const Value& p = filter.parameters[i];
        int at = static_cast<int>(i + 1);
        if (p.isText()) {
            std::string s = p.toText();
            sqlite3_bind_text(query, at, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        } else if (p.kind() == Value::Kind::Integer) {
            sqlite3_bind_int64(query, at, p.toInteger());
        } else {
            sqlite3_bind_double(query, at, p.toReal());
        }
    }
    std::set<long long> selected, accepted;
    while (sqlite3_step(query) == SQLITE_ROW)
        selected.insert(sqlite3_column_int64(query, 0));
    sqlite3_finalize(query);

    sqlite3_stmt* all = nullptr;
    sqlite3_prepare_v2(table.db, "SELECT rowid, * FROM t", -1, &all, nullptr);
    while (sqlite3_step(all) == SQLITE_ROW) {
        table.load(all);
        if (expression->test())
            accepted.insert(sqlite3_column_int64(all, 0));
    }
    sqlite3_finalize(all);
    for (long long row : accepted)
        if (!selected.count(row))
            std::abort(); // the pushed-down part dropped a row the filter accepts
    if (filter.exact && selected != accepted)
        std::abort();
    return 0;
}
