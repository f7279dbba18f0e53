// The export's search on the fixture hotel, in process: what reaches the
// sheets, which criteria are refused and how, and what the writers make of it.

#include "controls/SheetModel.h"
#include "host/ForecastExport.h"
#include "tests/host/ExportFixture.h"
#include "tests/host/ExportTestTools.h"
#include "tests/host/TestPrinters.h"

#include <gtest/gtest.h>

#include <functional>

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::host;
using tavelin::test::FixtureBusinessDate;

namespace {

class ForecastExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db = tavelin::test::openSqliteMemory();
        ASSERT_TRUE(tavelin::test::execAll(*m_db, tavelin::test::exportFixtureStatements()));
        m_options.from = FixtureBusinessDate;
        m_options.to = FixtureBusinessDate.addDays(9);
    }

    ExportResult search(CriteriaLines *criteria = nullptr)
    {
        return searchForExport(*m_db, m_options, FixtureBusinessDate, m_grades, m_orgs, criteria);
    }

    // Row r of a sheet, columns 0 to the last.
    static QStringList row(const SheetModel &sheet, int r)
    {
        QStringList texts;
        for (int c = 0; c <= sheet.maxCols(); ++c)
            texts.append(sheet.cellText(c, r));
        return texts;
    }

    tavelin::test::ScopedConnection m_db;
    ExportOptions m_options;
    SheetModel m_grades;
    SheetModel m_orgs;
};

} // namespace

TEST_F(ForecastExport, FillsTheAvailabilityGridWithItsCornerLabel)
{
    const ExportResult result = search();
    ASSERT_EQ(result.exitCode, 0) << result.message.toStdString();
    ASSERT_EQ(m_grades.maxRows(), 6);
    ASSERT_EQ(m_grades.maxCols(), 11);
    EXPECT_EQ(row(m_grades, 0),
              (QStringList{u"客房等级"_s, u"总数"_s, u"15/06"_s, u"16/06"_s, u"17/06"_s, u"18/06"_s, u"19/06"_s,
                           u"20/06"_s, u"21/06"_s, u"22/06"_s, u"23/06"_s, u"24/06"_s}));
    EXPECT_EQ(row(m_grades, 1), (QStringList{u"DK(大床房)"_s, u"10"_s, u"10"_s, u"-2"_s, u"10"_s, u"10"_s, u"10"_s,
                                             u"10"_s, u"10"_s, u"10"_s, u"10"_s, u"10"_s}));
    EXPECT_EQ(row(m_grades, 2).mid(0, 4), (QStringList{u"ST(标准间, \"豪华\")"_s, u"5"_s, u"2"_s, u"5"_s}));
    EXPECT_EQ(row(m_grades, 3).mid(0, 4), (QStringList{u"小计"_s, u"15"_s, u"12"_s, u"3"_s}));
    EXPECT_EQ(row(m_grades, 4).mid(0, 6), (QStringList{u"OOI"_s, QString(), QString(), QString(), u"1"_s, QString()}));
    EXPECT_EQ(row(m_grades, 5).mid(0, 6), (QStringList{u"OOO"_s, QString(), QString(), QString(), QString(), u"2"_s}));
    EXPECT_EQ(row(m_grades, 6).mid(0, 5), (QStringList{u"预计占房率%"_s, QString(), u"20.0"_s, u"80.0"_s, u"0.0"_s}));

    // The corner keeps the white the search paints; the grid's own cells have no back colour.
    EXPECT_EQ(m_grades.cellBackColor(0, 0), SheetModel::White);
    EXPECT_EQ(m_grades.cellBackColor(2, 1), std::nullopt);
    EXPECT_EQ(m_grades.cellForeColor(3, 1), SheetModel::Red);
    EXPECT_EQ(m_grades.cellForeColor(6, 0), SheetModel::Green); // Friday
    EXPECT_EQ(m_grades.cellForeColor(7, 3), SheetModel::Green); // Saturday
    EXPECT_EQ(m_grades.cellForeColor(5, 1), std::nullopt);
}

