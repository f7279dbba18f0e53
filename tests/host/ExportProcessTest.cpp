// Runs the built tavelin-host with --export on the fixture hotel and reads
// back what it wrote.

#include "host/SheetWriters.h"
#include "tests/host/ExportFixture.h"
#include "tests/host/ExportTestTools.h"
#include "tests/host/TestPrinters.h"
#include "tests/support/ProcessRun.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using tavelin::test::parseCsv;
using tavelin::test::ProcessRun;
using tavelin::test::runProgram;

namespace {

const QString HostProgram = QString::fromUtf8(TAVELIN_HOST_PROGRAM);
const QString SourceDir = QString::fromUtf8(TAVELIN_SOURCE_DIR);

// No display at all: the export must not need one.
const QMap<QString, QString> Headless = {
    {u"DISPLAY"_s, QString()}, {u"WAYLAND_DISPLAY"_s, QString()}, {u"QT_QPA_PLATFORM"_s, QString()}};

class ExportProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_hotel = m_dir.filePath(u"hotel.sqlite"_s);
        tavelin::test::writeSqliteFile(m_hotel);
    }

    ProcessRun exportGrid(const QStringList &arguments, const QMap<QString, QString> &environment = Headless)
    {
        return runProgram(HostProgram,
                   QStringList{u"--db"_s, u"sqlite:"_s + m_hotel, u"--business-date"_s, u"2026-06-15"_s}
                       + arguments,
                   environment);
    }

    QTemporaryDir m_dir;
    QString m_hotel;
};

} // namespace

