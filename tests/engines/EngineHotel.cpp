#include "tests/engines/EngineHotel.h"

#include "demo/DemoHotel.h"
#include "tests/support/PgServer.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace tavelin::test {

std::string engineName(Engine engine)
{
    switch (engine) {
    case Engine::Sqlite: return "Sqlite";
    case Engine::SqliteOdbc: return "SqliteOdbc";
    case Engine::Postgres: return "Postgres";
    case Engine::PostgresOdbc: return "PostgresOdbc";
    }
    return "Unknown";
}

void PrintTo(Engine engine, std::ostream *out)
{
    *out << engineName(engine);
}

QString qtDriverOf(Engine engine)
{
    switch (engine) {
    case Engine::Sqlite: return u"QSQLITE"_s;
    case Engine::Postgres: return u"QPSQL"_s;
    case Engine::SqliteOdbc:
    case Engine::PostgresOdbc: return u"QODBC"_s;
    }
    return QString();
}

bool isPostgres(Engine engine)
{
    return engine == Engine::Postgres || engine == Engine::PostgresOdbc;
}

std::string columnTypesName(const ColumnTypes &types)
{
    std::string name;
    switch (types.dates) {
    case DateColumns::Date: name += "DateDates"; break;
    case DateColumns::Timestamp: name += "TimestampDates"; break;
    case DateColumns::Text: name += "TextDates"; break;
    }
    switch (types.rooms) {
    case RoomColumns::Integer: name += "IntRooms"; break;
    case RoomColumns::Numeric: name += "NumericRooms"; break;
    case RoomColumns::Text: name += "TextRooms"; break;
    }
    name += types.codes == CodeColumns::Char ? "CharCodes" : "VarcharCodes";
    return name;
}

ScopedConnection generateDemoHotelInMemory()
{
    ScopedConnection hotel = openSqliteMemory();
    demo::DemoOptions options;
    options.businessDate = DemoBusinessDate;
    options.seed = 1;
    options.size = demo::HotelSize::Standard;
    demo::generateDemoHotel(*hotel, options);
    return hotel;
}

namespace {

[[noreturn]] void fail(const QString &what, const QSqlError &error)
{
    throw std::runtime_error(QString(what + u": "_s + error.text()).toStdString());
}

enum class Kind { Code, Text, Date, Rooms, Flag };

struct Column
{
    QString name;
    Kind kind;
    int width = 0; // codes and texts
};

struct Table
{
    QString name;
    std::vector<Column> columns;
};

const std::vector<Table> &forecastTables()
{
    static const std::vector<Table> tables = {
        {u"RmSection"_s, {{u"Code"_s, Kind::Code, 6}, {u"chnDescp"_s, Kind::Text, 40}, {u"del"_s, Kind::Flag}}},
        {u"Exposure"_s, {{u"Code"_s, Kind::Code, 10}, {u"ChnDescp"_s, Kind::Text, 40}, {u"del"_s, Kind::Flag}}},
        {u"rmtype"_s, {{u"code"_s, Kind::Code, 6}, {u"ChnDescp"_s, Kind::Text, 40}}},
        {u"Org"_s, {{u"code"_s, Kind::Code, 10}, {u"Descp"_s, Kind::Text, 40}}},
        {u"Tavelin_1"_s,
         {{u"date"_s, Kind::Date}, {u"type"_s, Kind::Code, 4}, {u"type2"_s, Kind::Code, 6},
          {u"type3"_s, Kind::Code, 6}, {u"exposure"_s, Kind::Text, 60}, {u"rooms"_s, Kind::Rooms},
          {u"rooms_ED"_s, Kind::Rooms}}},
        {u"Tavelin_2"_s,
         {{u"date"_s, Kind::Date}, {u"type"_s, Kind::Code, 4}, {u"type1"_s, Kind::Code, 6},
          {u"type2"_s, Kind::Code, 6}, {u"type3"_s, Kind::Code, 10}, {u"rooms"_s, Kind::Rooms},
          {u"rooms_ED"_s, Kind::Rooms}}},
    };
    return tables;
}

QString columnType(const Column &column, const ColumnTypes &types)
{
    switch (column.kind) {
    case Kind::Code:
        return (types.codes == CodeColumns::Char ? u"char("_s : u"varchar("_s)
               + QString::number(column.width) + u')';
    case Kind::Text:
        return u"varchar("_s + QString::number(column.width) + u')';
    case Kind::Flag:
        return u"int"_s;
    case Kind::Date:
        switch (types.dates) {
        case DateColumns::Date: return u"date"_s;
        case DateColumns::Timestamp: return u"timestamp"_s;
        case DateColumns::Text: return u"varchar(10)"_s;
        }
        break;
    case Kind::Rooms:
        switch (types.rooms) {
        case RoomColumns::Integer: return u"int"_s;
        case RoomColumns::Numeric: return u"numeric(10,2)"_s;
        case RoomColumns::Text: return u"varchar(6)"_s;
        }
        break;
    }
    return QString();
}

QVariant boundValue(const Column &column, const QVariant &value, const ColumnTypes &types)
{
    const QVariant nullText(QMetaType::fromType<QString>());
    if (value.isNull())
        return column.kind == Kind::Rooms || column.kind == Kind::Flag
                   ? QVariant(QMetaType::fromType<int>())
                   : nullText;
    switch (column.kind) {
    case Kind::Code:
    case Kind::Text:
        return value.toString();
    case Kind::Flag:
        return value.toInt();
    case Kind::Date: {
        const QString day = value.toString().left(10);
        return types.dates == DateColumns::Timestamp ? QVariant(day + u" 00:00:00"_s) : QVariant(day);
    }
    case Kind::Rooms:
        // Fixed-width text, as a host that formats its counts with "%6d" stores them.
        if (types.rooms == RoomColumns::Text)
            return QString::number(value.toInt()).rightJustified(6, u' ');
        return value.toInt();
    }
    return value;
}

void run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        fail(sql, query.lastError());
}

