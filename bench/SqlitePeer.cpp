#include "bench/SqlitePeer.h"

#include <stdexcept>

#include "platform/Unicode.h"
#include "stations/StationSchema.h"

namespace {
void check(int result, sqlite3* database, const char* what) {
    if (result != SQLITE_OK && result != SQLITE_DONE && result != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(database));
}

// A statement finalized however the scope is left.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement(sqlite3* database, const std::string& sql) {
        check(sqlite3_prepare_v2(database, sql.c_str(), -1, &handle, nullptr), database, "prepare");
    }
    ~Statement() { sqlite3_finalize(handle); }
};

bool isTextField(const StationField& field) {
    return field.type == ftString;
}
}  // namespace

SqliteStationRows::SqliteStationRows(const StationRowPool& pool, std::size_t poolSize) {
    FRows.reserve(poolSize);
    for (std::size_t i = 0; i < poolSize; ++i) {
        std::vector<std::string> values;
        for (const TVarRec& value : pool.row(i)) values.push_back(utf16ToUtf8(value.VUnicode));
        FRows.push_back(std::move(values));
    }
}

SqliteStationTable::SqliteStationTable() {
    if (sqlite3_open(":memory:", &FDatabase) != SQLITE_OK)
        throw std::runtime_error("cannot open an in-memory database");
    std::string create = "CREATE TABLE stations (";
    std::size_t column = 0;
    for (const StationField& field : stationSchema()) {
        if (column > 0) create += ", ";
        create +=
            "\"" + utf16ToUtf8(field.name) + "\" " + (isTextField(field) ? "TEXT" : "INTEGER");
        ++column;
    }
    create += ")";
    execute(create.c_str());
}

SqliteStationTable::~SqliteStationTable() {
    sqlite3_close(FDatabase);
}

void SqliteStationTable::execute(const char* sql) {
    check(sqlite3_exec(FDatabase, sql, nullptr, nullptr, nullptr), FDatabase, sql);
}

void SqliteStationTable::insertRows(const SqliteStationRows& rows, std::size_t rowCount) {
    std::string sql = "INSERT INTO stations VALUES (";
    for (std::size_t c = 0; c < kStationFieldCount; ++c) sql += c == 0 ? "?" : ", ?";
    sql += ")";
    execute("BEGIN");
    {
        Statement insert(FDatabase, sql);
        for (std::size_t r = 0; r < rowCount; ++r) {
            const std::vector<std::string>& values = rows.row(r);
            for (std::size_t c = 0; c < kStationFieldCount; ++c) {
                const int parameter = static_cast<int>(c) + 1;
                const std::string& value = values[c];
                if (value.empty())
                    sqlite3_bind_null(insert.handle, parameter);
                else
                    sqlite3_bind_text(insert.handle, parameter, value.data(),
                                      static_cast<int>(value.size()), SQLITE_STATIC);
            }
            check(sqlite3_step(insert.handle), FDatabase, "insert");
            sqlite3_reset(insert.handle);
        }
    }
    execute("COMMIT");
}

std::size_t SqliteStationTable::selectAll(std::uint64_t& checksum) {
    Statement select(FDatabase, "SELECT * FROM stations");
    const int columns = sqlite3_column_count(select.handle);
    std::size_t count = 0;
    int result;
    while ((result = sqlite3_step(select.handle)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(select.handle, c)) {
                case SQLITE_TEXT: {
                    const unsigned char* text = sqlite3_column_text(select.handle, c);
                    const int bytes = sqlite3_column_bytes(select.handle, c);
                    checksum += static_cast<std::uint64_t>(bytes) + (bytes > 0 ? text[0] : 0);
                    break;
                }
                case SQLITE_INTEGER:
                    checksum += static_cast<std::uint64_t>(sqlite3_column_int64(select.handle, c));
                    break;
                default:
                    ++checksum;  // NULL
            }
        }
        ++count;
    }
    check(result, FDatabase, "select");
    return count;
}
