// The export when the database fails it: a server that is down when the host
// connects or goes down under an open connection, a forecast table that is
// missing or lacks a column. Each ends with exit code 1 and the driver's text,
// soon and without a crash.

#include "controls/SheetModel.h"
#include "host/ForecastExport.h"
#include "host/SheetWriters.h"
#include "tests/engines/EngineHotel.h"
#include "tests/support/PgServer.h"
#include "tests/support/ProcessRun.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>

#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::test;

namespace {

const QString HostProgram = QString::fromUtf8(TAVELIN_HOST_PROGRAM);

ProcessRun runHost(const QStringList &arguments)
{
    return runProgram(HostProgram, QStringList{u"--business-date"_s, u"2026-06-15"_s} + arguments,
                      {{u"DISPLAY"_s, QString()}, {u"WAYLAND_DISPLAY"_s, QString()}, {u"QT_QPA_PLATFORM"_s, QString()}});
}

// Starts the server again however the test ends, for the tests after it.
class RestartOnExit
{
public:
    explicit RestartOnExit(PgServer &server) : m_server(server) {}
    ~RestartOnExit()
    {
        try {
            m_server.start();
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
    RestartOnExit(const RestartOnExit &) = delete;
    RestartOnExit &operator=(const RestartOnExit &) = delete;

private:
    PgServer &m_server;
};

struct Searched
{
    host::ExportResult result;
    QByteArray availability; // csv
    QByteArray occupancy;
    qint64 microseconds = 0;
};

Searched search(QSqlDatabase &db, bool includeDueOut = true)
{
    host::ExportOptions options;
    options.from = DemoBusinessDate;
    options.to = DemoBusinessDate.addDays(30);
    options.includeDueOut = includeDueOut;
    SheetModel grades;
    SheetModel orgs;
    Searched searched;
    QElapsedTimer timer;
    timer.start();
    searched.result = host::searchForExport(db, options, DemoBusinessDate, grades, orgs);
    searched.microseconds = timer.nsecsElapsed() / 1000;
    for (auto [sheet, csv] : {std::pair{&grades, &searched.availability}, std::pair{&orgs, &searched.occupancy}}) {
        QBuffer buffer(csv);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(host::writeCsv(*sheet, buffer));
    }
    return searched;
}

class ExportFaults : public ::testing::TestWithParam<Engine>
{
protected:
    void SetUp() override
    {
        const Engine engine = GetParam();
        for (const QString &driver : {qtDriverOf(engine), isPostgres(engine) ? u"QPSQL"_s : u"QSQLITE"_s})
            if (!QSqlDatabase::isDriverAvailable(driver))
                GTEST_SKIP() << "Qt SQL driver " << driver.toStdString() << " is not installed";
        if (engine == Engine::PostgresOdbc)
            postgresOdbcDriver();
        ScopedConnection source = generateDemoHotelInMemory();
        database = openEngineHotel(engine, ColumnTypes{}, *source);
    }

    QSqlDatabase &db() { return *database.connection; }

    EngineDatabase database;
};

using ServerFaults = ExportFaults;

TEST_P(ExportFaults, AMissingTableIsReportedWithItsName)
{
    const Searched before = search(db());
    ASSERT_EQ(before.result.exitCode, 0) << before.result.message.toStdString();

    ASSERT_TRUE(execAll(db(), {u"DROP TABLE Tavelin_1"_s}));
    const Searched after = search(db());
    EXPECT_EQ(after.result.exitCode, 1);
    EXPECT_TRUE(after.result.message.contains(u"tavelin_1"_s, Qt::CaseInsensitive))
        << after.result.message.toStdString();
    EXPECT_LT(after.microseconds, 5'000'000);
}

TEST_P(ExportFaults, AMissingColumnIsReportedAndTheOtherSumStillWorks)
{
    const Searched full = search(db(), false);
    ASSERT_EQ(full.result.exitCode, 0) << full.result.message.toStdString();

    ASSERT_TRUE(execAll(db(), tavelin2WithoutRooms()));
    const Searched dueOuts = search(db(), true);
    EXPECT_EQ(dueOuts.result.exitCode, 1);
    EXPECT_TRUE(dueOuts.result.message.contains(u"rooms"_s)) << dueOuts.result.message.toStdString();
    EXPECT_TRUE(dueOuts.occupancy.startsWith("客源类型\n")) << "the sheets are left cleared";

    // Without due-outs the texts sum rooms_ED, which is still there.
    const Searched withoutDueOuts = search(db(), false);
    ASSERT_EQ(withoutDueOuts.result.exitCode, 0) << withoutDueOuts.result.message.toStdString();
    EXPECT_EQ(withoutDueOuts.availability, full.availability);
    EXPECT_EQ(withoutDueOuts.occupancy, full.occupancy);
}

TEST_P(ServerFaults, AServerThatStopsUnderTheConnectionFailsTheSearchUntilReopened)
{
    PgServer &server = PgEnvironment::server();
    const Searched before = search(db());
    ASSERT_EQ(before.result.exitCode, 0) << before.result.message.toStdString();

    {
        RestartOnExit restart(server);
        server.stop();
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Searched failed = search(db());
            EXPECT_EQ(failed.result.exitCode, 1) << "attempt " << attempt;
            EXPECT_FALSE(failed.result.message.isEmpty());
            EXPECT_LT(failed.microseconds, 5'000'000) << "attempt " << attempt;
            std::cout << "  search on a stopped server, attempt " << attempt + 1 << ": "
                      << failed.microseconds << " us: " << failed.result.message.toStdString() << '\n';
        }
    }

    db().close();
    ASSERT_TRUE(db().open()) << db().lastError().text().toStdString();
    const Searched again = search(db());
    ASSERT_EQ(again.result.exitCode, 0) << again.result.message.toStdString();
    EXPECT_EQ(again.availability, before.availability);
    EXPECT_EQ(again.occupancy, before.occupancy);
}

std::string engineLabel(const ::testing::TestParamInfo<Engine> &info)
{
    return engineName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Engines, ExportFaults,
                         ::testing::Values(Engine::Sqlite, Engine::SqliteOdbc, Engine::Postgres,
                                           Engine::PostgresOdbc),
                         engineLabel);

INSTANTIATE_TEST_SUITE_P(Engines, ServerFaults, ::testing::Values(Engine::Postgres, Engine::PostgresOdbc),
                         engineLabel);

class HostExportFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QSqlDatabase::isDriverAvailable(u"QPSQL"_s))
            GTEST_SKIP() << "Qt SQL driver QPSQL is not installed";
        ScopedConnection source = generateDemoHotelInMemory();
        database = openEngineHotel(Engine::Postgres, ColumnTypes{}, *source);
        database.connection.reset(); // the host opens its own
        url = PgEnvironment::server().url(database.postgresDatabase);
    }

    EngineDatabase database;
    QString url;
};

