// Counts near the int limit, as a damaged or hostile forecast table may hold:
// sums and differences of them are shown exactly, never wrapped around.

#include "ForecastFixture.h"

#include <climits>

using namespace Qt::StringLiterals;

namespace tavelin::test {
namespace {

const QDate may1(2006, 5, 1);
const QString intMax = u"2147483647"_s;

using LargeCounts = ForecastFixture;

TEST_F(LargeCounts, OutOfInventoryAndOutOfOrderSumsDoNotWrap)
{
    addGrade(u"DK"_s, u"大床房"_s);
    // Rows of different grades stay separate rows of the grouped query.
    for (const QString &grade : {u"DK"_s, u"ST"_s}) {
        addGradeRow(u"2006-05-01"_s, u"OOI"_s, grade, intMax);
        addGradeRow(u"2006-05-01"_s, u"OOO"_s, grade, intMax);
    }
    search(criteria(may1, may1));

    ASSERT_EQ(grade(0, 3), u"OOI"_s);
    EXPECT_EQ(grade(2, 3), u"4294967294"_s);
    EXPECT_EQ(grade(2, 4), u"4294967294"_s);
}

TEST_F(LargeCounts, TotalsAndFreeRoomsDoNotWrap)
{
    addGrade(u"DK"_s, u"大床房"_s);
    addGrade(u"ST"_s, u"标准间"_s);
    addGradeRow({}, u"RMS"_s, u"DK"_s, intMax);
    addGradeRow({}, u"RMS"_s, u"ST"_s, intMax);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"ST"_s, u"-2147483648"_s);
    search(criteria(may1, may1));

    EXPECT_EQ(grade(1, 3), u"4294967294"_s); // subtotal of the totals
    EXPECT_EQ(grade(2, 1), intMax);
    EXPECT_EQ(grade(2, 2), u"4294967295"_s); // INT_MAX - INT_MIN
    EXPECT_EQ(grade(2, 3), u"6442450942"_s);
    EXPECT_EQ(grade(2, 6), u"-50.0"_s);
}

TEST_F(LargeCounts, OccupancySumsAndSharesDoNotWrap)
{
    addOrganisation(u"FIT"_s, u"散客"_s);
    addOrganisation(u"TA"_s, u"旅行社"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, INT_MAX);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"TA"_s, INT_MAX);
    search(criteria(may1, may1));

    EXPECT_EQ(org(1, 3), u"4294967294"_s);
    EXPECT_EQ(org(2, 1), u"50.0%"_s);
    EXPECT_EQ(org(2, 2), u"50.0%"_s);
}

} // namespace
} // namespace tavelin::test
