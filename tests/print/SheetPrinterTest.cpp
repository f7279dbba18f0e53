#include "controls/SheetModel.h"
#include "controls/SheetPrinter.h"
#include "forecast/ForecastPrint.h"
#include "tests/print/PrintTestTools.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using tavelin::SheetModel;
using tavelin::SheetPrinter;
using Pages = std::vector<SheetPrinter::Page>;

namespace {

// "Dc" along row 0, "Rr" down column 0, "c:r" elsewhere.
void fill(SheetModel &sheet, int columns, int rows)
{
    const SheetModel::Batch batch(sheet);
    sheet.setMaxCols(columns);
    sheet.setMaxRows(rows);
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= columns; ++c) {
            sheet.setCol(c);
            sheet.setRow(r);
            sheet.setText(r == 0 && c == 0 ? u"Corner"_s
                          : r == 0         ? u"D%1"_s.arg(c)
                          : c == 0         ? u"R%1"_s.arg(r)
                                           : u"%1:%2"_s.arg(c).arg(r));
        }
    }
}

// The pdf export's page, on a buffer.
class PdfPage
{
public:
    PdfPage()
        : m_writer(&m_buffer)
    {
        m_buffer.open(QIODevice::WriteOnly);
        m_writer.setPageLayout(tavelin::sheetPdfLayout());
        m_writer.setResolution(tavelin::SheetPdfResolution);
    }
    QPdfWriter &writer() { return m_writer; }

private:
    QBuffer m_buffer;
    QPdfWriter m_writer;
};

Pages paginate(const SheetModel &sheet)
{
    PdfPage page;
    SheetPrinter printer(sheet);
    return printer.paginate(page.writer());
}

// Pages go down first, then across, and together hold every data cell once.
void expectTiling(const Pages &pages, const SheetModel &sheet)
{
    ASSERT_FALSE(pages.empty());
    int nextColumn = 1;
    int nextRow = 1;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const SheetPrinter::Page &page = pages[i];
        SCOPED_TRACE(i);
        if (nextRow > sheet.maxRows()) { // the row bands of a column band are done
            nextColumn = pages[i - 1].lastColumn + 1;
            nextRow = 1;
        }
        EXPECT_EQ(page.firstColumn, nextColumn);
        EXPECT_GE(page.lastColumn, page.firstColumn);
        EXPECT_EQ(page.firstRow, nextRow);
        EXPECT_GE(page.lastRow, page.firstRow);
        if (i > 0 && page.firstRow > 1) {
            EXPECT_EQ(page.firstColumn, pages[i - 1].firstColumn);
        }
        nextRow = page.lastRow + 1;
    }
    EXPECT_EQ(pages.back().lastColumn, sheet.maxCols());
    EXPECT_EQ(pages.back().lastRow, sheet.maxRows());
}

class ForecastSheetPrint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        tavelin::test::searchSmallHotel(grades, organisations, tavelin::test::longestSpanEnd());
        tavelin::applyForecastPrintSettings(grades, tavelin::test::PrintBusinessDate);
        tavelin::applyForecastPrintSettings(organisations, tavelin::test::PrintBusinessDate);
    }

    // Written by the pdf export's own function.
    QString writePdf(const SheetModel &sheet, const QString &name = u"grid.pdf"_s)
    {
        const QString file = m_dir.filePath(name);
        const QString problem = tavelin::writeSheetPdf(sheet, file);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        return file;
    }

    SheetModel grades;
    SheetModel organisations;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ForecastSheetPrint, TheLongestSpanRunsAcrossSeveralPagesOfWholeColumns)
{
    ASSERT_EQ(grades.maxCols(), 731); // the total and 730 days
    const Pages pages = paginate(grades);
    EXPECT_GT(pages.size(), 5u);
    expectTiling(pages, grades);
    for (const SheetPrinter::Page &page : pages)
        EXPECT_EQ(page.lastRow, grades.maxRows()) << "seven rows fit one page down";
}

