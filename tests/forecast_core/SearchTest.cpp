#include "ForecastFixture.h"

#include "data/DatabaseError.h"
#include "forecast/CodeList.h"

using namespace Qt::StringLiterals;

namespace tavelin::test {
namespace {

const QDate may1(2006, 5, 1);
const QDate may3(2006, 5, 3);

class Search : public ForecastFixture
{
protected:
    using ForecastFixture::ForecastFixture;

    // A small hotel: two grades, two organisations, rows on 1 May in section A1.
    void fillHotel()
    {
        addGrade(u"DK"_s, u"大床房"_s);
        addGrade(u"ST"_s, u"标准间"_s);
        addOrganisation(u"FIT"_s, u"散客"_s);
        addOrganisation(u"TA"_s, u"旅行社"_s);
        addGradeRow({}, u"OCC"_s, u"DK"_s, u"10"_s);
        addGradeRow({}, u"OCC"_s, u"ST"_s, u"10"_s);
        addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"4"_s, u"A1"_s, u"SEA"_s);
        addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 4);
    }
};

TEST_F(Search, ClearingEmptiesBothSheetsAndPaintsThemWhite)
{
    fillHotel();
    search(criteria(may1, may3));
    ASSERT_GT(gradeSheet.maxRows(), 0);
    ASSERT_GT(orgSheet.maxCols(), 0);
    for (SheetModel *sheet : {&gradeSheet, &orgSheet}) {
        sheet->setCol(0);
        sheet->setRow(0);
        sheet->setText(u"客房等级"_s);
        sheet->setCol(2);
    }

    clearForecast(gradeSheet, orgSheet);
    for (SheetModel *sheet : {&gradeSheet, &orgSheet}) {
        EXPECT_EQ(sheet->maxRows(), 0);
        EXPECT_EQ(sheet->maxCols(), 0);
        EXPECT_EQ(sheet->col(), -1);
        EXPECT_EQ(sheet->row(), -1);
        EXPECT_EQ(sheet->cellBackColor(0, 0), SheetModel::White);
        EXPECT_EQ(sheet->cellText(0, 0), u"客房等级"_s); // the corner label stays
    }
}

TEST_F(Search, EachSheetGetsOneResetAndNothingElse)
{
    fillHotel();
    int resets = 0;
    int other = 0;
    for (SheetModel *sheet : {&gradeSheet, &orgSheet}) {
        QObject::connect(sheet, &QAbstractItemModel::modelReset, [&] { ++resets; });
        QObject::connect(sheet, &QAbstractItemModel::dataChanged, [&] { ++other; });
        QObject::connect(sheet, &QAbstractItemModel::rowsInserted, [&] { ++other; });
        QObject::connect(sheet, &QAbstractItemModel::columnsInserted, [&] { ++other; });
        QObject::connect(sheet, &SheetModel::columnWidthChanged, [&] { ++other; });
    }
    runForecast(criteria(may1, may3), records, gradeSheet, orgSheet);
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(other, 0);
}

TEST_F(Search, QuotesInTheSectionCannotWidenTheSearch)
{
    fillHotel();
    SearchCriteria c = criteria(may1, may1);
    search(c);
    ASSERT_EQ(grade(2, 1), u"6"_s);
    ASSERT_EQ(org(1, 1), u"4"_s);

    c.sectionCode = u"x' or '1'='1"_s;
    search(c);
    EXPECT_EQ(grade(1, 1), QString());
    EXPECT_EQ(grade(2, 1), u"0"_s);
    EXPECT_EQ(org(1, 1), u"0"_s);
}

