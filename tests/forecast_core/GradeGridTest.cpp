#include "ForecastFixture.h"

#include "forecast/CodeList.h"
#include "forecast/ForecastSql.h"
#include "forecast/GradeGrid.h"

using namespace Qt::StringLiterals;

namespace tavelin::test {
namespace {

// 1 May 2006 is a Monday.
const QDate may1(2006, 5, 1);
const QDate may3(2006, 5, 3);

using GradeGrid = ForecastFixture;

std::optional<Colour> fore(const SheetModel &sheet, int column, int row)
{
    return sheet.cellForeColor(column, row);
}

TEST_F(GradeGrid, OneDaySpanHasTheTotalAndOneDayColumn)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGradeRow({}, u"OCC"_s, u"DK"_s, u"10"_s);
    search(criteria(may1, may1));

    EXPECT_EQ(gradeSheet.maxCols(), 2);
    EXPECT_EQ(gradeSheet.maxRows(), 5);
    EXPECT_EQ(grade(1, 0), u"总数"_s);
    EXPECT_EQ(grade(2, 0), u"01/05"_s);
    EXPECT_EQ(grade(0, 1), u"DK(大床房)"_s);
    EXPECT_EQ(grade(1, 1), u"10"_s);
    EXPECT_EQ(grade(2, 1), u"10"_s);
    EXPECT_EQ(gradeSheet.colWidth(2), 6.4);
    EXPECT_EQ(grade(0, 0), QString());
}

TEST_F(GradeGrid, ThreeGradesInCodeOrderWithTheirSummaryRows)
{
    addGrade(u"SU"_s, u"套房"_s);
    addGrade(u"DK"_s, u"大床房"_s);
    addGrade(u"ST"_s, u"标准间"_s);
    addGradeRow({}, u"OCC"_s, u"DK"_s, u"20"_s);
    addGradeRow({}, u"OCC"_s, u"ST"_s, u"10"_s);
    addGradeRow({}, u"OCC"_s, u"SU"_s, u"5"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"23"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"ST"_s, u"2"_s);
    addGradeRow(u"2006-05-02"_s, u"OCC"_s, u"DK"_s, u"25"_s);
    addGradeRow(u"2006-05-02"_s, u"OCC"_s, u"ST"_s, u"10"_s);
    addGradeRow(u"2006-05-02"_s, u"OCC"_s, u"SU"_s, u"5"_s);
    search(criteria(may1, may3));

    ASSERT_EQ(gradeSheet.maxRows(), 7);
    ASSERT_EQ(gradeSheet.maxCols(), 4);
    const QStringList headings{u"DK(大床房)"_s, u"ST(标准间)"_s, u"SU(套房)"_s, u"小计"_s,
                               u"OOI"_s,        u"OOO"_s,        u"预计占房率%"_s};
    for (int r = 1; r <= 7; ++r)
        EXPECT_EQ(grade(0, r), headings[r - 1]) << r;
    EXPECT_EQ((QStringList{grade(1, 1), grade(1, 2), grade(1, 3), grade(1, 4)}),
              (QStringList{u"20"_s, u"10"_s, u"5"_s, u"35"_s}));
    EXPECT_EQ(grade(1, 5), QString());
    EXPECT_EQ(grade(1, 7), QString());

    // 1 May: 20 - 23 is shown red; the subtotal 10 is not.
    EXPECT_EQ(grade(2, 1), u"-3"_s);
    EXPECT_EQ(fore(gradeSheet, 2, 1), SheetModel::Red);
    EXPECT_EQ(grade(2, 2), u"8"_s);
    EXPECT_EQ(fore(gradeSheet, 2, 2), std::nullopt);
    EXPECT_EQ(grade(2, 3), u"5"_s);
    EXPECT_EQ(grade(2, 4), u"10"_s);
    EXPECT_EQ(fore(gradeSheet, 2, 4), std::nullopt);
    EXPECT_EQ(grade(2, 7), u"71.4"_s);

    // 2 May: a negative subtotal is red too; a zero is not.
    EXPECT_EQ(grade(3, 1), u"-5"_s);
    EXPECT_EQ(grade(3, 2), u"0"_s);
    EXPECT_EQ(fore(gradeSheet, 3, 2), std::nullopt);
    EXPECT_EQ(grade(3, 4), u"-5"_s);
    EXPECT_EQ(fore(gradeSheet, 3, 4), SheetModel::Red);
    EXPECT_EQ(grade(3, 7), u"114.3"_s);

    // 3 May: no occupied rooms, every grade shows its total.
    EXPECT_EQ((QStringList{grade(4, 1), grade(4, 2), grade(4, 3), grade(4, 4), grade(4, 7)}),
              (QStringList{u"20"_s, u"10"_s, u"5"_s, u"35"_s, u"0.0"_s}));
    EXPECT_EQ(grade(4, 5), QString());
    EXPECT_EQ(grade(4, 6), QString());
}

TEST_F(GradeGrid, OutOfInventoryAndOutOfOrderAreSummedPerDay)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGrade(u"ST"_s, u"标准间"_s);
    addGradeRow(u"2006-05-01"_s, u"OOI"_s, u"DK"_s, u"2"_s);
    addGradeRow(u"2006-05-01"_s, u"OOI"_s, u"ST"_s, u"3"_s);
    addGradeRow(u"2006-05-01"_s, u"OOI"_s, u"XX"_s, u"1"_s); // unlisted grade still counts
    addGradeRow(u"2006-05-01"_s, u"OOO"_s, u"DK"_s, u"1"_s);
    addGradeRow(u"2006-05-01"_s, u"HUS"_s, u"ST"_s, u"4"_s);
    addGradeRow(u"2006-05-02"_s, u"OOO"_s, u"DK"_s, u"0"_s);
    search(criteria(may1, may3));