TEST_F(ForecastSheetPrint, EveryPageCarriesTheHeaderTheHeadingsAndItsNumber)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    const QString pdf = writePdf(grades);
    const Pages pages = paginate(grades);
    const QStringList texts = tavelin::test::pdfPageTexts(pdf);
    ASSERT_EQ(tavelin::test::pdfPageCount(pdf), int(pages.size()));
    ASSERT_EQ(texts.size(), qsizetype(pages.size()));
    const QString count = QString::number(pages.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString &text = texts[i];
        SCOPED_TRACE(i);
        EXPECT_TRUE(tavelin::test::printed(text, u"可租房情况"_s));
        EXPECT_TRUE(tavelin::test::printed(text, u"打印日期: 2006-12-28"_s));
        EXPECT_TRUE(tavelin::test::printed(text, u"第 %1 页 / 共 %2 页"_s.arg(i + 1).arg(count))) << text.toStdString();
        for (int row = 0; row <= grades.maxRows(); ++row)
            EXPECT_TRUE(tavelin::test::printed(text, grades.cellText(0, row))) << grades.cellText(0, row).toStdString();
        const SheetPrinter::Page &page = pages[std::size_t(i)];
        EXPECT_TRUE(tavelin::test::printed(text, grades.cellText(page.firstColumn, 0)));
        EXPECT_TRUE(tavelin::test::printed(text, grades.cellText(page.lastColumn, 0)));
    }
    EXPECT_TRUE(tavelin::test::printed(texts[0], u"总数"_s));
    EXPECT_FALSE(tavelin::test::printed(texts[1], u"总数"_s)) << "the total is a data column, printed once";
}

TEST_F(ForecastSheetPrint, ThePdfIsTitledWithTheJobAndUsesTheCjkFaces)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    const QString pdf = writePdf(organisations);
    EXPECT_TRUE(tavelin::test::pdfInfo(pdf).contains(u"打印可租房情况"_s));
    // 黑体 and 宋体 are substituted, the cells use the sans face.
    const QString fonts = tavelin::test::pdfFonts(pdf);
    EXPECT_TRUE(fonts.contains(u"WenQuanYi"_s)) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(u"UMing"_s)) << fonts.toStdString();
    EXPECT_TRUE(tavelin::test::printed(tavelin::test::pdfPageTexts(pdf).value(0), u"散客"_s));
}

TEST_F(ForecastSheetPrint, ShrinkingPutsTheWholeSpanOnOnePageAcross)
{
    grades.setPrintOptionB(true);
    PdfPage page;
    SheetPrinter printer(grades);
    const Pages pages = printer.paginate(page.writer());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].lastColumn, grades.maxCols());
    EXPECT_LT(printer.scale(), 0.2);

    // A grid that fits already keeps its size.
    SheetModel narrow;
    fill(narrow, 3, 2);
    narrow.setPrintOptionB(true);
    SheetPrinter narrowPrinter(narrow);
    narrowPrinter.paginate(page.writer());
    EXPECT_EQ(narrowPrinter.scale(), 1.0);
}

TEST(SheetPrinterPages, ManyRowsGoDownFirstThenAcross)
{
    SheetModel sheet;
    fill(sheet, 40, 150);
    const Pages pages = paginate(sheet);
    expectTiling(pages, sheet);
    EXPECT_GT(pages[0].lastRow, 10);
    EXPECT_LT(pages[0].lastRow, sheet.maxRows());
    EXPECT_EQ(pages[1].firstColumn, 1) << "down first";
    EXPECT_LT(pages[0].lastColumn, sheet.maxCols());

    // Shrinking to the width leaves the rows on pages down, fewer of them.
    sheet.setPrintOptionB(true);
    const Pages shrunk = paginate(sheet);
    expectTiling(shrunk, sheet);
    EXPECT_GT(shrunk.size(), 1u);
    EXPECT_LT(shrunk.size(), pages.size());
    for (const SheetPrinter::Page &page : shrunk)
        EXPECT_EQ(page.lastColumn, sheet.maxCols());
}

TEST(SheetPrinterPages, DownPagesRepeatTheHeadingRow)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    SheetModel sheet;
    fill(sheet, 4, 150);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"rows.pdf"_s);
    ASSERT_TRUE(tavelin::writeSheetPdf(sheet, pdf).isEmpty());
    const Pages pages = paginate(sheet);
    const QStringList texts = tavelin::test::pdfPageTexts(pdf);
    ASSERT_EQ(texts.size(), qsizetype(pages.size()));
    ASSERT_GT(texts.size(), 2);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const SheetPrinter::Page &page = pages[std::size_t(i)];
        for (const QString &heading : {u"Corner"_s, u"D1"_s, u"D4"_s, u"R%1"_s.arg(page.firstRow),
                                       u"R%1"_s.arg(page.lastRow), u"第 %1 页 / 共 %2 页"_s.arg(i + 1).arg(texts.size())})
            EXPECT_TRUE(tavelin::test::printed(texts[i], heading)) << i << ": " << heading.toStdString();
    }
}

