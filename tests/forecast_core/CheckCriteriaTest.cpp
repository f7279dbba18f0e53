#include "forecast/ForecastSearch.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tavelin {
namespace {

const QString notBeforeBusinessDate = u"您输入的查询日期必须大于或等于系统日期！"_s;
const QString endBeforeBegin = u"您输入的查询日期的终止日期必须大于或等于起始日期！"_s;
const QString spanTooLong = u"您输入的查询日期的终止日期与起始日期之差不能大于等于370天！"_s;
const QString noSection = u"客房区段不能为空，请重新选择！"_s;
const QString badGradeList = u"客房等级列表格式不正确，请重新选择！"_s;

const QDate businessDate(2006, 5, 1);

SearchCriteria criteria(QDate begin, QDate end)
{
    SearchCriteria c;
    c.businessDate = businessDate;
    c.begin = begin;
    c.end = end;
    return c;
}

void expectFailure(SearchCriteria c, const QString &message, FocusTarget focus)
{
    const std::optional<CheckFailure> failure = checkCriteria(c);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, message);
    EXPECT_EQ(failure->focus, focus);
}

void expectPass(SearchCriteria c)
{
    const std::optional<CheckFailure> failure = checkCriteria(c);
    EXPECT_FALSE(failure) << failure->message.toStdString();
}

TEST(CheckCriteria, StartDateOnTheBusinessDatePassesOneDayEarlierFails)
{
    expectPass(criteria(businessDate, businessDate));
    expectFailure(criteria(businessDate.addDays(-1), businessDate), notBeforeBusinessDate,
                  FocusTarget::BeginDate);
}

TEST(CheckCriteria, EndDateBeforeTheBusinessDateFocusesTheEnd)
{
    expectFailure(criteria(businessDate, businessDate.addDays(-1)), notBeforeBusinessDate,
                  FocusTarget::EndDate);
}

TEST(CheckCriteria, EndDateBeforeTheStartDate)
{
    const QDate begin = businessDate.addDays(5);
    expectFailure(criteria(begin, begin.addDays(-1)), endBeforeBegin, FocusTarget::EndDate);
}

TEST(CheckCriteria, SpansUpTo729DaysPass)
{
    expectPass(criteria(businessDate, businessDate.addDays(370)));
    expectPass(criteria(businessDate, businessDate.addDays(729)));
    expectFailure(criteria(businessDate, businessDate.addDays(730)), spanTooLong, FocusTarget::EndDate);
    expectFailure(criteria(businessDate.addDays(3), businessDate.addDays(3 + 1000)), spanTooLong,
                  FocusTarget::EndDate);
}

TEST(CheckCriteria, MissingSection)
{
    SearchCriteria c = criteria(businessDate, businessDate);
    c.sectionSelected = false;
    expectFailure(c, noSection, FocusTarget::Section);
}

TEST(CheckCriteria, OnlyTheFirstFailureIsReported)
{
    SearchCriteria c = criteria(businessDate.addDays(-1), businessDate.addDays(-2));
    c.sectionSelected = false;
    c.roomGrades = u"'A"_s;
    expectFailure(c, notBeforeBusinessDate, FocusTarget::BeginDate);

    c = criteria(businessDate, businessDate.addDays(730));
    c.sectionSelected = false;
    expectFailure(c, spanTooLong, FocusTarget::EndDate);

    c = criteria(businessDate, businessDate);
    c.sectionSelected = false;
    c.roomGrades = u"'A"_s;
    expectFailure(c, noSection, FocusTarget::Section);
}

TEST(CheckCriteria, RoomGradeListIsWrittenBackInTheQuotedForm)
{
    SearchCriteria c = criteria(businessDate, businessDate);
    c.roomGrades = u" DK, ST "_s;
    ASSERT_FALSE(checkCriteria(c));
    EXPECT_EQ(c.roomGrades, u"'DK','ST'"_s);

    c.roomGrades = u"'DK','ST'"_s;
    ASSERT_FALSE(checkCriteria(c));
    EXPECT_EQ(c.roomGrades, u"'DK','ST'"_s);

    c.roomGrades = u"  "_s;
    ASSERT_FALSE(checkCriteria(c));
    EXPECT_EQ(c.roomGrades, QString());
}

TEST(CheckCriteria, BadRoomGradeListFocusesTheBoxAndKeepsItsText)
{
    for (const QString &text : {u"'DK"_s, u"DK,,ST"_s, u"DK ST"_s, u"'DK'x"_s}) {
        SearchCriteria c = criteria(businessDate, businessDate);
        c.roomGrades = text;
        expectFailure(c, badGradeList, FocusTarget::RoomGrades);
        ASSERT_TRUE(checkCriteria(c));
        EXPECT_EQ(c.roomGrades, text);
    }
}

TEST(FeatureCode, AllStaysAllOtherTextsLoseTheirDescription)
{
    EXPECT_EQ(featureCode(u"All"_s), u"All"_s);
    EXPECT_EQ(featureCode(u"VIEW      海景房"_s), u"VIEW"_s);
    EXPECT_EQ(featureCode(u"SEAVIEWNSM无烟海景"_s), u"SEAVIEWNSM"_s);
    EXPECT_EQ(featureCode(u"VIEW  "_s), u"VIEW"_s);
    EXPECT_EQ(featureCode(u"All   "_s), u"All"_s);
    EXPECT_EQ(featureCode(u"  VIEW"_s), u"  VIEW"_s);
    EXPECT_EQ(featureCode(QString()), QString());
}

TEST(ForecastFilter, TakesTheCodesOfTheCriteria)
{
    SearchCriteria c = criteria(businessDate, businessDate.addDays(2));
    c.sectionCode = u"A1    "_s;
    c.featureText = u"VIEW      海景"_s;
    c.roomGrades = u"'DK','ST'"_s;
    c.includeDueOut = false;
    const std::optional<ForecastFilter> filter = forecastFilter(c);
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->begin, c.begin);
    EXPECT_EQ(filter->end, c.end);
    EXPECT_FALSE(filter->includeDueOut);
    EXPECT_EQ(filter->sectionCode, u"A1"_s);
    EXPECT_EQ(filter->featureCode, u"VIEW"_s);
    EXPECT_EQ(filter->roomGrades, (QStringList{u"DK"_s, u"ST"_s}));

    c.sectionCode = u"LONGSECT"_s;
    EXPECT_EQ(forecastFilter(c)->sectionCode, u"LONGSECT"_s);
    c.sectionCode = u"A 1"_s;
    EXPECT_EQ(forecastFilter(c)->sectionCode, u"A 1"_s);

    c.roomGrades = u"'DK"_s;
    EXPECT_FALSE(forecastFilter(c));
}

} // namespace
} // namespace tavelin