// Rows per INSERT: one round trip per statement is what a copy to a server costs.
constexpr int RowsPerInsert = 200;

QString insertText(const Table &table, int rows)
{
    QStringList names;
    for (const Column &column : table.columns)
        names << column.name;
    const QString row = u'(' + QStringList(qsizetype(table.columns.size()), u"?"_s).join(u',') + u')';
    return u"INSERT INTO "_s + table.name + u" ("_s + names.join(u", "_s) + u") VALUES "_s
           + QStringList(rows, row).join(u',');
}

void copyTable(QSqlDatabase &source, QSqlDatabase &target, const Table &table, const ColumnTypes &types)
{
    QStringList definitions;
    QStringList names;
    for (const Column &column : table.columns) {
        definitions << column.name + u' ' + columnType(column, types);
        names << column.name;
    }
    run(target, u"CREATE TABLE "_s + table.name + u" ("_s + definitions.join(u", "_s) + u')');

    QSqlQuery read(source);
    read.setForwardOnly(true);
    const QString select = u"SELECT "_s + names.join(u", "_s) + u" FROM "_s + table.name;
    if (!read.exec(select))
        fail(select, read.lastError());
    std::vector<QVariant> values;
    const int width = int(table.columns.size());
    while (read.next()) {
        for (int i = 0; i < width; ++i)
            values.push_back(boundValue(table.columns[std::size_t(i)], read.value(i), types));
    }
    if (read.lastError().isValid())
        fail(select, read.lastError());

    const int rows = int(values.size()) / width;
    QSqlQuery full(target);
    const QString fullText = insertText(table, RowsPerInsert);
    if (rows >= RowsPerInsert && !full.prepare(fullText))
        fail(fullText, full.lastError());
    for (int first = 0; first < rows; first += RowsPerInsert) {
        const int count = std::min(RowsPerInsert, rows - first);
        QSqlQuery rest(target);
        QSqlQuery &insert = count == RowsPerInsert ? full : rest;
        if (count != RowsPerInsert && !rest.prepare(insertText(table, count)))
            fail(insertText(table, count), rest.lastError());
        for (int i = 0; i < count * width; ++i)
            insert.bindValue(i, values[std::size_t(first * width + i)]);
        if (!insert.exec())
            fail(u"INSERT INTO "_s + table.name, insert.lastError());
    }
}

} // namespace

void copyForecastTables(QSqlDatabase &source, QSqlDatabase &target, const ColumnTypes &types)
{
    if (!target.transaction())
        fail(u"BEGIN on "_s + target.driverName(), target.lastError());
    try {
        for (const Table &table : forecastTables())
            copyTable(source, target, table, types);
    } catch (...) {
        target.rollback();
        throw;
    }
    if (!target.commit())
        fail(u"COMMIT on "_s + target.driverName(), target.lastError());
}

EngineDatabase openEngineHotel(Engine engine, const ColumnTypes &types, QSqlDatabase &source)
{
    EngineDatabase database;
    if (isPostgres(engine)) {
        PgServer &server = PgEnvironment::server();
        database.postgresDatabase = server.createDatabase();
        ScopedConnection writer = server.connect(database.postgresDatabase);
        copyForecastTables(source, *writer, types);
    } else {
        database.files = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/tavelin-engine-XXXXXX"_s);
        if (!database.files->isValid())
            throw std::runtime_error("could not create a temporary folder");
        database.sqliteFile = database.files->filePath(u"hotel.sqlite"_s);
        QSqlDatabase registered = QSqlDatabase::addDatabase(u"QSQLITE"_s, uniqueConnectionName(u"writer"_s));
        registered.setDatabaseName(database.sqliteFile);
        ScopedConnection writer = openScoped(std::move(registered), database.sqliteFile);
        copyForecastTables(source, *writer, types);
    }
    database.connection = connectEngine(engine, database);
    return database;
}

ScopedConnection connectEngine(Engine engine, const EngineDatabase &database)
{
    switch (engine) {
    case Engine::Sqlite: {
        QSqlDatabase registered = QSqlDatabase::addDatabase(u"QSQLITE"_s, uniqueConnectionName(u"sqlite"_s));
        registered.setDatabaseName(database.sqliteFile);
        return openScoped(std::move(registered), database.sqliteFile);
    }
    case Engine::SqliteOdbc:
        return openOdbcSqliteFile(database.sqliteFile);
    case Engine::Postgres:
        return PgEnvironment::server().connect(database.postgresDatabase);
    case Engine::PostgresOdbc:
        return PgEnvironment::server().connectOdbc(database.postgresDatabase);
    }
    throw std::logic_error("unknown engine");
}

QStringList tavelin2WithoutRooms()
{
    return {u"CREATE TABLE Tavelin_2_kept AS SELECT date, type, type1, type2, type3, rooms_ED FROM Tavelin_2"_s,
            u"DROP TABLE Tavelin_2"_s, u"ALTER TABLE Tavelin_2_kept RENAME TO Tavelin_2"_s};
}

} // namespace tavelin::test
