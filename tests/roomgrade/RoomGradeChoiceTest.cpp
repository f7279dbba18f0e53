#include "data/RecordSet.h"
#include "data/TextFormat.h"
#include "roomgrade/RoomGradeChoice.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tavelin::readRoomGradeLines;
using tavelin::roomGradeList;

namespace {

QStringList linesOf(const QStringList &rows)
{
    tavelin::test::ScopedConnection db = tavelin::test::openSqliteMemory();
    QStringList statements{u"create table rmtype (code varchar(10), ChnDescp varchar(40))"_s};
    statements += rows;
    EXPECT_TRUE(tavelin::test::execAll(*db, statements));
    tavelin::RecordSet recordSet(db.get());
    return readRoomGradeLines(recordSet);
}

} // namespace

TEST(TextFormat, WidthsCountGbkBytes)
{
    EXPECT_EQ(tavelin::gbkWidth(u"DK"_s), 2);
    EXPECT_EQ(tavelin::gbkWidth(u"大床房"_s), 6);
    EXPECT_EQ(tavelin::gbkWidth(u"A大"_s), 3);
    EXPECT_EQ(tavelin::gbkWidth(u"\U0001F600"_s), 2) << "a surrogate pair is one character";
    EXPECT_EQ(tavelin::padRight(u"大床"_s, 6), u"大床  "_s);
    EXPECT_EQ(tavelin::padLeft(u"大床"_s, 6), u"  大床"_s);
    // Never cut: a longer text only widens its field.
    EXPECT_EQ(tavelin::padRight(u"ABCDEFGHIJKL"_s, 10), u"ABCDEFGHIJKL"_s);
    EXPECT_EQ(tavelin::padLeft(u"标准间标准间标准间"_s, 10), u"标准间标准间标准间"_s);
    EXPECT_EQ(tavelin::padRight(QString(), 3), u"   "_s);
}

TEST(RoomGradeLines, CodeLeftInTenColumnsDescriptionRightInThirty)
{
    const QStringList lines = linesOf({u"insert into rmtype values ('DK', '大床房')"_s,
                                       u"insert into rmtype values ('ST', 'Standard')"_s});
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], u"DK        "_s + QString(24, u' ') + u"大床房"_s);
    EXPECT_EQ(tavelin::gbkWidth(lines[0]), 40);
    EXPECT_EQ(lines[1], u"ST        "_s + QString(22, u' ') + u"Standard"_s);
}

TEST(RoomGradeLines, SortedByTheirTextRegardlessOfCaseAndNeverCut)
{
    const QStringList lines = linesOf({u"insert into rmtype values ('b', 'x')"_s,
                                       u"insert into rmtype values ('A', 'y')"_s,
                                       u"insert into rmtype values ('SUITE-ROYAL', 'z')"_s,
                                       u"insert into rmtype values ('AB', null)"_s});
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(u"A "_s));
    EXPECT_TRUE(lines[1].startsWith(u"AB "_s));
    EXPECT_TRUE(lines[2].startsWith(u"b "_s));
    EXPECT_TRUE(lines[3].startsWith(u"SUITE-ROYAL"_s)) << "an eleven-character code widens its field";
    EXPECT_EQ(lines[1], u"AB"_s + QString(38, u' ')) << "a NULL description is an empty one";
}

TEST(RoomGradeLines, AnEmptyTableGivesNoLines)
{
    EXPECT_TRUE(linesOf({}).isEmpty());
}

TEST(RoomGradeList, QuotedCodesOfTheCheckedLinesInListOrder)
{
    const QStringList lines{u"A         "_s + QString(29, u' ') + u"x"_s, u"DK        大床房"_s,
                            u"SUITE-ROYAL 套房"_s, u"ST        标准间"_s};
    EXPECT_EQ(roomGradeList(lines, {false, false, false, false}), QString());
    EXPECT_EQ(roomGradeList(lines, {true, false, false, false}), u"'A'"_s) << "padding is not part of the code";
    EXPECT_EQ(roomGradeList(lines, {false, true, false, true}), u"'DK','ST'"_s);
    EXPECT_EQ(roomGradeList(lines, {true, true, true, true}), u"'A','DK','SUITE-','ST'"_s)
        << "only the first six characters count";
    EXPECT_EQ(roomGradeList({}, {}), QString());
    // A line of blanks would give an empty code; it still stands in its place.
    EXPECT_EQ(roomGradeList({u"      x"_s, u"B"_s}, {true, true}), u"'','B'"_s);
}
