#pragma once
// The peer the table is measured against: an in-memory SQLite database (":memory:") with one
// table of the station table's 20 columns, filled with the same station rows in one
// transaction through one prepared statement, and read back whole through another.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/StationRows.h"

// The pool's rows as SQLite binds them: UTF-8 texts, with an empty value as NULL (as the
// station table keeps an empty value null). Made once, outside every measurement.
class SqliteStationRows {
  public:
    explicit SqliteStationRows(const StationRowPool& pool, std::size_t poolSize = 4096);
    // Row i of the table, cycling through the pool like the table's own rows do.
    const std::vector<std::string>& row(std::size_t i) const { return FRows[i % FRows.size()]; }

  private:
    std::vector<std::vector<std::string>> FRows;
};

// One open in-memory database holding the stations table (columns in schema order: TEXT for
// text fields, INTEGER for the times and the interval).
class SqliteStationTable {
  public:
    SqliteStationTable();
    ~SqliteStationTable();
    SqliteStationTable(const SqliteStationTable&) = delete;
    SqliteStationTable& operator=(const SqliteStationTable&) = delete;

    // Inserts rows 0 .. rowCount-1 in one transaction with one prepared statement.
    void insertRows(const SqliteStationRows& rows, std::size_t rowCount);

    // Steps through every row and reads every column (the text bytes, or the integer); answers
    // the number of rows and adds a sum of what was read to checksum.
    std::size_t selectAll(std::uint64_t& checksum);

  private:
    void execute(const char* sql);
    sqlite3* FDatabase = nullptr;
};
