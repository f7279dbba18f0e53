// The export's csv and json of both grids, for searches that between them run
// every one of the 24 forecast texts, on each engine and with the column types
// hosts use, against what QSQLITE makes of the generated demo hotel.

#include "controls/SheetModel.h"
#include "forecast/ForecastSql.h"
#include "host/ForecastExport.h"
#include "host/SheetWriters.h"
#include "tests/engines/EngineHotel.h"

#include <QBuffer>
#include <QList>
#include <QSet>
#include <QSqlDatabase>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::test;
using tavelin::host::ExportOptions;

namespace {

struct Search
{
    std::string name;
    ExportOptions options;
};

// Every combination of due-outs, grade list, section and feature: the
// availability text of each index once, the occupancy texts twice. Spans and
// codes vary so that the grids differ from search to search.
std::vector<Search> searches()
{
    const QString sections[] = {u"A"_s, u"B"_s, u"C"_s};
    const QString features[] = {u"SEA"_s, u"EXEC"_s, u"NSM"_s, u"QUIET"_s};
    const QString gradeLists[] = {u"ST,DK"_s, u"'ES','PS','SK'"_s, u"DT"_s};
    std::vector<Search> made;
    for (int i = 0; i < 16; ++i) {
        const bool dueOut = i & 8;
        const bool grades = i & 4;
        const bool section = i & 2;
        const bool feature = i & 1;
        Search search;
        ExportOptions &options = search.options;
        options.includeDueOut = dueOut;
        options.grades = grades ? gradeLists[i % 3] : QString();
        options.section = section ? sections[i % 3] : u"All"_s;
        options.feature = feature ? features[i % 4] : u"All"_s;
        options.from = DemoBusinessDate.addDays(i * 7 % 30);
        options.to = options.from.addDays(20 + i * 23);
        search.name = std::to_string(i) + (dueOut ? " dueOut" : "") + (grades ? " grades" : "")
                      + (section ? " section" : "") + (feature ? " feature" : "");
        made.push_back(search);
    }
    return made;
}

// Availability csv and json, then occupancy csv and json.
struct SearchOutput
{
    int exitCode = 0;
    QString message;
    QList<QByteArray> files;
};

QByteArray written(bool (*writer)(const SheetModel &, QIODevice &), const SheetModel &sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer(sheet, buffer));
    return buffer.data();
}

std::vector<SearchOutput> runSearches(QSqlDatabase &db)
{
    std::vector<SearchOutput> outputs;
    for (const Search &search : searches()) {
        SheetModel grades;
        SheetModel orgs;
        const host::ExportResult result =
            host::searchForExport(db, search.options, DemoBusinessDate, grades, orgs);
        SearchOutput output{result.exitCode, result.message, {}};
        if (result.exitCode == 0)
            output.files = {written(host::writeCsv, grades), written(host::writeJson, grades),
                            written(host::writeCsv, orgs), written(host::writeJson, orgs)};
        outputs.push_back(output);
    }
    return outputs;
}

// The searches on the generated hotel itself, computed once per process from
// the first hotel handed in: generation is deterministic.
const std::vector<SearchOutput> &baseline(QSqlDatabase &generated)
{
    static const std::vector<SearchOutput> outputs = runSearches(generated);
    return outputs;
}

// Where two files first part: the line, and some text of each from a little
// before that point.
std::string firstDifference(const QByteArray &expected, const QByteArray &actual)
{
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    if (at == expected.size() && at == actual.size())
        return "no difference";
    const qsizetype lineStart = expected.lastIndexOf('\n', at - 1) + 1;
    const qsizetype from = std::max(lineStart, at - 40);
    return "line " + std::to_string(expected.left(at).count('\n') + 1) + ", byte "
           + std::to_string(at - lineStart + 1) + "\n  expected: ..." + expected.mid(from, 100).toStdString()
           + "\n  actual:   ..." + actual.mid(from, 100).toStdString();
}

const char *const FileNames[] = {"availability.csv", "availability.json", "occupancy.csv",
                                 "occupancy.json"};

void expectSameOutputs(const std::vector<SearchOutput> &expected, const std::vector<SearchOutput> &actual)
{
    const std::vector<Search> all = searches();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t s = 0; s < expected.size(); ++s) {
        SCOPED_TRACE("search " + all[s].name);
        ASSERT_EQ(actual[s].exitCode, expected[s].exitCode) << actual[s].message.toStdString();
        ASSERT_EQ(actual[s].files.size(), expected[s].files.size());
        for (qsizetype f = 0; f < expected[s].files.size(); ++f)
            EXPECT_TRUE(actual[s].files[f] == expected[s].files[f])
                << FileNames[f] << " differs at " << firstDifference(expected[s].files[f], actual[s].files[f]);
    }
}