TEST_F(ForecastExport, FillsTheOccupancyGridWithItsCornerLabel)
{
    m_options.grid = ExportGrid::Occupancy;
    m_options.to = FixtureBusinessDate.addDays(2);
    ASSERT_EQ(search().exitCode, 0);
    ASSERT_EQ(m_orgs.maxRows(), 3);
    ASSERT_EQ(m_orgs.maxCols(), 6);
    EXPECT_EQ(row(m_orgs, 0), (QStringList{u"客源类型"_s, u"15/06"_s, u" "_s, u"16/06"_s, u" "_s, u"17/06"_s, u" "_s}));
    EXPECT_EQ(row(m_orgs, 1), (QStringList{u"FIT(散客)"_s, u"4"_s, u"80.0%"_s, u"2"_s, u"100.0%"_s, u"0"_s, QString()}));
    EXPECT_EQ(row(m_orgs, 2), (QStringList{u"TA(旅行社)"_s, u"1"_s, u"20.0%"_s, u"0"_s, u"0.0%"_s, u"0"_s, QString()}));
    EXPECT_EQ(row(m_orgs, 3), (QStringList{u"小计"_s, u"5"_s, u"100%"_s, u"2"_s, u"100%"_s, u"0"_s, u"100%"_s}));
    EXPECT_EQ(m_orgs.cellBackColor(0, 0), SheetModel::White);
}

TEST_F(ForecastExport, TheOptionsReachTheQueries)
{
    m_options.includeDueOut = false;
    ASSERT_EQ(search().exitCode, 0);
    EXPECT_EQ(m_grades.cellText(3, 1), u"-1"_s); // rooms_ED: 10 - 11
    EXPECT_EQ(m_grades.cellText(2, 2), u"3"_s);  // 5 - 2

    // A padded section code is found by its code and queried without the padding.
    m_options.includeDueOut = true;
    m_options.section = u"C"_s;
    ASSERT_EQ(search().exitCode, 0);
    EXPECT_EQ(m_grades.cellText(2, 2), u"-3"_s); // no totals in section C, 3 taken
    EXPECT_EQ(m_grades.cellText(3, 1), u"0"_s);

    m_options.section = u"All"_s;
    m_options.feature = u"SEA"_s;
    m_options.grades = u"DK"_s;
    ASSERT_EQ(search().exitCode, 0);
    EXPECT_EQ(m_grades.maxRows(), 5); // one grade
    EXPECT_EQ(m_grades.cellText(3, 1), u"-12"_s);
}

TEST_F(ForecastExport, DescribesTheSearchForAPrintedCopy)
{
    m_options.section = u"C"_s;
    m_options.feature = u"SEA"_s;
    m_options.grades = u"DK, ST"_s;
    m_options.includeDueOut = false;
    CriteriaLines criteria;
    ASSERT_EQ(search(&criteria).exitCode, 0);
    EXPECT_EQ(criteria, (CriteriaLines{{u"日期"_s, u"2026-06-15 至 2026-06-24"_s},
                                       {u"区段"_s, u"C 西翼"_s},
                                       {u"特性"_s, u"SEA 海景"_s},
                                       {u"客房等级"_s, u"'DK','ST'"_s},
                                       {u"含应离"_s, u"否"_s},
                                       {u"营业日期"_s, u"2026-06-15"_s}}));

    m_options = ExportOptions{};
    m_options.from = FixtureBusinessDate;
    m_options.to = FixtureBusinessDate;
    ASSERT_EQ(search(&criteria).exitCode, 0);
    EXPECT_EQ(criteria[1].second, u"All"_s);
    EXPECT_EQ(criteria[3].second, u"All"_s);
    EXPECT_EQ(criteria[4].second, u"是"_s);
}