    EXPECT_EQ(grade(2, 4), u"6"_s);
    EXPECT_EQ(grade(2, 5), u"5"_s);
    EXPECT_EQ(grade(3, 4), QString());
    EXPECT_EQ(grade(3, 5), u"0"_s); // a row arrived, so its sum shows even when 0
    EXPECT_EQ(grade(4, 4), QString());
    EXPECT_EQ(grade(4, 5), QString());
    // Neither enters the availability of the grades.
    EXPECT_EQ(grade(2, 1), u"0"_s);
    EXPECT_EQ(grade(2, 3), u"0"_s);
}

TEST_F(GradeGrid, RateIsTheOccupiedShareRoundedToSinglePrecision)
{
    struct Case
    {
        const char16_t *total;
        const char16_t *occupied;
        QString rate;
    };
    const Case cases[] = {
        {u"100", u"37", u"37.0"_s},
        {u"3", u"1", u"33.3"_s},
        // 0.15 is 0.1499... as a double, but 0.1500001 as a float.
        {u"2000", u"3", u"0.2"_s},
    };
    for (const Case &c : cases) {
        exec(u"delete from rmtype"_s);
        exec(u"delete from Tavelin_1"_s);
        addGrade(u"DK"_s, u"大床房"_s);
        addGradeRow({}, u"OCC"_s, u"DK"_s, QString::fromUtf16(c.total));
        addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, QString::fromUtf16(c.occupied));
        search(criteria(may1, may1));
        EXPECT_EQ(grade(2, 5), c.rate) << grade(1, 1).toStdString();
    }
}

TEST_F(GradeGrid, NoRoomsCountedLeavesTheRateEmpty)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"2"_s);
    search(criteria(may1, may3));

    EXPECT_EQ(grade(1, 1), QString());
    EXPECT_EQ(grade(1, 2), u"0"_s);
    EXPECT_EQ(grade(2, 1), u"-2"_s);
    EXPECT_EQ(fore(gradeSheet, 2, 1), SheetModel::Red);
    EXPECT_EQ(grade(2, 2), u"-2"_s);
    for (int column = 2; column <= 4; ++column)
        EXPECT_EQ(grade(column, 5), QString()) << column;
}

TEST_F(GradeGrid, NoGradesAtAllGivesTheSummaryRowsOnly)
{
    addGradeRow(u"2006-05-01"_s, u"OOI"_s, u"DK"_s, u"2"_s);
    search(criteria(may1, may1));

    ASSERT_EQ(gradeSheet.maxRows(), 4);
    EXPECT_EQ(grade(0, 1), u"小计"_s);
    EXPECT_EQ(grade(1, 1), u"0"_s);
    EXPECT_EQ(grade(2, 1), u"0"_s);
    EXPECT_EQ(grade(2, 2), u"2"_s);
    EXPECT_EQ(grade(2, 4), QString());
}

