#include "data/DatabaseError.h"
#include "data/RecordSet.h"
#include "tests/support/PgServer.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;
using tavelin::DatabaseError;
using tavelin::RecordSet;
using namespace tavelin::test;

namespace {

[[maybe_unused]] auto *const pgEnvironment =
    ::testing::AddGlobalTestEnvironment(new PgEnvironment);

enum class Driver { Sqlite, Odbc, Postgres };

std::string driverName(Driver driver)
{
    switch (driver) {
    case Driver::Sqlite: return "QSQLITE";
    case Driver::Odbc: return "QODBC";
    case Driver::Postgres: return "QPSQL";
    }
    return "unknown";
}

void PrintTo(Driver driver, std::ostream *out)
{
    *out << driverName(driver);
}

std::string driverLabel(const ::testing::TestParamInfo<Driver> &info)
{
    return driverName(info.param);
}

// gtest prints QStrings as byte dumps otherwise.
std::string text(const QString &value)
{
    return '"' + value.toStdString() + '"';
}

// The text a failing open() carries, or a marker when it did not throw.
QString openError(RecordSet &records, const QString &sql)
{
    try {
        records.open(sql);
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.driverText().toStdString(), std::string(error.what()));
        return error.driverText();
    }
    return u"<no DatabaseError>"_s;
}

// The text of a failing read, or a marker when it did not throw.
template<typename Key>
QString readError(const RecordSet &records, const Key &key)
{
    try {
        const QString value = records.fieldValue(key);
        return u"<no DatabaseError, read "_s + value + u'>';
    } catch (const DatabaseError &error) {
        return error.driverText();
    }
}

#define EXPECT_QSTR(actual, expected) EXPECT_EQ(text(actual), text(expected))

class RecordSetOnDriver : public ::testing::TestWithParam<Driver>
{
protected:
    void SetUp() override
    {
        switch (GetParam()) {
        case Driver::Sqlite: connection = openSqliteMemory(); break;
        case Driver::Odbc: connection = openOdbcSqliteFile(); break;
        case Driver::Postgres: connection = PgEnvironment::server().connectFresh(); break;
        }
        ASSERT_TRUE(execAll(*connection,
                            {u"create table Tavelin_1 (date date, type varchar(3), type2 varchar(6), "
                             "type3 varchar(6), exposure varchar(60), rooms int, rooms_ED int)"_s,
                             u"create table Tavelin_Grade (code varchar(6), ChnDescp varchar(40), "
                             "Descp varchar(40), MN int)"_s}));
    }

    ::testing::AssertionResult insert(const QString &table, const QStringList &rows)
    {
        QStringList statements;
        for (const QString &row : rows)
            statements << u"insert into "_s + table + u" values ("_s + row + u')';
        return execAll(*connection, statements);
    }

    ScopedConnection connection;
};

