// The export writers on sheets made by hand: what each format makes of texts,
// colours and the heading cells.

#include "controls/SheetModel.h"
#include "host/SheetWriters.h"
#include "host/XlsxWriter.h"
#include "tests/host/ExportTestTools.h"
#include "tests/host/TestPrinters.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::host;
using tavelin::test::parseCsv;

namespace {

// rows: the texts by row, column 0 first; the sheet is as large as the longest row.
void fill(SheetModel &sheet, const QList<QStringList> &rows)
{
    const SheetModel::Batch batch(sheet);
    qsizetype columns = 0;
    for (const QStringList &row : rows)
        columns = std::max(columns, row.size());
    sheet.setMaxRows(int(rows.size()) - 1);
    sheet.setMaxCols(int(columns) - 1);
    for (int r = 0; r < rows.size(); ++r) {
        sheet.setRow(r);
        for (int c = 0; c < rows[r].size(); ++c) {
            sheet.setCol(c);
            sheet.setText(rows[r][c]);
        }
    }
}

QByteArray written(bool (*writer)(const SheetModel &, QIODevice &), const SheetModel &sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer(sheet, buffer));
    return buffer.data();
}

} // namespace

TEST(CsvWriter, QuotesOnlyWhatRfc4180AsksAndEndsEveryRowWithLf)
{
    SheetModel sheet;
    fill(sheet, {{u"客房等级"_s, u"总数"_s, u"15/06"_s},
                 {u"ST(标准间, \"豪华\")"_s, u"5"_s, u""_s},
                 {u"a\nb"_s, u"c\rd"_s, u"plain \"quoted\" no comma"_s},
                 {u""_s, u" lead and trail "_s, u"x"_s}});
    const QByteArray csv = written(writeCsv, sheet);
    EXPECT_EQ(csv, "客房等级,总数,15/06\n"
                   "\"ST(标准间, \"\"豪华\"\")\",5,\n"
                   "\"a\nb\",\"c\rd\",\"plain \"\"quoted\"\" no comma\"\n"
                   ", lead and trail ,x\n");
    EXPECT_FALSE(csv.startsWith("\xEF\xBB\xBF"));

    const QList<QStringList> parsed = parseCsv(QString::fromUtf8(csv));
    ASSERT_EQ(parsed.size(), 4);
    EXPECT_EQ(parsed[1][0], u"ST(标准间, \"豪华\")"_s);
    EXPECT_EQ(parsed[2][0], u"a\nb"_s);
    EXPECT_EQ(parsed[2][1], u"c\rd"_s);
}

TEST(CsvWriter, AnEmptySheetIsItsCornerCell)
{
    SheetModel sheet;
    EXPECT_EQ(written(writeCsv, sheet), "\n");
    sheet.setText(u"客源类型"_s);
    EXPECT_EQ(written(writeCsv, sheet), "客源类型\n");
}