TEST(ForecastSearches, RunEveryForecastText)
{
    QSet<QString> texts;
    for (const Search &search : searches()) {
        const ExportOptions &o = search.options;
        ForecastFilter filter;
        filter.begin = o.from;
        filter.end = o.to;
        filter.includeDueOut = o.includeDueOut;
        filter.sectionCode = o.section;
        filter.featureCode = o.feature;
        filter.roomGrades = o.grades.isEmpty() ? QStringList() : QStringList{u"X"_s};
        // With the values fixed, only the choice of text tells two searches apart.
        filter.begin = filter.end = DemoBusinessDate;
        if (filter.sectionCode != u"All")
            filter.sectionCode = u"S"_s;
        if (filter.featureCode != u"All")
            filter.featureCode = u"F"_s;
        texts.insert(availabilitySql(filter));
        texts.insert(occupancySql(filter));
    }
    EXPECT_EQ(texts.size(), 24);
}

TEST(ForecastSearches, BaselineFillsBothGridsOfEverySearch)
{
    ScopedConnection hotel = generateDemoHotelInMemory();
    const std::vector<SearchOutput> &outputs = baseline(*hotel);
    for (std::size_t s = 0; s < outputs.size(); ++s) {
        ASSERT_EQ(outputs[s].exitCode, 0) << outputs[s].message.toStdString();
        // More than the corner and headings: the demo house has rooms in every section.
        EXPECT_GT(outputs[s].files[0].count('\n'), 5) << s;
        EXPECT_GT(outputs[s].files[2].count('\n'), 5) << s;
    }
}

// What the forecast's fixed texts make of a column type on an engine.
enum class Outcome {
    Same,
    // SQLite compares dates as text: "2026-07-05 00:00:00" > '2026-07-05', so
    // the rows of the last day of every span are not selected.
    LastDayLost,
    // PostgreSQL has no sum() of text.
    SumRefused,
};

struct Case
{
    Engine engine;
    ColumnTypes types;
    Outcome outcome = Outcome::Same;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << engineName(c.engine) << ' ' << columnTypesName(c.types);
}

std::string caseLabel(const ::testing::TestParamInfo<Case> &info)
{
    return engineName(info.param.engine) + "_" + columnTypesName(info.param.types);
}

// The demo hotel's csv holds no quotes or commas inside a cell.
QList<QList<QByteArray>> csvCells(const QByteArray &csv)
{
    EXPECT_FALSE(csv.contains('"'));
    QList<QList<QByteArray>> rows;
    for (const QByteArray &line : csv.split('\n'))
        if (!line.isEmpty())
            rows.append(line.split(','));
    return rows;
}

// The grids equal the expected ones but for the last day, where no rooms are
// taken, out of order or out of inventory.
void expectLastDayLost(const std::vector<SearchOutput> &expected, const std::vector<SearchOutput> &actual)
{
    const std::vector<Search> all = searches();
    ASSERT_EQ(actual.size(), expected.size());
    std::size_t lastDayDiffers = 0; // grids
    for (std::size_t s = 0; s < expected.size(); ++s) {
        SCOPED_TRACE("search " + all[s].name);
        ASSERT_EQ(actual[s].exitCode, 0) << actual[s].message.toStdString();
        for (int grid : {0, 2}) {
            const QList<QList<QByteArray>> want = csvCells(expected[s].files[grid]);
            const QList<QList<QByteArray>> got = csvCells(actual[s].files[grid]);
            ASSERT_EQ(got.size(), want.size());
            const qsizetype lastDayColumns = grid == 0 ? 1 : 2;
            const qsizetype gradeRows = want.size() - 5; // heading, subtotal, OOI, OOO, rate
            bool differs = false;
            for (qsizetype r = 0; r < want.size(); ++r) {
                ASSERT_EQ(got[r].size(), want[r].size());
                const qsizetype keep = want[r].size() - lastDayColumns;
                EXPECT_EQ(got[r].mid(0, keep), want[r].mid(0, keep)) << "row " << r;
                differs = differs || got[r].mid(keep) != want[r].mid(keep);
                if (r == 0)
                    continue;
                if (grid == 0 && r <= gradeRows + 1) {
                    // An empty total (a grade with no rooms in the section) counts as 0.
                    EXPECT_EQ(got[r].last().toInt(), got[r][1].toInt()) << "row " << r << ": all rooms free";
                } else if (grid == 0 && r <= gradeRows + 3) {
                    EXPECT_TRUE(got[r].last().isEmpty()) << "row " << r << ": no OOI, no OOO";
                } else if (grid == 2 && r < want.size() - 1) {
                    EXPECT_EQ(got[r][got[r].size() - 2], QByteArray("0")) << "row " << r;
                }
            }
            lastDayDiffers += differs;
        }
    }
    // Narrow filters may select nothing on the last day anyway; most select something.
    EXPECT_GE(lastDayDiffers, expected.size());
}

