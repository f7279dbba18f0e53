#include "host/HostOptions.h"
#include "tests/host/TestPrinters.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>

#include <ctime>

using namespace Qt::StringLiterals;
using namespace tavelin::host;

namespace {

const QDate Today(2026, 12, 8);

ParsedHostOptions parse(QStringList arguments)
{
    arguments.prepend(u"/opt/hotel/bin/tavelin-host"_s);
    return parseHostOptions(arguments, Today);
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
        tzset();
    }

    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
        tzset();
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(HostOptions, NoArgumentsMeanTheDemoDatabaseTodayAndTheUsualModule)
{
    const ParsedHostOptions parsed = parse({});
    ASSERT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Run) << parsed.text.toStdString();
    EXPECT_FALSE(parsed.options.database);
    EXPECT_EQ(parsed.options.businessDate, Today);
    EXPECT_TRUE(parsed.options.hostText.isEmpty());
    EXPECT_TRUE(parsed.options.module.isEmpty());
}

TEST(HostOptions, EveryOptionIsTaken)
{
    const ParsedHostOptions parsed = parse({u"--db"_s, u"odbc:HotelPMS"_s, u"--business-date"_s, u"2024-02-29"_s,
                                            u"--host-text=前台 1;op=7"_s, u"--module"_s, u"/srv/modules"_s});
    ASSERT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Run) << parsed.text.toStdString();
    ASSERT_TRUE(parsed.options.database);
    EXPECT_EQ(parsed.options.database->driver, u"QODBC"_s);
    EXPECT_EQ(parsed.options.database->databaseName, u"HotelPMS"_s);
    EXPECT_EQ(parsed.options.businessDate, QDate(2024, 2, 29));
    EXPECT_EQ(parsed.options.hostText, u"前台 1;op=7"_s);
    EXPECT_EQ(parsed.options.module, u"/srv/modules"_s);
}

TEST(HostOptions, ABusinessDateMustBeARealDayWrittenYyyyMmDd)
{
    for (const QString &text : {u"2026-02-29"_s, u"2026-13-01"_s, u"2026-1-5"_s, u"26-01-05"_s, u"05.01.2026"_s,
                                u"2026-01-05T00:00"_s, u""_s, u"today"_s}) {
        const ParsedHostOptions parsed = parse({u"--business-date"_s, text});
        EXPECT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Error) << text.toStdString();
        EXPECT_TRUE(parsed.text.contains(u"--business-date"_s)) << parsed.text.toStdString();
    }
}

TEST(HostOptions, BadDatabaseUrlUnknownOptionsAndStrayArgumentsAreErrors)
{
    const ParsedHostOptions badUrl = parse({u"--db"_s, u"mysql://front@db/hotel"_s});
    EXPECT_EQ(badUrl.outcome, ParsedHostOptions::Outcome::Error);
    EXPECT_TRUE(badUrl.text.startsWith(u"--db: "_s)) << badUrl.text.toStdString();

    EXPECT_EQ(parse({u"--export"_s}).outcome, ParsedHostOptions::Outcome::Error);
    EXPECT_EQ(parse({u"--db"_s}).outcome, ParsedHostOptions::Outcome::Error);
    EXPECT_EQ(parse({u"--module="_s}).outcome, ParsedHostOptions::Outcome::Error);
    const ParsedHostOptions stray = parse({u"hotel.db"_s});
    EXPECT_EQ(stray.outcome, ParsedHostOptions::Outcome::Error);
    EXPECT_TRUE(stray.text.contains(u"hotel.db"_s));
}

TEST(HostOptions, HelpNamesTheProgramAndEveryOption)
{
    const ParsedHostOptions parsed = parse({u"--help"_s});
    ASSERT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Help);
    EXPECT_TRUE(parsed.text.contains(u"tavelin-host"_s)) << parsed.text.toStdString();
    EXPECT_FALSE(parsed.text.contains(u"<executable_name>"_s));
    for (const QString &option : {u"--db"_s, u"--business-date"_s, u"--host-text"_s, u"--module"_s, u"--export"_s,
                                  u"--format"_s, u"--exclude-due-out"_s, u"--grades"_s})
        EXPECT_TRUE(parsed.text.contains(option)) << option.toStdString();
}

TEST(HostOptions, TheDemoDatabaseIsTheEnvironmentsOrTheOneAboveTheProgram)
{
    {
        ScopedEnvironment unset("TAVELIN_DEMO_DB", QByteArray());
        EXPECT_EQ(defaultDatabasePath(u"/work/build/bin"_s), u"/work/build/demo-hotel.sqlite"_s);
        const DatabaseUrl url = databaseFor(HostOptions(), u"/work/build/bin"_s);
        EXPECT_EQ(url.driver, u"QSQLITE"_s);
        EXPECT_EQ(url.databaseName, u"/work/build/demo-hotel.sqlite"_s);
        EXPECT_TRUE(url.connectOptions.contains(u"QSQLITE_OPEN_READONLY"_s));
    }
    {
        ScopedEnvironment set("TAVELIN_DEMO_DB", "/data/other hotel.sqlite");
        EXPECT_EQ(defaultDatabasePath(u"/work/build/bin"_s), u"/data/other hotel.sqlite"_s);
        HostOptions chosen;
        chosen.database = parseDatabaseUrl(u"sqlite:/x.db"_s).url;
        EXPECT_EQ(databaseFor(chosen, u"/work/build/bin"_s).databaseName, u"/x.db"_s);
    }
}

