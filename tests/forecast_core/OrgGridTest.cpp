#include "ForecastFixture.h"

#include "forecast/CodeList.h"
#include "forecast/OrgGrid.h"

using namespace Qt::StringLiterals;

namespace tavelin::test {
namespace {

// 1 May 2006 is a Monday.
const QDate may1(2006, 5, 1);
const QDate may3(2006, 5, 3);

using OrgGrid = ForecastFixture;

TEST_F(OrgGrid, TwoColumnsPerDayWithBlankShareHeadings)
{
    addOrganisation(u"TA"_s, u"旅行社"_s);
    addOrganisation(u"FIT"_s, u"散客"_s);
    search(criteria(may1, may3));

    ASSERT_EQ(orgSheet.maxCols(), 6);
    ASSERT_EQ(orgSheet.maxRows(), 3);
    const QStringList headings{u"01/05"_s, u" "_s, u"02/05"_s, u" "_s, u"03/05"_s, u" "_s};
    for (int column = 1; column <= 6; ++column)
        EXPECT_EQ(org(column, 0), headings[column - 1]) << column;
    EXPECT_EQ(org(0, 0), QString());
    EXPECT_EQ(org(0, 1), u"FIT(散客)"_s);
    EXPECT_EQ(org(0, 2), u"TA(旅行社)"_s);
    EXPECT_EQ(org(0, 3), u"小计"_s);
    for (int column = 0; column <= 6; ++column)
        EXPECT_LT(orgSheet.colWidth(column), 0) << column;
}

TEST_F(OrgGrid, RoomsSubtotalAndShares)
{
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrganisation(u"TA"_s, u"旅行社"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 3);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"TA"_s, 1);
    addOrgRow(u"2006-05-03"_s, u"OCC"_s, u"TA"_s, 3);
    addOrgRow(u"2006-05-03"_s, u"OCC"_s, u"FIT"_s, 2997);
    search(criteria(may1, may3));

    EXPECT_EQ((QStringList{org(1, 1), org(1, 2), org(1, 3)}), (QStringList{u"3"_s, u"1"_s, u"4"_s}));
    EXPECT_EQ((QStringList{org(2, 1), org(2, 2), org(2, 3)}),
              (QStringList{u"75.0%"_s, u"25.0%"_s, u"100%"_s}));

    // No rooms on 2 May: zeros, no shares, and still "100%".
    EXPECT_EQ((QStringList{org(3, 1), org(3, 2), org(3, 3)}), (QStringList{u"0"_s, u"0"_s, u"0"_s}));
    EXPECT_EQ((QStringList{org(4, 1), org(4, 2), org(4, 3)}),
              (QStringList{QString(), QString(), u"100%"_s}));

    EXPECT_EQ(org(5, 3), u"3000"_s);
    EXPECT_EQ(org(6, 1), u"99.9%"_s);
    EXPECT_EQ(org(6, 2), u"0.1%"_s);
    for (int row = 0; row <= 3; ++row) {
        for (int column = 1; column <= 6; ++column)
            EXPECT_EQ(orgSheet.cellForeColor(column, row), std::nullopt) << column << ',' << row;
    }
}

TEST_F(OrgGrid, SharesAreRoundedToSinglePrecision)
{
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrganisation(u"TA"_s, u"旅行社"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 3);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"TA"_s, 1997);
    search(criteria(may1, may1));

    // 0.15 as a double prints 0.1, as a float 0.2.
    EXPECT_EQ(org(2, 1), u"0.2%"_s);
    EXPECT_EQ(org(2, 2), u"99.8%"_s);
}