TEST(JsonWriter, CountsHeadingsAndGivesColoursAsSetOrNull)
{
    SheetModel sheet;
    fill(sheet, {{u"客房等级"_s, u"19/06"_s}, {u"DK(大床房)"_s, u"-2"_s}, {u"小计"_s, u""_s}});
    sheet.setCol(0);
    sheet.setRow(0);
    sheet.setBackColor(SheetModel::White);
    sheet.setCol(1);
    sheet.setRow(-1);
    sheet.setForeColor(SheetModel::Green);
    sheet.setRow(1);
    sheet.setForeColor(SheetModel::Red);
    sheet.setBackColor(0); // black is a colour, not "none"

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(written(writeJson, sheet), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject root = document.object();
    EXPECT_EQ(root.value(u"rows"_s).toInt(), 3);
    EXPECT_EQ(root.value(u"columns"_s).toInt(), 2);
    const QJsonArray cells = root.value(u"cells"_s).toArray();
    ASSERT_EQ(cells.size(), 3);
    const auto cell = [&](int row, int column) { return cells[row].toArray()[column].toObject(); };
    for (const QJsonValue &row : cells)
        EXPECT_EQ(row.toArray().size(), 2);

    EXPECT_EQ(cell(0, 0).value(u"text"_s).toString(), u"客房等级"_s);
    EXPECT_EQ(cell(0, 0).value(u"back"_s).toInteger(), 16777215);
    EXPECT_TRUE(cell(0, 0).value(u"fore"_s).isNull());
    EXPECT_EQ(cell(0, 1).value(u"fore"_s).toInteger(), 51200);
    EXPECT_EQ(cell(2, 1).value(u"fore"_s).toInteger(), 51200);
    EXPECT_EQ(cell(1, 1).value(u"text"_s).toString(), u"-2"_s);
    EXPECT_EQ(cell(1, 1).value(u"fore"_s).toInteger(), 255);
    ASSERT_TRUE(cell(1, 1).value(u"back"_s).isDouble());
    EXPECT_EQ(cell(1, 1).value(u"back"_s).toInteger(), 0);
    EXPECT_TRUE(cell(1, 0).value(u"fore"_s).isNull());
    EXPECT_TRUE(cell(1, 0).value(u"back"_s).isNull());
    EXPECT_EQ(cell(2, 1).value(u"text"_s).toString(), QString());
}

TEST(TextTable, WideCharactersCountTwoColumns)
{
    EXPECT_EQ(displayWidth(u"abc"), 3);
    EXPECT_EQ(displayWidth(u"客房等级"), 8);
    EXPECT_EQ(displayWidth(u"DK(大床房)"), 10);
    EXPECT_EQ(displayWidth(u"ＡＢ１"), 6);      // full-width forms
    EXPECT_EQ(displayWidth(u"ｱｲ"), 2);         // half-width katakana stay narrow
    EXPECT_EQ(displayWidth(u"e\u0301"), 1);    // a combining accent takes no column
    EXPECT_EQ(displayWidth(u"한글"), 4);
    EXPECT_EQ(displayWidth(u"\U00020000"), 2); // beyond the basic plane: one character, two columns
    EXPECT_EQ(displayWidth(u""), 0);
}

TEST(TextTable, AlignsByDisplayColumnsAndRightAlignsNumbers)
{
    SheetModel sheet;
    fill(sheet, {{u"客房等级"_s, u"总数"_s, u"15/06"_s},
                 {u"DK(大床房)"_s, u"10"_s, u"-2"_s},
                 {u"ST"_s, u"5"_s, u"12.5%"_s},
                 {u"OOI"_s, u""_s, u""_s},
                 {u"12"_s, u"x"_s, u"1"_s}});
    const QString text = QString::fromUtf8(written(writeTextTable, sheet));
    EXPECT_EQ(text, u"客房等级    总数  15/06\n"
                    u"DK(大床房)    10     -2\n"
                    u"ST             5  12.5%\n"
                    u"OOI\n"
                    u"12          x         1\n"_s);
}

TEST(Xlsx, ColoursBecomeRgb)
{
    EXPECT_EQ(xlsxRgb(SheetModel::Red), 0xFF0000u);
    EXPECT_EQ(xlsxRgb(SheetModel::Green), 0x00C800u);
    EXPECT_EQ(xlsxRgb(SheetModel::White), 0xFFFFFFu);
    EXPECT_EQ(xlsxRgb(0x00123456u), 0x563412u);
}

class XlsxFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!tavelin::test::haveUnzip())
            GTEST_SKIP() << "unzip is not installed";
        ASSERT_TRUE(m_dir.isValid());
        fill(m_sheet, {{u"客房等级"_s, u"总数"_s, u"19/06"_s},
                       {u"007(代码)"_s, u"10"_s, u"-2"_s},
                       {u"小计"_s, u"007"_s, u"12.5%"_s}});
        m_sheet.setCol(0);
        m_sheet.setRow(0);
        m_sheet.setBackColor(SheetModel::White);
        m_sheet.setCol(2);
        m_sheet.setRow(-1);
        m_sheet.setForeColor(SheetModel::Green);
        m_sheet.setRow(1);
        m_sheet.setForeColor(SheetModel::Red);
        m_sheet.setColWidth(2, 6.4);
        m_page.sheetName = u"可用状态"_s;
        m_page.title = u"可租房情况 · 可用状态"_s;
        m_page.criteria = {{u"日期"_s, u"2026-06-19 至 2026-06-19"_s}, {u"含应离"_s, u"否"_s}};
    }

    QTemporaryDir m_dir;
    SheetModel m_sheet;
    XlsxPage m_page;
};