TEST_P(RecordSetOnDriver, NullReadsAsEmptyText)
{
    ASSERT_TRUE(insert(u"Tavelin_1"_s, {u"null, null, null, null, null, null, null"_s}));
    RecordSet records(connection.get());
    records.open(u"select date, type, type2, type3, exposure, rooms, rooms_ED from Tavelin_1"_s);
    ASSERT_EQ(records.recordCount(), 1);
    ASSERT_EQ(records.columnCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_QSTR(records.fieldValue(i), QString()) << "column " << i;
}

TEST_P(RecordSetOnDriver, TrailingBlanksAreKept)
{
    // Blanks that are data; the padding of char(n) columns is dropped (tests/engines).
    ASSERT_TRUE(insert(u"Tavelin_1"_s, {u"'2006-05-01', 'A  ', 'x ', 'AB    ', 'sea ', 1, 1"_s}));
    RecordSet records(connection.get());
    records.open(u"select type, type2, type3, exposure from Tavelin_1 where type3 = 'AB    '"_s);
    ASSERT_EQ(records.recordCount(), 1);
    EXPECT_QSTR(records.fieldValue(u"type"_s), u"A  "_s);
    EXPECT_QSTR(records.fieldValue(u"type2"_s), u"x "_s);
    EXPECT_QSTR(records.fieldValue(u"type3"_s), u"AB    "_s);
    EXPECT_QSTR(records.fieldValue(u"exposure"_s), u"sea "_s);
}

TEST_P(RecordSetOnDriver, EmptyResultIsAtEndWithItsColumns)
{
    ASSERT_TRUE(insert(u"Tavelin_1"_s, {u"'2006-05-01', 'A', 'x', 'AB    ', 'e', 1, 1"_s}));
    RecordSet records(connection.get());
    records.open(u"select date, type, type3 from Tavelin_1 where rooms > 5"_s);
    EXPECT_TRUE(records.isOpen());
    EXPECT_EQ(records.recordCount(), 0);
    EXPECT_TRUE(records.isEOF());
    EXPECT_EQ(records.columnCount(), 3);
    records.moveFirst();
    EXPECT_TRUE(records.isEOF());
    EXPECT_TRUE(readError(records, u"type"_s).contains(u"no current record"_s, Qt::CaseInsensitive));
    EXPECT_TRUE(readError(records, 0).contains(u"no current record"_s, Qt::CaseInsensitive));
}

TEST_P(RecordSetOnDriver, FailingQueryThrowsTheDriverText)
{
    RecordSet records(connection.get());
    records.open(u"select code from Tavelin_Grade"_s);

    const QString syntax = openError(records, u"selec date from Tavelin_1"_s);
    EXPECT_TRUE(syntax.contains(u"syntax error"_s, Qt::CaseInsensitive)) << text(syntax);
    // A failed open drops the snapshot that was open before it.
    EXPECT_FALSE(records.isOpen());
    EXPECT_TRUE(records.isEOF());

    const QString missing = openError(records, u"select date from Tavelin_Missing"_s);
    EXPECT_TRUE(missing.contains(u"tavelin_missing"_s, Qt::CaseInsensitive)) << text(missing);

    const QString column = openError(records, u"select nowhere_col from Tavelin_1"_s);
    EXPECT_TRUE(column.contains(u"nowhere_col"_s, Qt::CaseInsensitive)) << text(column);

    records.open(u"select code from Tavelin_Grade"_s);
    EXPECT_TRUE(records.isOpen());
}

TEST_P(RecordSetOnDriver, ClosedConnectionThrows)
{
    RecordSet records(connection.get());
    connection->close();
    EXPECT_TRUE(openError(records, u"select code from Tavelin_Grade"_s)
                    .contains(u"not open"_s, Qt::CaseInsensitive));
    EXPECT_FALSE(records.isOpen());
}

TEST_P(RecordSetOnDriver, FieldNamesMatchInAnyLetterCase)
{
    ASSERT_TRUE(insert(u"Tavelin_Grade"_s, {u"'A', '标准间', 'Standard', 5"_s}));
    RecordSet records(connection.get());
    records.open(u"select code, ChnDescp, Descp, MN, MN + 1 as MnNext from Tavelin_Grade"_s);
    ASSERT_EQ(records.recordCount(), 1);
    for (const QString &name : {u"MN"_s, u"mn"_s, u"Mn"_s})
        EXPECT_QSTR(records.fieldValue(name), u"5"_s) << name.toStdString();
    for (const QString &name : {u"ChnDescp"_s, u"chndescp"_s, u"CHNDESCP"_s})
        EXPECT_QSTR(records.fieldValue(name), u"标准间"_s) << name.toStdString();
    EXPECT_QSTR(records.fieldValue(u"Code"_s), u"A"_s);
    EXPECT_QSTR(records.fieldValue(u"Descp"_s), u"Standard"_s);
    EXPECT_QSTR(records.fieldValue(u"mnnext"_s), u"6"_s);

    // No prefix or partial matching.
    const QString unknown = readError(records, u"Desc"_s);
    EXPECT_TRUE(unknown.contains(u"\"Desc\""_s)) << text(unknown);
    EXPECT_TRUE(readError(records, u"ChnDescpX"_s).contains(u"no field"_s, Qt::CaseInsensitive));
    EXPECT_TRUE(readError(records, QString()).contains(u"no field"_s, Qt::CaseInsensitive));
}

TEST_P(RecordSetOnDriver, FieldIndexFollowsTheSelectList)
{
    ASSERT_TRUE(insert(u"Tavelin_Grade"_s, {u"'A', 'x', 'Standard', 5"_s}));
    RecordSet records(connection.get());
    records.open(u"select MN, Descp, code from Tavelin_Grade"_s);
    ASSERT_EQ(records.columnCount(), 3);
    EXPECT_QSTR(records.fieldValue(0), u"5"_s);
    EXPECT_QSTR(records.fieldValue(1), u"Standard"_s);
    EXPECT_QSTR(records.fieldValue(2), u"A"_s);
    EXPECT_TRUE(records.columnNames().at(1).compare(u"descp"_s, Qt::CaseInsensitive) == 0);
    EXPECT_TRUE(readError(records, -1).contains(u"outside"_s));
    EXPECT_TRUE(readError(records, 3).contains(u"outside"_s));
}

TEST_P(RecordSetOnDriver, DatesStartWithTheDay)
{
    ASSERT_TRUE(insert(u"Tavelin_1"_s, {u"'2006-05-01', 'A', 'x', 'AB    ', 'e', 1, 1"_s,
                                        u"'2006-12-31', 'A', 'x', 'AB    ', 'e', 2, 1"_s,
                                        u"null, 'A', 'x', 'AB    ', 'e', 3, 1"_s}));
    RecordSet records(connection.get());
    records.open(u"select date, rooms from Tavelin_1 order by rooms"_s);
    ASSERT_EQ(records.recordCount(), 3);
    QStringList days;
    for (; !records.isEOF(); records.moveNext())
        days << records.fieldValue(u"date"_s);
    ASSERT_EQ(days.size(), 3);
    EXPECT_QSTR(days[0].left(10), u"2006-05-01"_s);
    EXPECT_QSTR(days[1].left(10), u"2006-12-31"_s);
    EXPECT_QSTR(days[2], QString());
}

TEST_P(RecordSetOnDriver, OtherValueKindsHaveOneTextForm)
{
    ASSERT_TRUE(execAll(*connection,
                        {u"create table Tavelin_Kinds (id int, rate double precision, "
                         "share numeric(10,2), flag boolean, stamp timestamp, clock time)"_s,
                         u"insert into Tavelin_Kinds values (1, 2.5, 12.50, TRUE, "
                         "'2006-05-01 13:45:10', '13:45:10')"_s,
                         u"insert into Tavelin_Kinds values (2, 3.0, 3, FALSE, "
                         "'2006-12-31 00:00:00', '00:00:00')"_s,
                         u"insert into Tavelin_Kinds values (3, 0.0000001, -0.75, null, null, "
                         "null)"_s}));
    RecordSet records(connection.get());
    records.open(u"select rate, share, flag, stamp, clock from Tavelin_Kinds order by id"_s);
    ASSERT_EQ(records.recordCount(), 3);
    const auto row = [&records] {
        QStringList values;
        for (int i = 0; i < records.columnCount(); ++i)
            values << records.fieldValue(i);
        records.moveNext();
        return values.join(u'|');
    };
    EXPECT_QSTR(row(), u"2.5|12.5|1|2006-05-01 13:45:10|13:45:10"_s);
    EXPECT_QSTR(row(), u"3|3|0|2006-12-31 00:00:00|00:00:00"_s);
    EXPECT_QSTR(row(), u"0.0000001|-0.75|||"_s);
}

TEST_P(RecordSetOnDriver, GroupedSumsArePlainDecimal)
{
    ASSERT_TRUE(insert(u"Tavelin_1"_s, {u"'2006-05-01', 'A', 'x', 'AB    ', 'e', 3, 1"_s,
                                        u"'2006-05-01', 'A', 'x', 'AB    ', 'e', 4, 2"_s,
                                        u"'2006-05-02', 'B', 'x', 'CD    ', 'e', 10, -5"_s,
                                        u"'2006-05-04', 'A', 'x', 'AB    ', 'e', 100, 0"_s,
                                        u"null, 'A', 'x', 'AB    ', 'e', 7, 0"_s}));
    RecordSet records(connection.get());
    // The shape of the forecast's own query; its row order is the server's.
    records.open(u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where "
                 "((date>='2006-05-01' and date<='2006-05-03') or date is null) "
                 "group by date,type,type3"_s);
    ASSERT_EQ(records.recordCount(), 3);
    std::map<std::string, std::string> sums;
    for (records.moveFirst(); !records.isEOF(); records.moveNext()) {
        const QString key = records.fieldValue(u"date"_s).left(10) + u'|'
                            + records.fieldValue(u"type"_s) + u'|' + records.fieldValue(u"type3"_s);
        sums[key.toStdString()] = records.fieldValue(u"Rooms"_s).toStdString();
    }
    const std::map<std::string, std::string> expected{
        {"2006-05-01|A|AB    ", "7"}, {"2006-05-02|B|CD    ", "10"}, {"|A|AB    ", "7"}};
    EXPECT_EQ(sums, expected);

    records.open(u"select count(distinct type) as kinds, sum(rooms_ED) as due, count(*) as n, "
                 "min(rooms_ED) as low from Tavelin_1"_s);
    ASSERT_EQ(records.recordCount(), 1);
    EXPECT_QSTR(records.fieldValue(u"kinds"_s), u"2"_s);
    EXPECT_QSTR(records.fieldValue(u"due"_s), u"-2"_s);
    EXPECT_QSTR(records.fieldValue(u"n"_s), u"5"_s);
    EXPECT_QSTR(records.fieldValue(u"low"_s), u"-5"_s);
}

TEST_P(RecordSetOnDriver, IntegerLimitsAndSigns)
{
    ASSERT_TRUE(insert(u"Tavelin_Grade"_s, {u"'a', '', '', -3"_s, u"'b', '', '', 0"_s,
                                            u"'c', '', '', 2147483647"_s,
                                            u"'d', '', '', -2147483648"_s}));
    RecordSet records(connection.get());
    records.open(u"select MN from Tavelin_Grade order by code"_s);
    QStringList values;
    for (; !records.isEOF(); records.moveNext())
        values << records.fieldValue(0);
    EXPECT_QSTR(values.join(u' '), u"-3 0 2147483647 -2147483648"_s);
}

TEST_P(RecordSetOnDriver, CloseAndReopenWithAnotherText)
{
    ASSERT_TRUE(insert(u"Tavelin_Grade"_s, {u"'A', 'x', 'Standard', 5"_s, u"'B', 'y', 'Suite', 6"_s}));
    ASSERT_TRUE(insert(u"Tavelin_1"_s, {u"'2006-05-01', 'A', 'x', 'AB    ', 'e', 3, 1"_s}));
    RecordSet records(connection.get());
    records.open(u"select code, MN from Tavelin_Grade order by code"_s);
    EXPECT_EQ(records.recordCount(), 2);

    records.close();
    EXPECT_FALSE(records.isOpen());
    EXPECT_TRUE(records.isEOF());
    EXPECT_EQ(records.recordCount(), 0);
    EXPECT_EQ(records.columnCount(), 0);
    EXPECT_TRUE(readError(records, 0).contains(u"no record set is open"_s, Qt::CaseInsensitive));
    EXPECT_TRUE(readError(records, u"code"_s).contains(u"no record set is open"_s,
                                                        Qt::CaseInsensitive));

    records.open(u"select rooms, type3, date from Tavelin_1"_s);
    EXPECT_EQ(records.recordCount(), 1);
    EXPECT_EQ(records.columnCount(), 3);
    EXPECT_QSTR(records.fieldValue(u"type3"_s), u"AB    "_s);
    EXPECT_TRUE(readError(records, u"code"_s).contains(u"no field"_s, Qt::CaseInsensitive));

    // open() over an open record set replaces it, starting at its first row.
    records.moveNext();
    records.open(u"select code from Tavelin_Grade order by code desc"_s);
    EXPECT_EQ(records.recordCount(), 2);
    EXPECT_QSTR(records.fieldValue(0), u"B"_s);
}

TEST_P(RecordSetOnDriver, ReadingPastTheLastRowThrows)
{
    ASSERT_TRUE(insert(u"Tavelin_Grade"_s, {u"'A', 'x', 'Standard', 1"_s, u"'B', 'y', 'Suite', 2"_s}));
    RecordSet records(connection.get());
    EXPECT_TRUE(records.isEOF());
    EXPECT_TRUE(readError(records, 0).contains(u"no record set is open"_s, Qt::CaseInsensitive));

    records.open(u"select code from Tavelin_Grade order by code"_s);
    EXPECT_QSTR(records.fieldValue(0), u"A"_s);
    records.moveNext();
    EXPECT_QSTR(records.fieldValue(0), u"B"_s);
    EXPECT_FALSE(records.isEOF());
    records.moveNext();
    EXPECT_TRUE(records.isEOF());
    EXPECT_TRUE(readError(records, 0).contains(u"no current record"_s, Qt::CaseInsensitive));
    records.moveNext();
    EXPECT_TRUE(records.isEOF());
    records.moveFirst();
    EXPECT_QSTR(records.fieldValue(u"code"_s), u"A"_s);
}

TEST_P(RecordSetOnDriver, ChineseTextRoundTrips)
{
    const QStringList names{u"标准间"_s, u"豪华套房 "_s, u"Suite 套房（海景）"_s};
    QStringList rows;
    for (int i = 0; i < names.size(); ++i)
        rows << u"'C"_s + QString::number(i) + u"', '"_s + names[i] + u"', '', "_s
                    + QString::number(i);
    ASSERT_TRUE(insert(u"Tavelin_Grade"_s, rows));

    RecordSet records(connection.get());
    records.open(u"select ChnDescp from Tavelin_Grade order by MN"_s);
    QStringList read;
    for (; !records.isEOF(); records.moveNext())
        read << records.fieldValue(u"chndescp"_s);
    EXPECT_QSTR(read.join(u'/'), names.join(u'/'));

    // The text also matches on the server's side, not only on the way back.
    records.open(u"select code from Tavelin_Grade where ChnDescp = '标准间'"_s);
    ASSERT_EQ(records.recordCount(), 1);
    EXPECT_QSTR(records.fieldValue(0), u"C0"_s);
}

TEST_P(RecordSetOnDriver, SnapshotLeavesTheConnectionFree)
{
    const QString counting = u"with recursive n(i) as (select 1 union all select i + 1 from n "
                             "where i < 1000) select i from n order by i"_s;
    RecordSet first(connection.get());
    first.open(counting);
    EXPECT_EQ(first.recordCount(), 1000);

    // A second query on the same connection before the first is walked.
    RecordSet second(connection.get());
    second.open(u"select count(*) as n from Tavelin_1"_s);
    EXPECT_QSTR(second.fieldValue(0), u"0"_s);

    int expected = 1;
    for (; !first.isEOF(); first.moveNext(), ++expected) {
        ASSERT_EQ(text(first.fieldValue(0)), text(QString::number(expected)));
    }
    EXPECT_EQ(expected, 1001);
}

INSTANTIATE_TEST_SUITE_P(Drivers, RecordSetOnDriver,
                         ::testing::Values(Driver::Sqlite, Driver::Odbc, Driver::Postgres),
                         driverLabel);

TEST(RecordSetConnection, MissingConnectionThrows)
{
    RecordSet records(nullptr);
    EXPECT_TRUE(openError(records, u"select 1"_s).contains(u"connection"_s, Qt::CaseInsensitive));
    EXPECT_FALSE(records.isOpen());
    EXPECT_EQ(records.recordCount(), 0);
}

} // namespace
