#include "data/RecordSet.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Qt::StringLiterals;
using tavelin::leadingInt;

namespace {

TEST(LeadingInt, ReadsBlanksSignAndDigitsUpToTheFirstOtherCharacter)
{
    EXPECT_EQ(leadingInt(u"  -12abc"), -12);
    EXPECT_EQ(leadingInt(u"+7"), 7);
    EXPECT_EQ(leadingInt(u"42"), 42);
    EXPECT_EQ(leadingInt(u"\t\n\v\f\r 5"), 5);
    EXPECT_EQ(leadingInt(u"007"), 7);
    EXPECT_EQ(leadingInt(u"12 34"), 12);
    EXPECT_EQ(leadingInt(u"12.9"), 12);
    EXPECT_EQ(leadingInt(u"-0"), 0);
}

TEST(LeadingInt, IsZeroWhenNoDigitStartsTheText)
{
    for (const QString &text : {QString(), u"abc"_s, u" "_s, u"-"_s, u"+-1"_s, u"- 1"_s, u"x12"_s})
        EXPECT_EQ(leadingInt(text), 0) << text.toStdString();
}

TEST(LeadingInt, SaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(leadingInt(u"2147483647"), INT_MAX);
    EXPECT_EQ(leadingInt(u"2147483648"), INT_MAX);
    EXPECT_EQ(leadingInt(u"-2147483648"), INT_MIN);
    EXPECT_EQ(leadingInt(u"-2147483649"), INT_MIN);
    EXPECT_EQ(leadingInt(u"99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(leadingInt(u"-99999999999999999999999999x"), INT_MIN);
}

TEST(LeadingInt, OnlyAsciiBlanksAndDigitsCount)
{
    EXPECT_EQ(leadingInt(u"１２"), 0);          // full-width digits
    EXPECT_EQ(leadingInt(u"\u0663"), 0);        // Arabic-Indic three
    EXPECT_EQ(leadingInt(u"\u30005"), 0);       // ideographic space
    EXPECT_EQ(leadingInt(u"3１"), 3);
}

} // namespace