// The first second of the day, also where a clock change skips midnight
// (Brazil, 4 November 2018: 00:00 became 01:00).
TEST(HostOptions, BusinessDateIsTheStartOfTheLocalDay)
{
    ScopedEnvironment zone("TZ", "America/Sao_Paulo");
    for (const QDate date : {QDate(2026, 12, 8), QDate(2018, 11, 4), QDate(2019, 2, 17), QDate(1970, 1, 1)}) {
        const qint64 seconds = businessDateSeconds(date);
        const QDateTime start = QDateTime::fromSecsSinceEpoch(seconds);
        EXPECT_EQ(start.date(), date) << date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(QDateTime::fromSecsSinceEpoch(seconds - 1).date(), date.addDays(-1))
            << date.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(businessDateSeconds(QDate(2018, 11, 4))).time(), QTime(1, 0));
    EXPECT_EQ(businessDateSeconds(QDate(2026, 12, 8)), 1796698800); // 2026-12-08 00:00 -03:00
}

TEST(HostOptions, AnExportDefaultsToTheWindowsOpeningSearchAsCsvOnStandardOutput)
{
    const ParsedHostOptions parsed = parse({u"--export"_s, u"availability"_s, u"--business-date"_s, u"2024-02-25"_s});
    ASSERT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Run) << parsed.text.toStdString();
    ASSERT_TRUE(parsed.options.exportOptions);
    const ExportOptions &exporting = *parsed.options.exportOptions;
    EXPECT_EQ(exporting.grid, ExportGrid::Availability);
    EXPECT_EQ(exporting.format, ExportFormat::Csv);
    EXPECT_TRUE(exporting.outputFile.isEmpty());
    EXPECT_EQ(exporting.from, QDate(2024, 2, 25));
    EXPECT_EQ(exporting.to, QDate(2024, 3, 5)); // nine days on, over a leap day
    EXPECT_EQ(exporting.section, u"All"_s);
    EXPECT_EQ(exporting.feature, u"All"_s);
    EXPECT_TRUE(exporting.grades.isEmpty());
    EXPECT_TRUE(exporting.includeDueOut);

    EXPECT_FALSE(parse({}).options.exportOptions);
}

TEST(HostOptions, EveryExportOptionIsTaken)
{
    const ParsedHostOptions parsed
        = parse({u"--export"_s, u"occupancy"_s, u"--from"_s, u"2026-12-10"_s, u"--to"_s, u"2027-01-31"_s,
                 u"--section"_s, u"东区"_s, u"--feature"_s, u"SEA"_s, u"--grades"_s, u"'DK','ST'"_s,
                 u"--exclude-due-out"_s, u"--format"_s, u"xlsx"_s, u"-o"_s, u"/tmp/grid.xlsx"_s});
    ASSERT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Run) << parsed.text.toStdString();
    const ExportOptions &exporting = *parsed.options.exportOptions;
    EXPECT_EQ(exporting.grid, ExportGrid::Occupancy);
    EXPECT_EQ(exporting.format, ExportFormat::Xlsx);
    EXPECT_EQ(exporting.outputFile, u"/tmp/grid.xlsx"_s);
    EXPECT_EQ(exporting.from, QDate(2026, 12, 10));
    EXPECT_EQ(exporting.to, QDate(2027, 1, 31));
    EXPECT_EQ(exporting.section, u"东区"_s);
    EXPECT_EQ(exporting.feature, u"SEA"_s);
    EXPECT_EQ(exporting.grades, u"'DK','ST'"_s); // checked by the search, as the window's box is
    EXPECT_FALSE(exporting.includeDueOut);

    // A first day alone moves the last one with it, as in the window.
    const ParsedHostOptions moved = parse({u"--export"_s, u"availability"_s, u"--from"_s, u"2026-12-30"_s});
    EXPECT_EQ(moved.options.exportOptions->to, QDate(2027, 1, 8));
    for (const auto &[name, format] : {std::pair{u"json"_s, ExportFormat::Json}, std::pair{u"text"_s, ExportFormat::Text},
                                       std::pair{u"csv"_s, ExportFormat::Csv}}) {
        const ParsedHostOptions chosen = parse({u"--export"_s, u"availability"_s, u"--format"_s, name});
        ASSERT_EQ(chosen.outcome, ParsedHostOptions::Outcome::Run) << name.toStdString();
        EXPECT_EQ(chosen.options.exportOptions->format, format) << name.toStdString();
    }
}

TEST(HostOptions, BadExportOptionsAreErrorsThatNameTheOption)
{
    const QList<std::pair<QStringList, QString>> cases = {
        {{u"--export"_s, u"grades"_s}, u"--export"_s},
        {{u"--export"_s, u"availability"_s, u"--format"_s, u"ods"_s}, u"--format"_s},
        {{u"--export"_s, u"availability"_s, u"--format"_s, u"xlsx"_s}, u"-o"_s},
        {{u"--export"_s, u"availability"_s, u"--from"_s, u"2026-02-29"_s}, u"--from"_s},
        {{u"--export"_s, u"availability"_s, u"--to"_s, u"2026-6-1"_s}, u"--to"_s},
        {{u"--export"_s, u"availability"_s, u"-o"_s, u""_s}, u"-o"_s},
        {{u"--format"_s, u"csv"_s}, u"--format"_s},
        {{u"--section"_s, u"A"_s}, u"--section"_s},
        {{u"--exclude-due-out"_s}, u"--exclude-due-out"_s},
        {{u"-o"_s, u"grid.csv"_s}, u"--output"_s},
    };
    for (const auto &[arguments, named] : cases) {
        const ParsedHostOptions parsed = parse(arguments);
        EXPECT_EQ(parsed.outcome, ParsedHostOptions::Outcome::Error) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(parsed.text.contains(named)) << parsed.text.toStdString();
    }
}
