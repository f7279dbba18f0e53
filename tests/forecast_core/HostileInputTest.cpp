// Values that reach SQL: the section code, the feature code and each room grade
// code. Whatever they hold, the statement keeps its shape and the search finds
// exactly the rows that hold the value, or none.

#include "controls/SheetModel.h"
#include "data/DatabaseError.h"
#include "data/RecordSet.h"
#include "forecast/ForecastSearch.h"
#include "forecast/ForecastSql.h"
#include "forecast/GradeList.h"
#include "tests/fixtures/SmallHotel.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace tavelin::test {
namespace {

struct Hostile
{
    const char *name;
    QString value;
};

QString withChar(const QString &before, char16_t unit, const QString &after)
{
    return before + QChar(unit) + after;
}

std::vector<Hostile> hostileValues()
{
    return {
        {"quote", u"x'"_s},
        {"lone quote", u"'"_s},
        {"doubled quote", u"''"_s},
        {"or true", u"x' or '1'='1"_s},
        {"closing bracket", u"x') or ('1'='1"_s},
        {"second statement", u"x'; delete from rmtype; --"_s},
        {"line comment", u"x--"_s},
        {"quote and line comment", u"x'--"_s},
        {"block comment", u"x/*"_s},
        {"block comment closed", u"*/x'/*"_s},
        {"percent", u"%"_s},
        {"underscore", u"_"_s},
        {"percent inside", u"SE%"_s},
        {"underscore inside", u"S_A"_s},
        {"placeholders", u"%s%%"_s},
        {"backslash", u"x\\"_s},
        {"backslash quote", u"x\\'"_s},
        {"NUL", QString::fromUtf16(u"x\0y", 3)},
        {"NUL and quote", QString::fromUtf16(u"\0' or 1=1 --", 12)},
        {"CR LF", u"x\r\ny"_s},
        {"tab", u"x\ty"_s},
        {"escape sequence", u"x\x1b[2Jy"_s},
        {"invalid UTF-8", QString::fromUtf8("x\xc3\x28\xff\xfe\xed\xa0\x80y")},
        {"lone high surrogate before quote", withChar(u"x"_s, 0xD800, u"' or 1=1 --"_s)},
        {"lone high surrogate before or 1", withChar(QString(), 0xD83D, u"'or 1--"_s)},
        {"lone low surrogate", withChar(u"x"_s, 0xDC00, u"y"_s)},
        {"surrogate pair cut at the end", withChar(u"ABCDEFGHI"_s, 0xD83D, QString())},
        {"100k characters", QString(100000, u'Z')},
        {"100k quotes", QString(100000, u'\'')},
    };
}

// ---------------------------------------------------------------------------
// The statement as SQL reads it.

// A character a driver cannot hand to the database as it is: SQLite ends the
// statement at a NUL and reads an unpaired surrogate together with whatever
// unit follows it, a quote included.
bool statementCarries(const QString &sql)
{
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c.isNull() || c.isLowSurrogate())
            return false;
        if (c.isHighSurrogate()) {
            if (i + 1 >= sql.size() || !sql[i + 1].isLowSurrogate())
                return false;
            ++i;
        }
    }
    return true;
}

struct Shape
{
    QString skeleton;     // the text with each literal as '?'
    QStringList literals; // their values, quotes undoubled
    bool closed = true;   // no literal runs to the end
};