TEST_F(Search, QuotedValuesAreMatchedLiterally)
{
    addGrade(u"O'K"_s, u"特价"_s);
    addGrade(u"DK"_s, u"大床房"_s);
    addOrganisation(u"FIT"_s, u"散客"_s);
    addGradeRow({}, u"OCC"_s, u"O'K"_s, u"8"_s, u"B'1"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"O'K"_s, u"3"_s, u"B'1"_s, u"NSM,O'K"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"O'K"_s, u"1"_s, u"B'1"_s, u"NSM"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 2, u"O'K"_s, u"B'1"_s);
    addOrgRow(u"2006-05-01"_s, u"OCC"_s, u"FIT"_s, 5, u"DK"_s, u"B'1"_s);

    SearchCriteria c = criteria(may1, may1);
    c.sectionCode = u"B'1"_s;
    c.roomGrades = u"'O''K'"_s;
    search(c);
    ASSERT_EQ(gradeSheet.maxRows(), 5);
    EXPECT_EQ(grade(0, 1), u"O'K(特价)"_s);
    EXPECT_EQ(grade(1, 1), u"8"_s);
    EXPECT_EQ(grade(2, 1), u"4"_s);
    EXPECT_EQ(org(1, 1), u"2"_s);

    c.featureText = u"O'K"_s;
    search(c);
    EXPECT_EQ(grade(2, 1), u"-3"_s);
}

TEST_F(Search, MoreListRowsThanCountedFillOnlyTheCountedPlaces)
{
    // A duplicated code: counted once, listed twice.
    addGrade(u"DK"_s, u"大床房"_s);
    addGrade(u"DK"_s, u"大床房二"_s);
    addGrade(u"ST"_s, u"标准间"_s);
    addGradeRow({}, u"OCC"_s, u"DK"_s, u"10"_s);
    addGradeRow({}, u"OCC"_s, u"ST"_s, u"10"_s);
    addGradeRow(u"2006-05-01"_s, u"OCC"_s, u"DK"_s, u"3"_s);
    search(criteria(may1, may1));

    ASSERT_EQ(gradeSheet.maxRows(), 6);
    EXPECT_TRUE(grade(0, 1).startsWith(u"DK("_s)) << grade(0, 1).toStdString();
    EXPECT_TRUE(grade(0, 2).startsWith(u"DK("_s)) << grade(0, 2).toStdString();
    EXPECT_EQ(grade(0, 3), u"小计"_s);
    EXPECT_EQ(grade(1, 1), u"10"_s); // the first of equal codes takes the rows
    EXPECT_EQ(grade(1, 2), QString());
    EXPECT_EQ(grade(2, 1), u"7"_s);
    EXPECT_EQ(grade(2, 2), u"0"_s);
    EXPECT_EQ(grade(1, 3), u"10"_s);
}

TEST_F(Search, CodeListHasExactlyTheCountedPlaces)
{
    addOrganisation(u"A"_s, u"甲"_s);
    addOrganisation(u"B"_s, u"乙"_s);
    addOrganisation(u"C"_s, u"丙"_s);
    const QString list = u"select code,Descp from Org order by code"_s;

    CodeList fewer = readCodeList(records, u"select 2 as Mn"_s, list);
    ASSERT_EQ(fewer.size(), 2);
    EXPECT_EQ(fewer.heading(1), u"B(乙)"_s);
    EXPECT_EQ(fewer.indexOf(u"C"_s), -1);

    CodeList more = readCodeList(records, u"select '4 codes' as mn"_s, list);
    ASSERT_EQ(more.size(), 4);
    EXPECT_EQ(more.heading(2), u"C(丙)"_s);
    EXPECT_EQ(more.heading(3), u"()"_s);

    EXPECT_EQ(readCodeList(records, u"select 3 as Mn where 0"_s, list).size(), 0);
    EXPECT_EQ(readCodeList(records, u"select 'x' as Mn"_s, list).size(), 0);
    EXPECT_EQ(readCodeList(records, u"select -2 as Mn"_s, list).size(), 0);
    EXPECT_FALSE(records.isOpen());
}