TEST_F(OrgGrid, CodesAreComparedExactlyBlanksIncluded)
{
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrganisation(u"TA  "_s, u"旅行社"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT "_s, 5);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"TA  "_s, 2);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"ta  "_s, 9);
    search(criteria(may1, may1));

    EXPECT_EQ(org(0, 2), u"TA  (旅行社)"_s);
    EXPECT_EQ(org(1, 1), u"0"_s);
    EXPECT_EQ(org(1, 2), u"2"_s);
    EXPECT_EQ(org(1, 3), u"2"_s);
    EXPECT_EQ(org(2, 1), u"0.0%"_s);
}

TEST_F(OrgGrid, OnlyDatedOccupiedRowsCount)
{
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrgRow({}, u"OCC"_s, u"FIT"_s, 40);
    addOrgRow(u"2006-05-01"_s, u"OOI"_s, u"FIT"_s, 7);
    addOrgRow(u"2006-05-01"_s, u"OOO"_s, u"FIT"_s, 8);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 1);
    search(criteria(may1, may1));

    ASSERT_EQ(orgSheet.maxRows(), 2);
    ASSERT_EQ(orgSheet.maxCols(), 2);
    EXPECT_EQ(org(1, 1), u"1"_s);
    EXPECT_EQ(org(1, 2), u"1"_s);
    EXPECT_EQ(org(2, 1), u"100.0%"_s);
}

TEST_F(OrgGrid, FridayStartColoursTheFirstFourColumns)
{
    // 5 May 2006 is a Friday.
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrgRow(u"2006-05-05"_s, u"OCC"_s, u"FIT"_s, 1);
    search(criteria(QDate(2006, 5, 5), QDate(2006, 5, 7)));

    for (int row = 0; row <= 2; ++row) {
        for (int column = 1; column <= 4; ++column)
            EXPECT_EQ(orgSheet.cellForeColor(column, row), SheetModel::Green) << column << ',' << row;
        for (int column : {0, 5, 6})
            EXPECT_EQ(orgSheet.cellForeColor(column, row), std::nullopt) << column << ',' << row;
    }
}

TEST_F(OrgGrid, NoOrganisationsLeavesTheSubtotalRow)
{
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 1);
    search(criteria(may1, QDate(2006, 5, 2)));

    ASSERT_EQ(orgSheet.maxRows(), 1);
    ASSERT_EQ(orgSheet.maxCols(), 4);
    EXPECT_EQ(org(0, 1), u"小计"_s);
    EXPECT_EQ((QStringList{org(1, 1), org(2, 1), org(3, 1), org(4, 1)}),
              (QStringList{u"0"_s, u"100%"_s, u"0"_s, u"100%"_s}));
}

TEST_F(OrgGrid, GradeSectionAndCheckBoxNarrowTheRowsTheFeatureDoesNot)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGrade(u"ST"_s, u"标准间"_s);
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 1, u"DK"_s, u"A1"_s, 0);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 2, u"ST"_s, u"A1"_s, 2);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 4, u"DK"_s, u"B2"_s, 4);

    SearchCriteria c = criteria(may1, may1);
    c.featureText = u"SEA"_s;
    search(c);
    EXPECT_EQ(org(1, 1), u"7"_s);

    c.roomGrades = u"DK"_s;
    search(c);
    EXPECT_EQ(org(1, 1), u"5"_s);

    c.sectionCode = u"A1"_s;
    search(c);
    EXPECT_EQ(org(1, 1), u"1"_s);

    c.includeDueOut = false;
    search(c);
    EXPECT_EQ(org(1, 1), u"0"_s);
    EXPECT_EQ(org(2, 1), QString());
}

TEST_F(OrgGrid, RowsOutsideTheSpanOrWithUnreadableDatesAreIgnored)
{
    const CodeList organisations({u"FIT"_s}, {u"散客"_s});
    exec(u"create table rows (n int, date text, type text, type3 text, rooms text)"_s);
    exec(u"insert into rows values (1, '2006-04-30', 'OCC', 'FIT', '1'), (2, '2006-05-02', 'OCC', 'FIT', '1'),"
         "(3, 'x', 'OCC', 'FIT', '1'), (4, '2006-05-01', 'OCC', 'FIT', '6'), (5, '2006-5-1', 'OCC', 'FIT', '1'),"
         "(6, '2006-05-01', 'OCC', 'FIT', '3')"_s);
    buildOrgGrid(records, u"select date,type,type3,rooms from rows order by n"_s, may1, may1,
                 organisations, orgSheet);

    ASSERT_EQ(orgSheet.maxCols(), 2);
    EXPECT_EQ(org(1, 1), u"3"_s); // the later row replaces the earlier
    EXPECT_EQ(org(1, 2), u"3"_s);
}

} // namespace
} // namespace tavelin::test