Shape shapeOf(const QString &sql)
{
    Shape shape;
    qsizetype i = 0;
    while (i < sql.size()) {
        if (sql[i] != u'\'') {
            shape.skeleton += sql[i++];
            continue;
        }
        QString literal;
        ++i;
        for (;;) {
            if (i >= sql.size()) {
                shape.closed = false;
                break;
            }
            if (sql[i] == u'\'') {
                if (i + 1 < sql.size() && sql[i + 1] == u'\'') {
                    literal += u'\'';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            literal += sql[i++];
        }
        shape.skeleton += u"'?'"_s;
        shape.literals.append(literal);
    }
    return shape;
}

// The literal stands for the value: equal, except that a character no
// statement can carry may have been replaced by another.
::testing::AssertionResult standsFor(const QString &literal, const QString &value)
{
    if (literal.size() == value.size()) {
        bool same = true;
        for (qsizetype i = 0; i < value.size() && same; ++i) {
            const QChar v = value[i];
            const bool pairedHigh = v.isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate();
            const bool pairedLow = v.isLowSurrogate() && i > 0 && value[i - 1].isHighSurrogate();
            const bool carried = !v.isNull() && (!v.isSurrogate() || pairedHigh || pairedLow);
            same = literal[i] == v || !carried;
        }
        if (same)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "literal of " << literal.size() << " characters for a value of "
                                         << value.size() << ": " << literal.left(60).toStdString();
}

// A LIKE pattern, read with its escape character (none: 0): "%", the value
// with no wildcard of its own, "%".
std::optional<QString> containsPattern(const QString &pattern, QChar escape)
{
    if (pattern.size() < 2 || !pattern.startsWith(u'%') || !pattern.endsWith(u'%'))
        return std::nullopt;
    QString value;
    for (qsizetype i = 1; i < pattern.size() - 1; ++i) {
        const QChar c = pattern[i];
        if (!escape.isNull() && c == escape) {
            if (++i >= pattern.size() - 1)
                return std::nullopt;
            value += pattern[i];
        } else if (c == u'%' || c == u'_') {
            return std::nullopt;
        } else {
            value += c;
        }
    }
    return value;
}

const QDate dec28(2006, 12, 28);
const QDate dec30(2006, 12, 30);

ForecastFilter benignFilter()
{
    ForecastFilter filter;
    filter.begin = dec28;
    filter.end = dec30;
    filter.sectionCode = u"B1"_s;
    filter.featureCode = u"SEA"_s;
    filter.roomGrades = {u"DK"_s, u"ST"_s};
    return filter;
}

// The shape of a statement with the LIKE's escape clause, if any, taken out
// of the skeleton and reported.
struct LikeShape
{
    Shape shape;
    QChar escape;
};

LikeShape withoutEscapeClause(Shape shape)
{
    LikeShape like{std::move(shape), QChar()};
    const QString clause = u"'?' escape '?'"_s;
    const qsizetype at = like.shape.skeleton.indexOf(clause);
    if (at < 0)
        return like;
    // The escape character is the literal right after the pattern's.
    const qsizetype literalsBefore = like.shape.skeleton.first(at).count(u"'?'"_s);
    const QString escape = like.shape.literals.takeAt(literalsBefore + 1);
    like.escape = escape.size() == 1 ? escape[0] : QChar(u'\'');
    like.shape.skeleton.replace(at, clause.size(), u"'?'"_s);
    return like;
}

class HostileSql : public ::testing::TestWithParam<bool>
{
};

TEST_P(HostileSql, TheSectionIsOneLiteralInEveryStatement)
{
    for (const Hostile &hostile : hostileValues()) {
        SCOPED_TRACE(hostile.name);
        ForecastFilter filter = benignFilter();
        filter.includeDueOut = GetParam();
        const Shape benignAvailability = shapeOf(availabilitySql(filter));
        const Shape benignOccupancy = shapeOf(occupancySql(filter));
        filter.sectionCode = hostile.value;

        for (const auto &[sql, benign] : {std::pair{availabilitySql(filter), benignAvailability},
                                          std::pair{occupancySql(filter), benignOccupancy}}) {
            EXPECT_TRUE(statementCarries(sql));
            const Shape shape = shapeOf(sql);
            ASSERT_TRUE(shape.closed);
            EXPECT_EQ(shape.skeleton, benign.skeleton);
            ASSERT_EQ(shape.literals.size(), benign.literals.size());
            EXPECT_TRUE(standsFor(shape.literals[2], hostile.value));
        }
    }
}

TEST_P(HostileSql, EachGradeCodeIsOneLiteralOfTheInList)
{
    for (const Hostile &hostile : hostileValues()) {
        SCOPED_TRACE(hostile.name);
        ForecastFilter filter = benignFilter();
        filter.includeDueOut = GetParam();
        const QString benign[] = {availabilitySql(filter), occupancySql(filter), gradeCountSql(filter.roomGrades),
                                  gradeListSql(filter.roomGrades)};
        filter.roomGrades = {u"DK"_s, hostile.value};
        const QString composed[] = {availabilitySql(filter), occupancySql(filter),
                                    gradeCountSql(filter.roomGrades), gradeListSql(filter.roomGrades)};

        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(statementCarries(composed[i])) << i;
            const Shape shape = shapeOf(composed[i]);
            const Shape expected = shapeOf(benign[i]);
            ASSERT_TRUE(shape.closed) << i;
            EXPECT_EQ(shape.skeleton, expected.skeleton) << i;
            ASSERT_EQ(shape.literals.size(), expected.literals.size()) << i;
            const qsizetype at = shape.literals.indexOf(u"DK"_s);
            ASSERT_GE(at, 0) << i;
            EXPECT_TRUE(standsFor(shape.literals[at + 1], hostile.value)) << i;
        }
    }
}

TEST_P(HostileSql, TheFeatureIsOneLiteralMatchedAsItIs)
{
    for (const Hostile &hostile : hostileValues()) {
        SCOPED_TRACE(hostile.name);
        ForecastFilter filter = benignFilter();
        filter.includeDueOut = GetParam();
        const Shape benign = shapeOf(availabilitySql(filter));
        filter.featureCode = hostile.value;
        const QString sql = availabilitySql(filter);

        EXPECT_TRUE(statementCarries(sql));
        const LikeShape like = withoutEscapeClause(shapeOf(sql));
        ASSERT_TRUE(like.shape.closed);
        EXPECT_EQ(like.shape.skeleton, benign.skeleton);
        ASSERT_EQ(like.shape.literals.size(), benign.literals.size());
        const std::optional<QString> value = containsPattern(like.shape.literals.last(), like.escape);
        ASSERT_TRUE(value) << "pattern with wildcards of its own: " << like.shape.literals.last().left(60).toStdString();
        EXPECT_TRUE(standsFor(*value, hostile.value));
    }
}

INSTANTIATE_TEST_SUITE_P(DueOuts, HostileSql, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "Included" : "Excluded"; });

TEST(HostileSqlEscape, FeatureWithoutWildcardsKeepsThePlainText)
{
    ForecastFilter filter = benignFilter();
    filter.featureCode = u"O'K!"_s;
    const QString sql = availabilitySql(filter);
    EXPECT_TRUE(sql.contains(u" exposure like '%O''K!%' group by"_s)) << sql.toStdString();
}

// ---------------------------------------------------------------------------
// The search on the small hotel.

class HostileSearch : public ::testing::Test
{
protected:
    HostileSearch() { hotel.exec(smallHotelStatements()); }

    static SearchCriteria criteria()
    {
        SearchCriteria c;
        c.begin = dec28;
        c.end = dec30;
        c.businessDate = dec28;
        return c;
    }

    // Every cell of both sheets, a row a line, or the check's message.
    std::string search(SearchCriteria c)
    {
        clearForecast(gradeSheet, orgSheet);
        if (const std::optional<CheckFailure> failure = checkCriteria(c))
            return "refused: " + failure->message.toStdString();
        try {
            runForecast(c, records, gradeSheet, orgSheet);
        } catch (const DatabaseError &error) {
            return "database error: " + error.driverText().left(200).toStdString();
        }
        QString cells;
        for (const SheetModel *sheet : {&gradeSheet, &orgSheet}) {
            for (int r = 0; r <= sheet->maxRows(); ++r) {
                for (int c = 0; c <= sheet->maxCols(); ++c)
                    cells += sheet->cellText(c, r) + u'|';
                cells += u'\n';
            }
            cells += u'\n';
        }
        return cells.toStdString();
    }

    MemoryDatabase hotel;
    RecordSet records{&hotel.db()};
    SheetModel gradeSheet;
    SheetModel orgSheet;
};

TEST_F(HostileSearch, AHostileSectionFindsWhatAnUnknownOneFinds)
{
    SearchCriteria c = criteria();
    c.sectionCode = u"ZZZ"_s;
    const std::string unknown = search(c);
    ASSERT_NE(unknown.find("DK("), std::string::npos) << unknown;
    for (const Hostile &hostile : hostileValues()) {
        c.sectionCode = hostile.value;
        EXPECT_EQ(search(c), unknown) << hostile.name;
    }
}

TEST_F(HostileSearch, AHostileFeatureFindsWhatAnUnknownOneFinds)
{
    SearchCriteria c = criteria();
    c.featureText = u"ZZZ"_s;
    const std::string unknown = search(c);
    ASSERT_NE(unknown.find("DK("), std::string::npos) << unknown;
    c.featureText = u"SEA"_s;
    ASSERT_NE(search(c), unknown); // the feature does filter
    for (const Hostile &hostile : hostileValues()) {
        c.featureText = hostile.value;
        EXPECT_EQ(search(c), unknown) << hostile.name;
    }
}

TEST_F(HostileSearch, AHostileGradeCodeAddsNothingToTheList)
{
    SearchCriteria c = criteria();
    c.roomGrades = u"DK"_s;
    const std::string dkOnly = search(c);
    ASSERT_NE(dkOnly.find("DK("), std::string::npos) << dkOnly;
    for (const Hostile &hostile : hostileValues()) {
        c.roomGrades = formatGradeList({u"DK"_s, hostile.value});
        EXPECT_EQ(search(c), dkOnly) << hostile.name;
    }
}

TEST_F(HostileSearch, HostileTextTypedIntoTheGradeBoxIsRefusedOrFindsNothingMore)
{
    SearchCriteria c = criteria();
    c.roomGrades = u"ZZ"_s;
    const std::string unknown = search(c);
    for (const Hostile &hostile : hostileValues()) {
        c.roomGrades = hostile.value;
        const std::string result = search(c);
        if (result.rfind("refused: ", 0) != 0) {
            EXPECT_EQ(result, unknown) << hostile.name;
        }
    }
}

TEST_F(HostileSearch, StoredValuesWithSqlCharactersAreFoundByThemselvesOnly)
{
    // One ST room occupied on the 28th under each value, as section and as
    // feature; the rooms of ST are in rows of neither, so it shows -1 free.
    const QStringList values{u"A';--"_s, u"A/*"_s, u"S_A"_s, u"S%A"_s, u"x\\"_s};
    for (const QString &value : values) {
        QString quoted = value;
        quoted.replace(u'\'', u"''"_s);
        hotel.exec({u"insert into Tavelin_1 values ('2006-12-28', 'OCC', '%1', 'ST', '%1', 1, 1)"_s.arg(quoted)});
    }
    for (const QString &value : values) {
        SearchCriteria c = criteria();
        c.sectionCode = value;
        search(c);
        ASSERT_EQ(gradeSheet.cellText(0, 2), u"ST(标准间)"_s);
        EXPECT_EQ(gradeSheet.cellText(2, 2), u"-1"_s) << "section " << value.toStdString();

        c = criteria();
        c.featureText = value;
        search(c);
        ASSERT_EQ(gradeSheet.cellText(0, 2), u"ST(标准间)"_s);
        EXPECT_EQ(gradeSheet.cellText(2, 2), u"-1"_s) << "feature " << value.toStdString();
    }
}

} // namespace
} // namespace tavelin::test