TEST(SheetPrinterPages, OddSheetsStillMakeWholePages)
{
    SheetModel empty;
    const Pages one = paginate(empty);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_LT(one[0].lastColumn, one[0].firstColumn);
    EXPECT_LT(one[0].lastRow, one[0].firstRow);

    // A column wider than the page takes a page of its own.
    SheetModel wide;
    fill(wide, 3, 2);
    wide.setColWidth(2, 1000);
    const Pages three = paginate(wide);
    expectTiling(three, wide);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[1].firstColumn, 2);
    EXPECT_EQ(three[1].lastColumn, 2);

    // Zero-width columns are no reason to stop.
    SheetModel hairline;
    fill(hairline, 50, 1);
    for (int column = 1; column <= 50; ++column)
        hairline.setColWidth(column, 0);
    EXPECT_EQ(paginate(hairline).size(), 1u);

    // A header of the largest fonts leaves room for a row at least.
    SheetModel tall;
    fill(tall, 2, 5);
    QString header = u"/fz\"100000\"/fs1"_s;
    for (int line = 0; line < 12; ++line)
        header += u"/n/f1Big"_s;
    tall.setPrintHeader(header);
    const Pages rows = paginate(tall);
    expectTiling(rows, tall);
    EXPECT_EQ(rows.size(), 5u);

    // An endless row heading leaves half the page for the days.
    SheetModel heading;
    fill(heading, 40, 1);
    heading.setCol(0);
    heading.setRow(1);
    heading.setText(QString(2000, u'长'));
    const Pages headed = paginate(heading);
    expectTiling(headed, heading);
    EXPECT_GT(headed[0].lastColumn, 3);
}

TEST(SheetPrinterPages, ProgressCountsThePagesAndCanStop)
{
    SheetModel sheet;
    fill(sheet, 60, 100);
    std::vector<std::pair<int, int>> calls;
    {
        PdfPage page;
        SheetPrinter printer(sheet);
        EXPECT_TRUE(printer.print(page.writer(), [&](int done, int count) {
            calls.emplace_back(done, count);
            return true;
        }));
        const int count = int(printer.paginate(page.writer()).size());
        ASSERT_GT(count, 3);
        ASSERT_EQ(calls.size(), std::size_t(count) + 1);
        for (int i = 0; i <= count; ++i)
            EXPECT_EQ(calls[std::size_t(i)], std::pair(i, count));
    }

    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    QTemporaryDir dir;
    const QString file = dir.filePath(u"stopped.pdf"_s);
    {
        QPdfWriter writer(file);
        writer.setPageLayout(tavelin::sheetPdfLayout());
        SheetPrinter printer(sheet);
        EXPECT_FALSE(printer.print(writer, [](int done, int) { return done < 2; }));
    }
    EXPECT_EQ(tavelin::test::pdfPageCount(file), 2);
}

namespace {

// The longest run, along any pixel row, of mid-grey pixels: a grid line, not
// text edges or the light heading shade.
int longestGreyRun(const QImage &image)
{
    int longest = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool grey = c.red() > 80 && c.red() < 200 && qAbs(c.red() - c.green()) < 12
                              && qAbs(c.red() - c.blue()) < 12;
            run = grey ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

int pixelsNear(const QImage &image, QColor wanted)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - wanted.red()) < 40 && qAbs(c.green() - wanted.green()) < 40
                && qAbs(c.blue() - wanted.blue()) < 40)
                ++count;
        }
    }
    return count;
}

} // namespace

TEST(SheetPrinterPages, GridLinesFollowOptionAAndCellsKeepTheirColours)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    QTemporaryDir dir;
    const auto render = [&](bool lines, bool colours) {
        SheetModel sheet;
        fill(sheet, 12, 10);
        sheet.setPrintOptionA(lines);
        if (colours) {
            sheet.setCol(2);
            sheet.setRow(3);
            sheet.setForeColor(SheetModel::Red);
            sheet.setText(u"-888888"_s);
            sheet.setCol(4);
            sheet.setBackColor(SheetModel::Green);
        }
        const QString pdf = dir.filePath(u"cells.pdf"_s);
        EXPECT_TRUE(tavelin::writeSheetPdf(sheet, pdf).isEmpty());
        return tavelin::test::pdfPageImage(pdf, 1, 100);
    };
    const QImage withLines = render(true, false);
    const QImage without = render(false, true);
    ASSERT_FALSE(withLines.isNull());
    ASSERT_FALSE(without.isNull());
    EXPECT_GT(longestGreyRun(withLines), 400); // across the grid's dozen columns
    EXPECT_LT(longestGreyRun(without), 40);

    EXPECT_EQ(pixelsNear(withLines, QColor(255, 0, 0)), 0);
    EXPECT_GT(pixelsNear(without, QColor(255, 0, 0)), 20);
    EXPECT_EQ(pixelsNear(withLines, QColor(0, 200, 0)), 0);
    EXPECT_GT(pixelsNear(without, QColor(0, 200, 0)), 200); // a whole cell
}