TEST_F(XlsxFile, FreezesTheHeadingsBelowTheCriteria)
{
    const QString file = m_dir.filePath(u"grid.xlsx"_s);
    ASSERT_EQ(writeXlsx(m_sheet, m_page, file), QString());
    const QString sheetXml = tavelin::test::unzipped(file, u"xl/worksheets/sheet1.xml"_s);
    // Title, two criteria, a blank row: the grid's heading row is row 5.
    EXPECT_TRUE(sheetXml.contains(u"<pane xSplit=\"1\" ySplit=\"5\" topLeftCell=\"B6\""_s)) << sheetXml.left(800).toStdString();
    EXPECT_TRUE(sheetXml.contains(u"state=\"frozen\""_s));
    EXPECT_TRUE(sheetXml.contains(u"<t>2026-06-19 至 2026-06-19</t>"_s));
    EXPECT_TRUE(sheetXml.contains(u"<t>含应离</t>"_s));
    EXPECT_TRUE(sheetXml.contains(u"<t>可租房情况 · 可用状态</t>"_s));
    EXPECT_TRUE(sheetXml.contains(u"<c r=\"A5\""_s)); // the corner cell on the heading row
    EXPECT_TRUE(sheetXml.contains(u"<t>客房等级</t>"_s));
}

TEST_F(XlsxFile, WritesPlainIntegersAsNumbersAndKeepsCodesAsText)
{
    const QString file = m_dir.filePath(u"grid.xlsx"_s);
    ASSERT_EQ(writeXlsx(m_sheet, m_page, file), QString());
    const QString sheetXml = tavelin::test::unzipped(file, u"xl/worksheets/sheet1.xml"_s);
    EXPECT_TRUE(sheetXml.contains(u"<c r=\"B6\"><v>10</v></c>"_s)) << sheetXml.toStdString();
    EXPECT_TRUE(sheetXml.contains(QRegularExpression(u"<c r=\"C6\" s=\"\\d+\"><v>-2</v></c>"_s)));
    EXPECT_TRUE(sheetXml.contains(u"<c r=\"B7\" t=\"inlineStr\"><is><t>007</t></is></c>"_s));
    EXPECT_TRUE(sheetXml.contains(u"<t>12.5%</t>"_s));
    EXPECT_TRUE(sheetXml.contains(u"width=\"7.1"_s)); // 6.4 characters, as Excel pads them
}

TEST_F(XlsxFile, GivesEachColourPairOneFormat)
{
    const QString file = m_dir.filePath(u"grid.xlsx"_s);
    ASSERT_EQ(writeXlsx(m_sheet, m_page, file), QString());
    const QString styles = tavelin::test::unzipped(file, u"xl/styles.xml"_s);
    EXPECT_TRUE(styles.contains(u"<color rgb=\"FFFF0000\"/>"_s)) << styles.toStdString();
    EXPECT_TRUE(styles.contains(u"<color rgb=\"FF00C800\"/>"_s));
    EXPECT_TRUE(styles.contains(u"<fgColor rgb=\"FFFFFFFF\"/>"_s));
    // Default and bold, then white fill, green font, red font: three made for
    // four coloured cells of the green column and the red one.
    EXPECT_TRUE(styles.contains(u"<cellXfs count=\"5\">"_s)) << styles.toStdString();
}

TEST_F(XlsxFile, AFileThatCannotBeWrittenIsReportedAndLeftAbsent)
{
    const QString file = m_dir.filePath(u"no-such-folder/grid.xlsx"_s);
    const QString problem = writeXlsx(m_sheet, m_page, file);
    EXPECT_TRUE(problem.startsWith(u"cannot write "_s + file)) << problem.toStdString();
    EXPECT_FALSE(QFileInfo::exists(file));
}
