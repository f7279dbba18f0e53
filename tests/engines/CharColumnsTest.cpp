// Fixed-width text columns through the record set on every engine: the
// blanks a server pads char(n) values with are not part of the value, blanks
// the host stored in a varchar are.

#include "data/RecordSet.h"
#include "tests/engines/EngineHotel.h"
#include "tests/support/PgServer.h"

#include <QProcess>
#include <QSqlDatabase>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tavelin::test;
using tavelin::RecordSet;

namespace {

class CharColumns : public ::testing::TestWithParam<Engine>
{
protected:
    void SetUp() override
    {
        const Engine engine = GetParam();
        if (!QSqlDatabase::isDriverAvailable(qtDriverOf(engine)))
            GTEST_SKIP() << "Qt SQL driver " << qtDriverOf(engine).toStdString() << " is not installed";
        switch (engine) {
        case Engine::Sqlite: connection = openSqliteMemory(); break;
        case Engine::SqliteOdbc: connection = openOdbcSqliteFile(); break;
        case Engine::Postgres: connection = PgEnvironment::server().connectFresh(); break;
        case Engine::PostgresOdbc:
            postgresOdbcDriver();
            connection = PgEnvironment::server().connectOdbc(PgEnvironment::server().createDatabase());
            break;
        }
        ASSERT_TRUE(execAll(*connection,
                            {u"create table codes (id int, code char(6), wide char(10), kept varchar(6))"_s,
                             u"insert into codes values (1, 'DK', 'FIT', 'x  ')"_s,
                             u"insert into codes values (2, '  A B', 'ABCDEFGHIJ', '')"_s,
                             u"insert into codes values (3, null, '标准间', null)"_s}));
    }

    QString read(const QString &sql)
    {
        RecordSet records(connection.get());
        records.open(sql);
        QStringList rows;
        for (; !records.isEOF(); records.moveNext()) {
            QStringList values;
            for (int i = 0; i < records.columnCount(); ++i)
                values << records.fieldValue(i);
            rows << values.join(u'|');
        }
        return rows.join(u'/');
    }

    ScopedConnection connection;
};

TEST_P(CharColumns, ReadWithoutTheirPadding)
{
    // Leading and inner blanks are the value's own; a full-width value and
    // NULL have no padding to lose.
    EXPECT_EQ(read(u"select code, wide, kept from codes order by id"_s).toStdString(),
              "DK|FIT|x  /  A B|ABCDEFGHIJ|/|标准间|");
    // The shape of the forecast's filters: type3 in ('DK') and group by type3.
    EXPECT_EQ(read(u"select code, count(*) as n from codes where code in ('DK', 'ST') group by code"_s)
                  .toStdString(),
              "DK|1");
}

// Under the engines.PostgresOdbcUnregistered run ODBCSYSINI starts out at an
// empty folder, so this checks the registration made for the process.
TEST(PostgresOdbcDriver, IsRegisteredUnderTheNameItGives)
{
    const QString driver = postgresOdbcDriver();
    ASSERT_TRUE(driver.startsWith(u'{') && driver.endsWith(u'}')) << driver.toStdString();
    QProcess query;
    query.setProcessChannelMode(QProcess::MergedChannels);
    query.start(u"odbcinst"_s, {u"-q"_s, u"-d"_s, u"-n"_s, driver.mid(1, driver.size() - 2)});
    if (!query.waitForStarted())
        GTEST_SKIP() << "no odbcinst program to ask";
    ASSERT_TRUE(query.waitForFinished(30'000));
    EXPECT_EQ(query.exitCode(), 0) << query.readAll().toStdString();
}

std::string engineLabel(const ::testing::TestParamInfo<Engine> &info)
{
    return engineName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Engines, CharColumns,
                         ::testing::Values(Engine::Sqlite, Engine::SqliteOdbc, Engine::Postgres,
                                           Engine::PostgresOdbc),
                         engineLabel);

} // namespace
