#pragma once

// The demo hotel on every engine the host may hand the module: generated once
// into in-memory SQLite (the generator's SQL is SQLite's own), then its six
// forecast tables copied into a database of the engine under test, with the
// column types a host may have chosen.

#include "tests/support/TestDatabases.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>
#include <string>

namespace tavelin::test {

enum class Engine { Sqlite, SqliteOdbc, Postgres, PostgresOdbc };

std::string engineName(Engine engine);
void PrintTo(Engine engine, std::ostream *out);
QString qtDriverOf(Engine engine); // QSQLITE, QODBC or QPSQL
bool isPostgres(Engine engine);

// Column types of the copy.
enum class DateColumns { Date, Timestamp, Text };     // "date", "timestamp", varchar(10)
enum class RoomColumns { Integer, Numeric, Text };    // int, numeric(10,2), varchar(6) right-aligned
enum class CodeColumns { Varchar, Char };             // varchar(n) or char(n)

struct ColumnTypes
{
    DateColumns dates = DateColumns::Date;
    RoomColumns rooms = RoomColumns::Integer;
    CodeColumns codes = CodeColumns::Varchar;
};

std::string columnTypesName(const ColumnTypes &types);

inline const QDate DemoBusinessDate{2026, 6, 15};

// The standard demo hotel, seed 1, business date DemoBusinessDate, in a fresh
// in-memory SQLite database.
ScopedConnection generateDemoHotelInMemory();

// Creates RmSection, Exposure, rmtype, Org, Tavelin_1 and Tavelin_2 with the
// given types on the target and copies every row from the source with
// prepared statements, in one transaction. Dates are bound as text
// (YYYY-MM-DD, or YYYY-MM-DD 00:00:00 for timestamps), as a host would write
// them. Throws std::runtime_error with the statement and the driver's text.
void copyForecastTables(QSqlDatabase &source, QSqlDatabase &target, const ColumnTypes &types);

// The copy on one engine, open for reading. SQLite engines get a file in a
// temporary folder (written through QSQLITE); PostgreSQL ones a fresh database
// of PgEnvironment::server() (written through QPSQL), so each engine reads what
// the same writer stored.
struct EngineDatabase
{
    std::unique_ptr<QTemporaryDir> files; // declared first: removed after the connection
    QString sqliteFile;
    QString postgresDatabase;
    ScopedConnection connection;
};

EngineDatabase openEngineHotel(Engine engine, const ColumnTypes &types, QSqlDatabase &source);

// A connection of the engine to the database the hotel was copied into.
ScopedConnection connectEngine(Engine engine, const EngineDatabase &database);

// Statements that leave Tavelin_2 with all its rows but without its rooms
// column, on SQLite and PostgreSQL alike.
QStringList tavelin2WithoutRooms();

} // namespace tavelin::test
