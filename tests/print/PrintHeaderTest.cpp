#include "controls/PrintHeader.h"
#include "forecast/ForecastPrint.h"

#include <gtest/gtest.h>

#include <QDate>

using namespace Qt::StringLiterals;
using tavelin::parsePrintHeader;
using tavelin::PrintAlignment;
using tavelin::PrintFont;
using tavelin::PrintHeader;
using tavelin::PrintRun;
using Runs = std::vector<PrintRun>;

namespace {

QString lineText(const tavelin::PrintLine &line)
{
    QString text;
    for (const PrintRun &run : line.runs)
        text += run.text;
    return text;
}

} // namespace

TEST(PrintHeaderMarkup, LinesAlignAndChooseFontsEachOnTheirOwn)
{
    const PrintHeader header = parsePrintHeader(u"/fb1/fs3/n/rA/f3B/nC/n/n/cD"_s);
    ASSERT_EQ(header.lines.size(), 4u);
    EXPECT_EQ(header.lines[0].alignment, PrintAlignment::Right);
    EXPECT_EQ(header.lines[0].runs, (Runs{{0, u"A"_s}, {3, u"B"_s}}));
    // A new line starts left-aligned in font 0.
    EXPECT_EQ(header.lines[1].alignment, PrintAlignment::Left);
    EXPECT_EQ(header.lines[1].runs, (Runs{{0, u"C"_s}}));
    EXPECT_TRUE(header.lines[2].runs.empty());
    EXPECT_EQ(header.lines[3].alignment, PrintAlignment::Centre);
    EXPECT_TRUE(header.font(3).bold);
}

TEST(PrintHeaderMarkup, TextBeforeTheFirstLineCodeOpensALine)
{
    const PrintHeader header = parsePrintHeader(u"A/nB"_s);
    ASSERT_EQ(header.lines.size(), 2u);
    EXPECT_EQ(lineText(header.lines[0]), u"A"_s);
    EXPECT_EQ(lineText(header.lines[1]), u"B"_s);
    EXPECT_TRUE(parsePrintHeader(QString()).lines.empty());
    EXPECT_TRUE(parsePrintHeader(u"/fn\"x\"/fs1"_s).lines.empty());
}

TEST(PrintHeaderMarkup, AFontDescriptionCarriesOnToTheNextStore)
{
    const PrintHeader header = parsePrintHeader(u"/fn\"甲\"/fz\"20\"/fu1/fi1/fk1/fs1/fu0/fs2/fn\"乙\"/fs1"_s);
    const PrintFont first = header.font(1);
    EXPECT_EQ(first.face, u"乙"_s); // stored again under the same number
    EXPECT_TRUE(first.italic && first.strikeOut);
    EXPECT_FALSE(first.underline);
    const PrintFont second = header.font(2);
    EXPECT_EQ(second.face, u"甲"_s);
    EXPECT_EQ(second.pointSize, 20.0);
    EXPECT_FALSE(second.underline);
    EXPECT_TRUE(second.italic);
}

TEST(PrintHeaderMarkup, SizesAreClampedAndBadSizesIgnored)
{
    const auto sizeOf = [](const QString &argument) {
        return parsePrintHeader(u"/fz\""_s + argument + u"\"/fs1"_s).font(1).pointSize;
    };
    EXPECT_EQ(sizeOf(u"9.5"_s), 9.5);
    EXPECT_EQ(sizeOf(u"100000"_s), PrintFont::MaxSize);
    EXPECT_EQ(sizeOf(u"1e308"_s), PrintFont::MaxSize);
    EXPECT_EQ(sizeOf(u"0"_s), PrintFont::MinSize);
    EXPECT_EQ(sizeOf(u"-3"_s), PrintFont::MinSize);
    EXPECT_EQ(sizeOf(u"big"_s), PrintFont::DefaultSize);
    EXPECT_EQ(sizeOf(u"nan"_s), PrintFont::DefaultSize);
    EXPECT_EQ(sizeOf(QString()), PrintFont::DefaultSize);
}

TEST(PrintHeaderMarkup, MalformedCodesNeverLoseTheRestOfTheText)
{
    // Unknown codes stay text, so slashes in a title survive.
    EXPECT_EQ(lineText(parsePrintHeader(u"1/2 /x /fq /"_s).lines.at(0)), u"1/2 /x /fq /"_s);
    EXPECT_EQ(lineText(parsePrintHeader(u"A/f"_s).lines.at(0)), u"A/f"_s);

    // Known codes with a bad argument are dropped; what follows is read on.
    const PrintHeader dropped = parsePrintHeader(u"/fn/fz/fb/fs/fu/fs1/nT"_s);
    ASSERT_EQ(dropped.lines.size(), 1u);
    EXPECT_EQ(lineText(dropped.lines[0]), u"T"_s);
    EXPECT_EQ(dropped.font(1), PrintFont()) << "nothing changed the description";
    ASSERT_EQ(dropped.fonts.size(), 1u);
    EXPECT_EQ(parsePrintHeader(u"/fnX/fu2"_s).lines.at(0).runs, (Runs{{0, u"X2"_s}}));

    // An unclosed quote takes the rest of the text.
    const PrintHeader open = parsePrintHeader(u"/fn\"宋体/n/fs1"_s);
    EXPECT_TRUE(open.fonts.empty());
    EXPECT_TRUE(open.lines.empty());
}

TEST(PrintHeaderMarkup, FontsNeverStoredAndHugeNumbersFallBackToTheDefault)
{
    const PrintHeader header = parsePrintHeader(u"/fb1/fs99999999999999/n/f7A/f99999999999999B"_s);
    EXPECT_EQ(header.font(7), PrintFont());
    ASSERT_EQ(header.fonts.size(), 1u);
    const int stored = header.fonts.begin()->first;
    EXPECT_GT(stored, 0);
    ASSERT_EQ(header.lines.size(), 1u);
    ASSERT_EQ(header.lines[0].runs.size(), 2u);
    EXPECT_EQ(header.lines[0].runs[1].font, stored); // the same clamp on both sides
    EXPECT_TRUE(header.font(stored).bold);
}

// Cut anywhere, the forecast's header still parses, and never into more than its two lines.
TEST(PrintHeaderMarkup, EveryTruncationOfTheForecastHeaderParses)
{
    const QString full = tavelin::forecastPrintHeader(QDate(2006, 12, 28));
    for (qsizetype size = 0; size <= full.size(); ++size) {
        const PrintHeader header = parsePrintHeader(full.first(size));
        EXPECT_LE(header.lines.size(), 2u) << size;
        EXPECT_LE(header.fonts.size(), 2u) << size;
        for (const auto &[number, font] : header.fonts) {
            EXPECT_GE(font.pointSize, PrintFont::MinSize);
            EXPECT_LE(font.pointSize, PrintFont::MaxSize);
        }
    }
}