TEST_F(HostExportFaults, AStoppedServerExitsOneWithTheDriversText)
{
    PgServer &server = PgEnvironment::server();
    const ProcessRun running = runHost({u"--db"_s, url, u"--export"_s, u"availability"_s});
    ASSERT_EQ(running.exitCode, 0) << running.err.toStdString();
    EXPECT_TRUE(running.out.startsWith("客房等级,总数,15/06,"));

    RestartOnExit restart(server);
    server.stop();
    const ProcessRun stopped = runHost({u"--db"_s, url, u"--export"_s, u"availability"_s});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(stopped.out.isEmpty());
    EXPECT_TRUE(stopped.err.startsWith(u"tavelin-host: cannot open database "_s + url + u": "_s))
        << stopped.err.toStdString();
    EXPECT_TRUE(stopped.err.contains(u"Connection refused"_s)) << stopped.err.toStdString();
    EXPECT_LT(stopped.milliseconds, 10'000);
    std::cout << "  export to a stopped server: " << stopped.milliseconds << " ms (running: "
              << running.milliseconds << " ms)\n";
}

TEST_F(HostExportFaults, AStoppedServerThroughOdbcExitsOneWithTheDriversText)
{
    if (!QSqlDatabase::isDriverAvailable(u"QODBC"_s))
        GTEST_SKIP() << "Qt SQL driver QODBC is not installed";
    PgServer &server = PgEnvironment::server();
    const QString odbc = u"odbc:DRIVER="_s + postgresOdbcDriver() + u";SERVER="_s + server.host() + u";PORT="_s
                         + QString::number(server.port()) + u";DATABASE="_s + database.postgresDatabase
                         + u";UID="_s + server.user();
    const ProcessRun running = runHost({u"--db"_s, odbc, u"--export"_s, u"occupancy"_s});
    ASSERT_EQ(running.exitCode, 0) << running.err.toStdString();

    RestartOnExit restart(server);
    server.stop();
    const ProcessRun stopped = runHost({u"--db"_s, odbc, u"--export"_s, u"occupancy"_s});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(stopped.out.isEmpty());
    EXPECT_TRUE(stopped.err.startsWith(u"tavelin-host: cannot open database "_s)) << stopped.err.toStdString();
    EXPECT_TRUE(stopped.err.contains(u"Connection refused"_s)) << stopped.err.toStdString();
    EXPECT_LT(stopped.milliseconds, 10'000);
    std::cout << "  odbc export to a stopped server: " << stopped.milliseconds << " ms\n";
}

TEST_F(HostExportFaults, AMissingTableOrColumnExitsOneWithTheDriversText)
{
    ScopedConnection admin = PgEnvironment::server().connect(database.postgresDatabase);
    ASSERT_TRUE(execAll(*admin, tavelin2WithoutRooms()));
    const ProcessRun column = runHost({u"--db"_s, url, u"--export"_s, u"occupancy"_s});
    EXPECT_EQ(column.exitCode, 1);
    EXPECT_TRUE(column.out.isEmpty());
    EXPECT_TRUE(column.err.startsWith(u"tavelin-host: "_s)) << column.err.toStdString();
    EXPECT_TRUE(column.err.contains(u"column \"rooms\" does not exist"_s)) << column.err.toStdString();

    ASSERT_TRUE(execAll(*admin, {u"DROP TABLE Tavelin_1"_s}));
    const ProcessRun table = runHost({u"--db"_s, url, u"--export"_s, u"availability"_s});
    EXPECT_EQ(table.exitCode, 1);
    EXPECT_TRUE(table.err.contains(u"relation \"tavelin_1\" does not exist"_s)) << table.err.toStdString();
}

} // namespace