void expectSumRefused(const std::vector<SearchOutput> &actual)
{
    for (const SearchOutput &output : actual) {
        EXPECT_EQ(output.exitCode, 1);
        EXPECT_TRUE(output.message.contains(u"sum(character varying) does not exist"_s))
            << output.message.toStdString();
    }
}

class SameForecast : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        const Case &c = GetParam();
        for (const QString &driver : {qtDriverOf(c.engine), isPostgres(c.engine) ? u"QPSQL"_s : u"QSQLITE"_s})
            if (!QSqlDatabase::isDriverAvailable(driver))
                GTEST_SKIP() << "Qt SQL driver " << driver.toStdString() << " is not installed";
        if (c.engine == Engine::PostgresOdbc)
            postgresOdbcDriver(); // before the process's first ODBC connection
        ScopedConnection source = generateDemoHotelInMemory();
        expected = &baseline(*source);
        database = openEngineHotel(c.engine, c.types, *source);
    }

    const std::vector<SearchOutput> *expected = nullptr;
    EngineDatabase database;
};

TEST_P(SameForecast, GivesTheGridsOfTheGeneratedHotel)
{
    const std::vector<SearchOutput> outputs = runSearches(*database.connection);
    switch (GetParam().outcome) {
    case Outcome::Same:
        expectSameOutputs(*expected, outputs);
        break;
    case Outcome::LastDayLost:
        expectLastDayLost(*expected, outputs);
        break;
    case Outcome::SumRefused:
        expectSumRefused(outputs);
        break;
    }
}

constexpr ColumnTypes Plain{};
constexpr ColumnTypes TimestampDates{DateColumns::Timestamp, RoomColumns::Integer, CodeColumns::Varchar};
constexpr ColumnTypes TextDates{DateColumns::Text, RoomColumns::Integer, CodeColumns::Varchar};
constexpr ColumnTypes NumericRooms{DateColumns::Date, RoomColumns::Numeric, CodeColumns::Varchar};
constexpr ColumnTypes TextRooms{DateColumns::Date, RoomColumns::Text, CodeColumns::Varchar};
constexpr ColumnTypes CharCodes{DateColumns::Date, RoomColumns::Integer, CodeColumns::Char};
constexpr ColumnTypes ServerTypes{DateColumns::Timestamp, RoomColumns::Numeric, CodeColumns::Char};

INSTANTIATE_TEST_SUITE_P(
    Engines, SameForecast,
    ::testing::Values(Case{Engine::Sqlite, Plain}, Case{Engine::SqliteOdbc, Plain}, Case{Engine::Postgres, Plain},
                      Case{Engine::PostgresOdbc, Plain}),
    caseLabel);

INSTANTIATE_TEST_SUITE_P(
    ColumnTypes, SameForecast,
    ::testing::Values(Case{Engine::Sqlite, TimestampDates, Outcome::LastDayLost},
                      Case{Engine::SqliteOdbc, TimestampDates, Outcome::LastDayLost},
                      Case{Engine::Postgres, TimestampDates}, Case{Engine::PostgresOdbc, TimestampDates},
                      Case{Engine::Sqlite, TextDates}, Case{Engine::SqliteOdbc, TextDates},
                      Case{Engine::Postgres, TextDates}, Case{Engine::PostgresOdbc, TextDates},
                      Case{Engine::Sqlite, NumericRooms}, Case{Engine::SqliteOdbc, NumericRooms},
                      Case{Engine::Postgres, NumericRooms}, Case{Engine::PostgresOdbc, NumericRooms},
                      Case{Engine::Sqlite, TextRooms}, Case{Engine::SqliteOdbc, TextRooms},
                      Case{Engine::Postgres, TextRooms, Outcome::SumRefused},
                      Case{Engine::PostgresOdbc, TextRooms, Outcome::SumRefused},
                      Case{Engine::Sqlite, CharCodes}, Case{Engine::SqliteOdbc, CharCodes},
                      Case{Engine::Postgres, CharCodes}, Case{Engine::PostgresOdbc, CharCodes},
                      Case{Engine::Postgres, ServerTypes}, Case{Engine::PostgresOdbc, ServerTypes}),
    caseLabel);

} // namespace