TEST_F(GradeGrid, FridayAndSaturdayColumnsAreGreenRedStillWins)
{
    // 4 May 2006 is a Thursday.
    addGrade(u"DK"_s, u"大床房"_s);
    addGradeRow({}, u"OCC"_s, u"DK"_s, u"5"_s);
    addGradeRow(u"2006-05-05"_s, u"OCC"_s, u"DK"_s, u"6"_s);
    search(criteria(QDate(2006, 5, 4), QDate(2006, 5, 7)));

    for (int row = 0; row <= 5; ++row) {
        EXPECT_EQ(fore(gradeSheet, 2, row), std::nullopt) << row;
        EXPECT_EQ(fore(gradeSheet, 4, row), SheetModel::Green) << row;
        EXPECT_EQ(fore(gradeSheet, 5, row), std::nullopt) << row;
        EXPECT_EQ(fore(gradeSheet, 1, row), std::nullopt) << row;
    }
    EXPECT_EQ(fore(gradeSheet, 3, 0), SheetModel::Green);
    EXPECT_EQ(fore(gradeSheet, 3, 1), SheetModel::Red);
    EXPECT_EQ(fore(gradeSheet, 3, 2), SheetModel::Red);
    EXPECT_EQ(fore(gradeSheet, 3, 3), SheetModel::Green);
    EXPECT_EQ(fore(gradeSheet, 3, 5), SheetModel::Green);
}

TEST_F(GradeGrid, EveryDayColumnIs6Point4WideAndTheOthersKeepTheirWidth)
{
    addGrade(u"DK"_s, u"大床房"_s);
    search(criteria(may1, QDate(2006, 5, 31)));

    ASSERT_EQ(gradeSheet.maxCols(), 32);
    EXPECT_LT(gradeSheet.colWidth(0), 0);
    EXPECT_LT(gradeSheet.colWidth(1), 0);
    for (int column = 2; column <= 32; ++column)
        EXPECT_EQ(gradeSheet.colWidth(column), 6.4) << column;
    EXPECT_EQ(grade(32, 0), u"31/05"_s);
}

TEST_F(GradeGrid, TotalsAreShownAsDeliveredAndCountedByTheirLeadingNumber)
{
    addGrade(u"DK"_s, u"大床房"_s);
    exec(u"insert into Tavelin_1 (date, type, type2, type3, rooms, rooms_ED) "
         "values (null, 'OCC', 'A1', 'DK', 20.5, 20.5)"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"4"_s);
    search(criteria(may1, may1));

    EXPECT_EQ(grade(1, 1), u"20.5"_s);
    EXPECT_EQ(grade(1, 2), u"20"_s);
    EXPECT_EQ(grade(2, 1), u"16"_s);
    EXPECT_EQ(grade(2, 5), u"20.0"_s);
}

TEST_F(GradeGrid, GradeCodesAreTrimmedAndUnlistedGradesIgnored)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGradeRow({}, u"OCC"_s, u" DK  "_s, u"9"_s);
    addGradeRow({}, u"OCC"_s, u"ZZ"_s, u"100"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK "_s, u"4"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"dk"_s, u"1"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"ZZ"_s, u"7"_s);
    search(criteria(may1, may1));

    ASSERT_EQ(gradeSheet.maxRows(), 5);
    EXPECT_EQ(grade(1, 1), u"9"_s);
    EXPECT_EQ(grade(1, 2), u"9"_s);
    EXPECT_EQ(grade(2, 1), u"5"_s);
}

TEST_F(GradeGrid, TheCheckBoxChoosesTheColumnSummed)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGradeRow({}, u"OCC"_s, u"DK"_s, u"10"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"6"_s, u"A1"_s, {}, 4);
    SearchCriteria c = criteria(may1, may1);
    search(c);
    EXPECT_EQ(grade(2, 1), u"4"_s);
    c.includeDueOut = false;
    search(c);
    EXPECT_EQ(grade(2, 1), u"6"_s);
}

TEST_F(GradeGrid, SectionFeatureAndGradeFiltersNarrowTheRows)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGrade(u"ST"_s, u"标准间"_s);
    addGradeRow({}, u"OCC"_s, u"DK"_s, u"10"_s, u"A1"_s);
    addGradeRow({}, u"OCC"_s, u"ST"_s, u"10"_s, u"A1"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"1"_s, u"A1"_s, u"SEA,NSM"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"2"_s, u"B2"_s, u"NSM"_s);

    SearchCriteria c = criteria(may1, may1);
    search(c);
    EXPECT_EQ(grade(2, 1), u"7"_s); // both sections' rows summed per date and grade

    c.sectionCode = u"A1"_s;
    search(c);
    EXPECT_EQ(grade(2, 1), u"9"_s);

    c.sectionCode = u"All"_s;
    c.featureText = u"SEA       海景"_s;
    search(c);
    EXPECT_EQ(grade(1, 1), QString()); // the undated rows carry no feature
    EXPECT_EQ(grade(2, 1), u"-1"_s);

    c.featureText = u"All"_s;
    c.roomGrades = u"ST"_s;
    search(c);
    ASSERT_EQ(gradeSheet.maxRows(), 5);
    EXPECT_EQ(grade(0, 1), u"ST(标准间)"_s);
    EXPECT_EQ(grade(2, 1), u"10"_s);
}