TEST_F(ExportProcess, CsvOnStandardOutputParsesBackToTheGrid)
{
    const ProcessRun result = exportGrid({u"--export"_s, u"availability"_s});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    EXPECT_FALSE(result.out.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(result.out.contains('\r'));
    EXPECT_TRUE(result.out.endsWith("\n"));
    EXPECT_TRUE(result.out.contains("\n\"ST(标准间, \"\"豪华\"\")\",5,2,5,"));

    const QList<QStringList> rows = parseCsv(QString::fromUtf8(result.out));
    ASSERT_EQ(rows.size(), 7);
    for (const QStringList &row : rows)
        EXPECT_EQ(row.size(), 12);
    EXPECT_EQ(rows[0].mid(0, 3), (QStringList{u"客房等级"_s, u"总数"_s, u"15/06"_s}));
    EXPECT_EQ(rows[0][11], u"24/06"_s);
    EXPECT_EQ(rows[1].mid(0, 4), (QStringList{u"DK(大床房)"_s, u"10"_s, u"10"_s, u"-2"_s}));
    EXPECT_EQ(rows[2][0], u"ST(标准间, \"豪华\")"_s);
    EXPECT_EQ(rows[6].mid(0, 4), (QStringList{u"预计占房率%"_s, QString(), u"20.0"_s, u"80.0"_s}));
}

TEST_F(ExportProcess, JsonToAFileCarriesTheColours)
{
    const QString file = m_dir.filePath(u"occupancy.json"_s);
    const ProcessRun result = exportGrid({u"--export"_s, u"occupancy"_s, u"--format"_s, u"json"_s, u"-o"_s, file,
                                   u"--from"_s, u"2026-06-18"_s, u"--to"_s, u"2026-06-20"_s});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    QFile json(file);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(json.readAll(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(root.value(u"rows"_s).toInt(), 4);
    EXPECT_EQ(root.value(u"columns"_s).toInt(), 7);
    const QJsonArray cells = root.value(u"cells"_s).toArray();
    const auto cell = [&](int row, int column) { return cells[row].toArray()[column].toObject(); };
    EXPECT_EQ(cell(0, 0).value(u"text"_s).toString(), u"客源类型"_s);
    EXPECT_EQ(cell(0, 0).value(u"back"_s).toInteger(), 16777215);
    EXPECT_EQ(cell(0, 1).value(u"text"_s).toString(), u"18/06"_s);
    EXPECT_TRUE(cell(0, 1).value(u"fore"_s).isNull()); // Thursday
    for (int column = 3; column <= 6; ++column) {      // Friday and Saturday, both columns of each
        for (int row = 0; row <= 3; ++row)
            EXPECT_EQ(cell(row, column).value(u"fore"_s).toInteger(), 51200) << row << "," << column;
    }
    EXPECT_TRUE(cell(1, 1).value(u"back"_s).isNull());
}

TEST_F(ExportProcess, JsonMarksNegativeCellsRed)
{
    const ProcessRun result = exportGrid({u"--export"_s, u"availability"_s, u"--format"_s, u"json"_s, u"--to"_s,
                                   u"2026-06-16"_s});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonArray cells = QJsonDocument::fromJson(result.out).object().value(u"cells"_s).toArray();
    const QJsonObject negative = cells[1].toArray()[3].toObject();
    EXPECT_EQ(negative.value(u"text"_s).toString(), u"-2"_s);
    EXPECT_EQ(negative.value(u"fore"_s).toInteger(), 255);
    EXPECT_TRUE(cells[1].toArray()[2].toObject().value(u"fore"_s).isNull());
}

TEST_F(ExportProcess, TheTextTableAlignsChineseHeadings)
{
    const ProcessRun result = exportGrid({u"--export"_s, u"availability"_s, u"--format"_s, u"text"_s});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = QString::fromUtf8(result.out).split(u'\n');
    ASSERT_EQ(lines.size(), 8); // seven rows and the end of the last
    EXPECT_TRUE(lines[0].startsWith(u"客房等级"_s));
    // The rows whose last cell is set end in the same display column: the
    // heading, both grades, the subtotal, the rates.
    const int width = tavelin::host::displayWidth(lines[0]);
    for (int i : {1, 2, 3, 6})
        EXPECT_EQ(tavelin::host::displayWidth(lines[i]), width) << lines[i].toStdString();
    // The day columns start after the widest heading, "ST(标准间, "豪华")".
    const int headingWidth = tavelin::host::displayWidth(u"ST(标准间, \"豪华\")");
    EXPECT_EQ(tavelin::host::displayWidth(lines[1].left(lines[1].indexOf(u"10"_s))),
              headingWidth + 2 + 2); // two blanks apart, "总数" two columns wider than "10"
}

TEST_F(ExportProcess, XlsxIsAZipWithTheFrozenGridAndItsCriteria)
{
    if (!tavelin::test::haveUnzip())
        GTEST_SKIP() << "unzip is not installed";
    const QString file = m_dir.filePath(u"availability.xlsx"_s);
    const ProcessRun result = exportGrid({u"--export"_s, u"availability"_s, u"--format"_s, u"xlsx"_s, u"-o"_s, file,
                                   u"--section"_s, u"A"_s, u"--exclude-due-out"_s});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QFile zip(file);
    ASSERT_TRUE(zip.open(QIODevice::ReadOnly));
    EXPECT_EQ(zip.read(4), QByteArray("PK\x03\x04", 4));
    const QString sheet = tavelin::test::unzipped(file, u"xl/worksheets/sheet1.xml"_s);
    EXPECT_TRUE(sheet.contains(u"<pane xSplit=\"1\" ySplit=\"9\""_s)) << sheet.left(600).toStdString();
    EXPECT_TRUE(sheet.contains(u"state=\"frozen\""_s));
    EXPECT_TRUE(sheet.contains(u"<t>2026-06-15 至 2026-06-24</t>"_s));
    EXPECT_TRUE(sheet.contains(u"<t>A 主楼</t>"_s));
    EXPECT_TRUE(sheet.contains(u"<t>否</t>"_s));
    EXPECT_TRUE(tavelin::test::unzipped(file, u"xl/workbook.xml"_s).contains(u"name=\"可用状态\""_s));
}

TEST_F(ExportProcess, XlsxNeedsAFile)
{
    const ProcessRun result = exportGrid({u"--export"_s, u"availability"_s, u"--format"_s, u"xlsx"_s});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.startsWith(u"tavelin-host: "_s)) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(ExportProcess, RefusedCriteriaExitWithTwoAndTheWindowsMessage)
{
    const QList<std::pair<QStringList, QString>> cases = {
        {{u"--from"_s, u"2026-06-14"_s}, u"您输入的查询日期必须大于或等于系统日期！"_s},
        {{u"--grades"_s, u"'DK','ST"_s}, u"客房等级列表格式不正确，请重新选择！"_s},
        {{u"--section"_s, u"X"_s}, u"该区段代码不存在，请检查！"_s},
        {{u"--feature"_s, u"GONE"_s}, u"该特征代码不存在，请检查！"_s},
    };
    for (const auto &[arguments, message] : cases) {
        const ProcessRun result = exportGrid(QStringList{u"--export"_s, u"availability"_s} + arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(result.err, u"tavelin-host: "_s + message + u'\n') << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST_F(ExportProcess, BadOptionsExitWithTwo)
{
    for (const QStringList &arguments : QList<QStringList>{
             {u"--export"_s, u"rooms"_s},
             {u"--export"_s, u"availability"_s, u"--format"_s, u"ods"_s},
             {u"--export"_s, u"availability"_s, u"--to"_s, u"2026-06-31"_s},
             {u"--format"_s, u"csv"_s},
         }) {
        const ProcessRun result = exportGrid(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(u"tavelin-host: "_s)) << result.err.toStdString();
    }
}

TEST_F(ExportProcess, ADatabaseErrorExitsWithOneAndTheDriversText)
{
    const QString broken = m_dir.filePath(u"broken.sqlite"_s);
    QStringList statements = tavelin::test::exportFixtureStatements();
    statements.erase(std::remove_if(statements.begin(), statements.end(),
                                    [](const QString &s) { return s.contains(u"Tavelin_2"_s); }),
                     statements.end());
    tavelin::test::writeSqliteFile(broken, statements);
    const ProcessRun result = runProgram(HostProgram, {u"--db"_s, u"sqlite:"_s + broken, u"--business-date"_s, u"2026-06-15"_s,
                                         u"--export"_s, u"availability"_s},
                           Headless);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith(u"tavelin-host: "_s)) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(u"no such table: Tavelin_2"_s)) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

// A Chinese code in a filter goes into the statement text, which unixODBC
// converts for the SQLite driver in the locale's codeset.
TEST_F(ExportProcess, OdbcUnderTheCLocaleKeepsChineseCodes)
{
    const QString hotel = m_dir.filePath(u"chinese.sqlite"_s);
    QStringList statements = tavelin::test::exportFixtureStatements();
    statements << u"insert into RmSection values ('东', '东楼', 0)"_s
               << u"insert into rmtype values ('豪华', '豪华间')"_s
               << u"insert into Tavelin_1 values (NULL, 'OCC', '东', '豪华', '', 8, 8), "
                  u"('2026-06-15', 'OCC', '东', '豪华', '', 3, 3)"_s;
    tavelin::test::writeSqliteFile(hotel, statements);

    QMap<QString, QString> cLocale = Headless;
    cLocale.insert(u"LANG"_s, u"C"_s);
    cLocale.insert(u"LC_ALL"_s, u"C"_s);
    const ProcessRun result = runProgram(HostProgram,
                           {u"--db"_s, u"odbc:DRIVER="_s + tavelin::test::sqliteOdbcDriver() + u";Database="_s + hotel,
                            u"--business-date"_s, u"2026-06-15"_s, u"--to"_s, u"2026-06-15"_s, u"--export"_s,
                            u"availability"_s, u"--section"_s, u"东"_s, u"--grades"_s, u"豪华"_s},
                           cLocale);
    if (result.exitCode == 1 && result.err.contains(u"cannot open database"_s))
        GTEST_SKIP() << "no SQLite3 ODBC driver here: " << result.err.toStdString();
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(result.out), u"客房等级,总数,15/06\n"
                                             u"豪华(豪华间),8,5\n"
                                             u"小计,8,5\n"
                                             u"OOI,,\n"
                                             u"OOO,,\n"
                                             u"预计占房率%,,37.5\n"_s);
}

TEST_F(ExportProcess, MakeRunWithoutADisplayPrintsTheTextTable)
{
    const QString script = SourceDir + u"/scripts/run"_s;
    if (!QFileInfo(script).isExecutable())
        GTEST_SKIP() << "no scripts/run in " << SourceDir.toStdString();
    QMap<QString, QString> environment = Headless;
    environment.insert(u"BUILD"_s, QFileInfo(HostProgram).absoluteDir().absolutePath() + u"/.."_s);
    environment.insert(u"DEMO_DB"_s, m_hotel);
    const ProcessRun result = runProgram(script, {}, environment);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString out = QString::fromUtf8(result.out);
    EXPECT_TRUE(out.startsWith(u"No display"_s)) << out.toStdString();
    EXPECT_TRUE(out.contains(u"\n客房等级 "_s)) << out.toStdString();
    EXPECT_TRUE(out.contains(u"\nDK(大床房) "_s));
}