TEST_F(ForecastExport, RefusesWhatTheWindowRefusesWithItsMessages)
{
    const auto refused = [&](const ExportOptions &options) {
        m_options = options;
        return search();
    };
    ExportOptions base = m_options;

    struct Case
    {
        const char *what;
        std::function<void(ExportOptions &)> change;
        QString message;
    };
    const QList<Case> cases = {
        {"begin before the business date", [](ExportOptions &o) { o.from = FixtureBusinessDate.addDays(-1); },
         u"您输入的查询日期必须大于或等于系统日期！"_s},
        {"end before begin", [](ExportOptions &o) { o.to = o.from.addDays(-1); },
         u"您输入的查询日期必须大于或等于系统日期！"_s},
        {"end before a later begin", [](ExportOptions &o) {
             o.from = o.from.addDays(5);
             o.to = o.from.addDays(-1);
         },
         u"您输入的查询日期的终止日期必须大于或等于起始日期！"_s},
        {"730 days", [](ExportOptions &o) { o.to = o.from.addDays(730); },
         u"您输入的查询日期的终止日期与起始日期之差不能大于等于370天！"_s},
        {"an unclosed quote", [](ExportOptions &o) { o.grades = u"'DK"_s; }, u"客房等级列表格式不正确，请重新选择！"_s},
        {"an empty grade", [](ExportOptions &o) { o.grades = u"DK,,ST"_s; }, u"客房等级列表格式不正确，请重新选择！"_s},
        {"an unknown section", [](ExportOptions &o) { o.section = u"X"_s; }, u"该区段代码不存在，请检查！"_s},
        {"a deleted section", [](ExportOptions &o) { o.section = u"OLD"_s; }, u"该区段代码不存在，请检查！"_s},
        {"a section by case", [](ExportOptions &o) { o.section = u"a"_s; }, u"该区段代码不存在，请检查！"_s},
        {"no section", [](ExportOptions &o) { o.section.clear(); }, u"客房区段不能为空，请重新选择！"_s},
        {"a deleted feature", [](ExportOptions &o) { o.feature = u"GONE"_s; }, u"该特征代码不存在，请检查！"_s},
        {"an empty feature", [](ExportOptions &o) { o.feature.clear(); }, u"该特征代码不存在，请检查！"_s},
    };
    for (const Case &c : cases) {
        ExportOptions options = base;
        c.change(options);
        const ExportResult result = refused(options);
        EXPECT_EQ(result.exitCode, 2) << c.what;
        EXPECT_EQ(result.message, c.message) << c.what;
        EXPECT_EQ(m_grades.maxRows(), 0) << c.what;
        EXPECT_EQ(m_orgs.maxCols(), 0) << c.what;
    }

    // The longest span that passes.
    ExportOptions longest = base;
    longest.to = longest.from.addDays(729);
    EXPECT_EQ(refused(longest).exitCode, 0);
    EXPECT_EQ(m_grades.maxCols(), 731);
}

TEST_F(ForecastExport, ADatabaseErrorIsTheDriversTextWithExitOne)
{
    ASSERT_TRUE(tavelin::test::execAll(*m_db, {u"drop table Tavelin_2"_s}));
    const ExportResult result = search();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.message.contains(u"Tavelin_2"_s)) << result.message.toStdString();
    EXPECT_EQ(m_grades.maxRows(), 0);
    EXPECT_EQ(m_grades.cellText(0, 0), u"客房等级"_s);

    ASSERT_TRUE(tavelin::test::execAll(*m_db, {u"drop table RmSection"_s}));
    m_options.section = u"A"_s;
    EXPECT_EQ(search().exitCode, 1);
}

TEST_F(ForecastExport, WritesTheChosenGridInTheChosenFormat)
{
    m_options.grid = ExportGrid::Occupancy;
    m_options.format = ExportFormat::Json;
    m_options.to = FixtureBusinessDate;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_EQ(exportForecast(*m_db, m_options, FixtureBusinessDate, out).exitCode, 0);
    const QJsonObject root = QJsonDocument::fromJson(out.data()).object();
    EXPECT_EQ(root.value(u"rows"_s).toInt(), 4);
    EXPECT_EQ(root.value(u"columns"_s).toInt(), 3);
    EXPECT_EQ(root.value(u"cells"_s)[1][2][u"text"_s].toString(), u"80.0%"_s);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    m_options.format = ExportFormat::Csv;
    m_options.outputFile = dir.filePath(u"grid.csv"_s);
    QBuffer unused;
    unused.open(QIODevice::WriteOnly);
    ASSERT_EQ(exportForecast(*m_db, m_options, FixtureBusinessDate, unused).exitCode, 0);
    EXPECT_TRUE(unused.data().isEmpty());
    QFile file(m_options.outputFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "客源类型,15/06, \nFIT(散客),4,80.0%\nTA(旅行社),1,20.0%\n小计,5,100%\n");

    m_options.outputFile = dir.filePath(u"missing/grid.csv"_s);
    const ExportResult failed = exportForecast(*m_db, m_options, FixtureBusinessDate, unused);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.message.startsWith(u"cannot write "_s + m_options.outputFile)) << failed.message.toStdString();
}