// The builder on its own, fed rows that the search's texts would not deliver.
TEST_F(GradeGrid, RowsOutsideTheSpanOrWithUnreadableDatesAreIgnored)
{
    const CodeList grades({u"DK"_s}, {u"大床房"_s});
    exec(u"create table rows (n int, date text, type text, type3 text, rooms text)"_s);
    exec(u"insert into rows values "
         "(1, null, 'OCC', 'DK', '50'),"
         "(2, '2006-04-30', 'OCC', 'DK', '1'),"
         "(3, '2006-05-04', 'OOI', 'DK', '1'),"
         "(4, '2006-05-04', 'OCC', 'DK', '1'),"
         "(5, '2006-13-01', 'OCC', 'DK', '1'),"
         "(6, '2006/05/01', 'OOO', 'DK', '1'),"
         "(7, '06-05-01', 'OCC', 'DK', '1'),"
         "(8, '2006-02-30', 'OCC', 'DK', '1'),"
         "(9, '2006-05-0x', 'OCC', 'DK', '1'),"
         "(10, ' ', 'OCC', 'DK', '1'),"
         "(11, '2006-05-03 23:59:59', 'OCC', 'DK', '8'),"
         "(12, '1900-01-01', 'OOI', 'DK', '1'),"
         "(13, '9999-12-31', 'OOO', 'DK', '1')"_s);
    buildGradeGrid(records, u"select date,type,type3,rooms from rows order by n"_s, may1, may3,
                   grades, gradeSheet);

    ASSERT_EQ(gradeSheet.maxCols(), 4);
    EXPECT_EQ(grade(2, 1), u"50"_s);
    EXPECT_EQ(grade(3, 1), u"50"_s);
    EXPECT_EQ(grade(4, 1), u"42"_s);
    for (int column = 2; column <= 4; ++column) {
        EXPECT_EQ(grade(column, 3), QString()) << column;
        EXPECT_EQ(grade(column, 4), QString()) << column;
    }
}

TEST_F(GradeGrid, TheLongestSpanFillsItsLastDay)
{
    const CodeList grades({u"DK"_s}, {u"大床房"_s});
    exec(u"create table rows (n int, date text, type text, type3 text, rooms text)"_s);
    exec(u"insert into rows values (1, null, 'OCC', 'DK', '9'), (2, '2008-04-29', 'OCC', 'DK', '2'),"
         "(3, '2008-04-30', 'OCC', 'DK', '3'), (4, '2008-04-29', 'OOI', 'DK', '1')"_s);
    const QDate last = may1.addDays(729);
    ASSERT_EQ(last, QDate(2008, 4, 29));
    buildGradeGrid(records, u"select date,type,type3,rooms from rows order by n"_s, may1, last,
                   grades, gradeSheet);

    ASSERT_EQ(gradeSheet.maxCols(), 731);
    EXPECT_EQ(grade(731, 0), u"29/04"_s);
    EXPECT_EQ(grade(731, 1), u"7"_s);
    EXPECT_EQ(grade(731, 3), u"1"_s);
}

TEST_F(GradeGrid, LaterRowsReplaceEarlierTotalsAndCounts)
{
    const CodeList grades({u"DK"_s, u"ST"_s}, {u"大床房"_s, u"标准间"_s});
    exec(u"create table rows (n int, date text, type text, type3 text, rooms text)"_s);
    exec(u"insert into rows values (1, null, 'OCC', 'DK', '9'), (2, null, 'TOT', 'DK', '12'),"
         "(3, '2006-05-01', 'OCC', 'DK', '5'), (4, '2006-05-01', 'OCC', 'DK', '2'),"
         "(5, '2006-05-01', 'OOI', 'ST', '1'), (6, '2006-05-01', 'OOI', 'ST', '1')"_s);
    buildGradeGrid(records, u"select date,type,type3,rooms from rows order by n"_s, may1, may1,
                   grades, gradeSheet);

    EXPECT_EQ(grade(1, 1), u"12"_s);
    EXPECT_EQ(grade(2, 1), u"10"_s);
    EXPECT_EQ(grade(2, 2), u"0"_s);
    EXPECT_EQ(grade(2, 4), u"2"_s);
}

} // namespace
} // namespace tavelin::test