TEST_F(Search, AFailingQueryThrowsAndLeavesBothSheetsCleared)
{
    for (const QString &table : {u"rmtype"_s, u"Tavelin_1"_s, u"Org"_s, u"Tavelin_2"_s}) {
        exec(u"drop table if exists rmtype"_s);
        exec(u"drop table if exists Org"_s);
        exec(u"drop table if exists Tavelin_1"_s);
        exec(u"drop table if exists Tavelin_2"_s);
        exec(u"create table rmtype (code varchar(10), ChnDescp varchar(40))"_s);
        exec(u"create table Org (code varchar(10), Descp varchar(40))"_s);
        exec(u"create table Tavelin_1 (date date, type varchar(3), type2 varchar(6), type3 varchar(10), "
             "exposure varchar(60), rooms int, rooms_ED int)"_s);
        exec(u"create table Tavelin_2 (date date, type varchar(3), type1 varchar(10), type2 varchar(6), "
             "type3 varchar(10), rooms int, rooms_ED int)"_s);
        fillHotel();
        exec(u"drop table "_s + table);

        clearForecast(gradeSheet, orgSheet);
        EXPECT_THROW(runForecast(criteria(may1, may3), records, gradeSheet, orgSheet), DatabaseError)
            << table.toStdString();
        EXPECT_EQ(gradeSheet.maxRows(), 0) << table.toStdString();
        EXPECT_EQ(gradeSheet.maxCols(), 0) << table.toStdString();
        EXPECT_EQ(orgSheet.maxRows(), 0) << table.toStdString();
        EXPECT_EQ(orgSheet.maxCols(), 0) << table.toStdString();
        EXPECT_FALSE(records.isOpen());
    }
}

TEST_F(Search, AnUncheckedGradeListIsRefusedBeforeAnyQuery)
{
    fillHotel();
    search(criteria(may1, may1));
    ASSERT_GT(gradeSheet.maxRows(), 0);

    SearchCriteria c = criteria(may1, may1);
    c.roomGrades = u"'DK') or ('1'='1"_s;
    try {
        runForecast(c, records, gradeSheet, orgSheet);
        FAIL() << "no exception";
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.driverText(), u"客房等级列表格式不正确，请重新选择！"_s);
    }
    EXPECT_EQ(gradeSheet.maxRows(), 0);
    EXPECT_EQ(orgSheet.maxRows(), 0);
}

TEST_F(Search, PlainGradeCodesFromTheBoxFilterLikeQuotedOnes)
{
    fillHotel();
    SearchCriteria c = criteria(may1, may1);
    c.roomGrades = u" ST , DK"_s;
    search(c);
    ASSERT_EQ(gradeSheet.maxRows(), 6);
    EXPECT_EQ(grade(0, 1), u"DK(大床房)"_s);
    EXPECT_EQ(grade(0, 2), u"ST(标准间)"_s);
    EXPECT_EQ(grade(2, 1), u"6"_s);
}

// The host's connection is ODBC; its drivers hand dates and sums over in
// their own types.
class SearchOverOdbc : public Search
{
protected:
    SearchOverOdbc()
        : Search(openOdbcSqliteFile())
    {
    }
};

TEST_F(SearchOverOdbc, GivesTheSameSheets)
{
    fillHotel();
    addGradeRow(u"2006-05-02"_s, u"OOI"_s, u"ST"_s, u"2"_s);
    search(criteria(may1, QDate(2006, 5, 2)));

    EXPECT_EQ((QStringList{grade(1, 1), grade(2, 1), grade(3, 1), grade(3, 4), grade(2, 6)}),
              (QStringList{u"10"_s, u"6"_s, u"10"_s, u"2"_s, u"20.0"_s}));
    EXPECT_EQ((QStringList{org(1, 1), org(2, 1), org(3, 1), org(4, 3)}),
              (QStringList{u"4"_s, u"100.0%"_s, u"0"_s, u"100%"_s}));
}

} // namespace
} // namespace tavelin::test
