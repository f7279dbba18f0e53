#include "forecast/ForecastSql.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tavelin {
namespace {

struct Combination
{
    bool includeDueOut;
    bool grades;
    bool section;
    bool feature;
};

ForecastFilter filterFor(const Combination &c)
{
    ForecastFilter filter;
    filter.begin = QDate(2006, 5, 1);
    filter.end = QDate(2006, 5, 3);
    filter.includeDueOut = c.includeDueOut;
    if (c.grades)
        filter.roomGrades = {u"DK"_s, u"ST"_s};
    if (c.section)
        filter.sectionCode = u"A1"_s;
    if (c.feature)
        filter.featureCode = u"VIEW"_s;
    return filter;
}

struct Expected
{
    Combination combination;
    const char16_t *sql;
};

const Expected availabilityTexts[] = {
    {{false, false, false, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) group by date,type,type3"},
    {{false, false, false, true}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and exposure like '%VIEW%' group by date,type,type3"},
    {{false, false, true, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' group by date,type,type3"},
    {{false, false, true, true}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and exposure like '%VIEW%' group by date,type,type3"},
    {{false, true, false, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type3 in ('DK','ST') group by date,type,type3"},
    {{false, true, false, true}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type3 in ('DK','ST') and exposure like '%VIEW%' group by date,type,type3"},
    {{false, true, true, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and type3 in ('DK','ST') group by date,type,type3"},
    {{false, true, true, true}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and type3 in('DK','ST') and exposure like '%VIEW%' group by date,type,type3"},
    {{true, false, false, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) group by date,type,type3"},
    {{true, false, false, true}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and exposure like '%VIEW%' group by date,type,type3"},
    {{true, false, true, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' group by date,type,type3"},
    {{true, false, true, true}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and exposure like '%VIEW%' group by date,type,type3"},
    {{true, true, false, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type3 in ('DK','ST') group by date,type,type3"},
    {{true, true, false, true}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type3 in ('DK','ST') and exposure like '%VIEW%' group by date,type,type3"},
    {{true, true, true, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and type3 in ('DK','ST') group by date,type,type3"},
    {{true, true, true, true}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and type3 in ('DK','ST') and exposure like '%VIEW%' group by date,type,type3"},
};

// The feature code takes no part in these; each is checked with and without it.
const Expected occupancyTexts[] = {
    {{false, false, false, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) group by date,type,type3"},
    {{false, false, true, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' group by date,type,type3"},
    {{false, true, false, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type1 in('DK','ST') group by date,type,type3"},
    {{false, true, true, false}, u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and type1 in ('DK','ST') group by date,type,type3"},
    {{true, false, false, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) group by date,type,type3"},
    {{true, false, true, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' group by date,type,type3"},
    {{true, true, false, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type1 in ('DK','ST') group by date,type,type3"},
    {{true, true, true, false}, u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='2006-05-01' and date<='2006-05-03') or date is null) and type2='A1' and type1 in ('DK','ST') group by date,type,type3"},
};

std::string describe(const Combination &c)
{
    return std::string(c.includeDueOut ? "rooms" : "rooms_ED") + (c.grades ? " grades" : "")
           + (c.section ? " section" : "") + (c.feature ? " feature" : "");
}

TEST(ForecastSql, EachAvailabilityCombinationGivesItsText)
{
    for (const Expected &expected : availabilityTexts) {
        EXPECT_EQ(availabilitySql(filterFor(expected.combination)), QString::fromUtf16(expected.sql))
            << describe(expected.combination);
    }
}

TEST(ForecastSql, EachOccupancyCombinationGivesItsText)
{
    for (const Expected &expected : occupancyTexts) {
        Combination withFeature = expected.combination;
        withFeature.feature = true;
        EXPECT_EQ(occupancySql(filterFor(expected.combination)), QString::fromUtf16(expected.sql))
            << describe(expected.combination);
        EXPECT_EQ(occupancySql(filterFor(withFeature)), QString::fromUtf16(expected.sql))
            << describe(withFeature);
    }
}

TEST(ForecastSql, CodeListQueries)
{
    const QStringList grades{u"DK"_s, u"ST"_s};
    EXPECT_EQ(gradeCountSql({}), u"select count(distinct code) as Mn  from rmtype"_s);
    EXPECT_EQ(gradeCountSql(grades),
              u"select count(distinct code) as Mn  from rmtype where code in ('DK','ST')"_s);
    EXPECT_EQ(gradeListSql({}), u"select code,ChnDescp from rmtype order by code"_s);
    EXPECT_EQ(gradeListSql(grades),
              u"select code,ChnDescp from rmtype where code in('DK','ST') order by code"_s);
    EXPECT_EQ(organisationCountSql(), u"select count(distinct code) as Mn  from Org"_s);
    EXPECT_EQ(organisationListSql(), u"select code,Descp from org order by code"_s);
}

TEST(ForecastSql, ValuesBecomeStringLiterals)
{
    ForecastFilter filter;
    filter.begin = QDate(2006, 5, 1);
    filter.end = QDate(2006, 5, 3);
    filter.sectionCode = u"x' or '1'='1"_s;
    filter.featureCode = u"O'K"_s;
    filter.roomGrades = {u"D'K"_s, u"ST"_s};
    filter.includeDueOut = false;

    const QString availability = availabilitySql(filter);
    EXPECT_TRUE(availability.contains(u" and type2='x'' or ''1''=''1' and "_s)) << availability.toStdString();
    EXPECT_TRUE(availability.contains(u" and type3 in('D''K','ST') and "_s)) << availability.toStdString();
    EXPECT_TRUE(availability.contains(u" and exposure like '%O''K%' group"_s)) << availability.toStdString();

    const QString occupancy = occupancySql(filter);
    EXPECT_TRUE(occupancy.contains(u" and type2='x'' or ''1''=''1' and type1 in ('D''K','ST') group"_s))
        << occupancy.toStdString();

    EXPECT_EQ(gradeCountSql(filter.roomGrades),
              u"select count(distinct code) as Mn  from rmtype where code in ('D''K','ST')"_s);
}

TEST(ForecastSql, PercentSignsInValuesStayAsTheyAre)
{
    ForecastFilter filter;
    filter.begin = QDate(2006, 5, 1);
    filter.end = QDate(2006, 5, 1);
    filter.featureCode = u"%s%%"_s;
    filter.sectionCode = u"%s"_s;
    EXPECT_EQ(availabilitySql(filter),
              u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='2006-05-01' "
              "and date<='2006-05-01') or date is null) and type2='%s' and exposure like '%!%s!%!%%' "
              "escape '!' group by date,type,type3"_s);
}

TEST(ForecastSql, OnlyTheExactAllMeansNoFilter)
{
    ForecastFilter filter;
    filter.begin = QDate(2006, 5, 1);
    filter.end = QDate(2006, 5, 1);
    filter.sectionCode = u"all"_s;
    filter.featureCode = QString();
    const QString sql = availabilitySql(filter);
    EXPECT_TRUE(sql.contains(u" and type2='all' and exposure like '%%' group"_s)) << sql.toStdString();
}

} // namespace
} // namespace tavelin
