#include "forecast/GradeList.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tavelin {
namespace {

QStringList parsed(const QString &text)
{
    const std::optional<QStringList> codes = parseGradeList(text);
    EXPECT_TRUE(codes) << text.toStdString();
    return codes.value_or(QStringList{u"<refused>"_s});
}

TEST(GradeList, ReadsThePickersForm)
{
    EXPECT_EQ(parsed(u"'A'"_s), QStringList{u"A"_s});
    EXPECT_EQ(parsed(u"'DK','ST','SUI'"_s), (QStringList{u"DK"_s, u"ST"_s, u"SUI"_s}));
}

TEST(GradeList, ReadsPlainCodesAndBlanksAroundItems)
{
    const QStringList expected{u"DK"_s, u"ST"_s};
    EXPECT_EQ(parsed(u"DK,ST"_s), expected);
    EXPECT_EQ(parsed(u"DK, ST"_s), expected);
    EXPECT_EQ(parsed(u"  DK ,\tST  "_s), expected);
    EXPECT_EQ(parsed(u" 'DK' , 'ST' "_s), expected);
    EXPECT_EQ(parsed(u"'DK', ST"_s), expected);
    EXPECT_EQ(parsed(u"A-1,B_2,C.3,D/4,E#5,F+6,豪华"_s),
              (QStringList{u"A-1"_s, u"B_2"_s, u"C.3"_s, u"D/4"_s, u"E#5"_s, u"F+6"_s, u"豪华"_s}));
}

TEST(GradeList, EmptyOrBlankTextMeansEveryGrade)
{
    EXPECT_EQ(parsed(QString()), QStringList());
    EXPECT_EQ(parsed(u"   "_s), QStringList());
}

TEST(GradeList, QuotedCodesKeepWhatIsBetweenTheQuotes)
{
    EXPECT_EQ(parsed(u"'A B','C '"_s), (QStringList{u"A B"_s, u"C "_s}));
    EXPECT_EQ(parsed(u"'O''K'"_s), QStringList{u"O'K"_s});
    EXPECT_EQ(parsed(u"''''"_s), QStringList{u"'"_s});
    EXPECT_EQ(parsed(u"'a,b'"_s), QStringList{u"a,b"_s});
}

TEST(GradeList, CodesLongerThanSixCharactersAreTakenWhole)
{
    EXPECT_EQ(parsed(u"SUPERIOR,'DELUXE-K'"_s), (QStringList{u"SUPERIOR"_s, u"DELUXE-K"_s}));
}

TEST(GradeList, RefusesWhatIsNoList)
{
    const QStringList bad{
        u"'A"_s,        u"'A','B"_s,  u"A'"_s,     u"A,,B"_s,     u"A,"_s,      u",A"_s,
        u","_s,         u"''"_s,      u"' '"_s,    u"'A'B"_s,     u"'A' 'B'"_s, u"A B"_s,
        u"A'B"_s,       u"A;B"_s,     u"A)"_s,     u"\"A\""_s,    u"A，B"_s,    u"'A');drop table rmtype;--"_s,
    };
    for (const QString &text : bad)
        EXPECT_FALSE(parseGradeList(text)) << text.toStdString();
}

TEST(GradeList, FormatsQuotedWithTheQuotesDoubled)
{
    EXPECT_EQ(formatGradeList({}), QString());
    EXPECT_EQ(formatGradeList({u"DK"_s}), u"'DK'"_s);
    EXPECT_EQ(formatGradeList({u"DK"_s, u"ST"_s}), u"'DK','ST'"_s);
    EXPECT_EQ(formatGradeList({u"O'K"_s, u"A B"_s}), u"'O''K','A B'"_s);
}

TEST(GradeList, FormattedTextReadsBackToTheSameCodes)
{
    const QStringList codes{u"O'K"_s, u"''"_s, u"a,b"_s, u" x "_s, u"DK"_s};
    EXPECT_EQ(parsed(formatGradeList(codes)), codes);
}

} // namespace
} // namespace tavelin
