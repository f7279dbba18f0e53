#include "ForecastFixture.h"

using namespace Qt::StringLiterals;

namespace tavelin::test {

namespace {

QString sqlValue(const QString &text)
{
    if (text.isNull())
        return u"null"_s;
    QString quoted = text;
    quoted.replace(u'\'', u"''"_s);
    return u'\'' % quoted % u'\'';
}

} // namespace

ForecastFixture::ForecastFixture()
    : ForecastFixture(openSqliteMemory())
{
}

ForecastFixture::ForecastFixture(ScopedConnection database)
    : connection(std::move(database))
{
    exec(u"create table rmtype (code varchar(10), ChnDescp varchar(40))"_s);
    exec(u"create table Org (code varchar(10), Descp varchar(40))"_s);
    exec(u"create table Tavelin_1 (date date, type varchar(3), type2 varchar(6), type3 varchar(10), "
         "exposure varchar(60), rooms int, rooms_ED int)"_s);
    exec(u"create table Tavelin_2 (date date, type varchar(3), type1 varchar(10), type2 varchar(6), "
         "type3 varchar(10), rooms int, rooms_ED int)"_s);
}

ForecastFixture::~ForecastFixture()
{
    records.close();
}

void ForecastFixture::exec(const QString &sql)
{
    EXPECT_TRUE(execAll(*connection, {sql}));
}

void ForecastFixture::addGrade(const QString &code, const QString &description)
{
    exec(u"insert into rmtype values ("_s + sqlValue(code) + u", "_s + sqlValue(description) + u')');
}

void ForecastFixture::addOrganisation(const QString &code, const QString &description)
{
    exec(u"insert into Org values ("_s + sqlValue(code) + u", "_s + sqlValue(description) + u')');
}

void ForecastFixture::addGradeRow(const QString &date, const QString &type, const QString &grade,
                                  const QString &rooms, const QString &section,
                                  const QString &exposure, std::optional<int> roomsDueOutExcluded)
{
    const QString excluded = roomsDueOutExcluded ? QString::number(*roomsDueOutExcluded)
                                                 : sqlValue(rooms);
    exec(u"insert into Tavelin_1 values ("_s + (date.isEmpty() ? u"null"_s : sqlValue(date))
         + u", "_s + sqlValue(type) + u", "_s + sqlValue(section) + u", "_s + sqlValue(grade)
         + u", "_s + sqlValue(exposure) + u", "_s + sqlValue(rooms) + u", "_s + excluded + u')');
}

void ForecastFixture::addOrgRow(const QString &date, const QString &type, const QString &organisation,
                                int rooms, const QString &grade, const QString &section,
                                std::optional<int> roomsDueOutExcluded)
{
    exec(u"insert into Tavelin_2 values ("_s + (date.isEmpty() ? u"null"_s : sqlValue(date))
         + u", "_s + sqlValue(type) + u", "_s + sqlValue(grade) + u", "_s + sqlValue(section)
         + u", "_s + sqlValue(organisation) + u", "_s + QString::number(rooms) + u", "_s
         + QString::number(roomsDueOutExcluded.value_or(rooms)) + u')');
}

SearchCriteria ForecastFixture::criteria(QDate begin, QDate end)
{
    SearchCriteria criteria;
    criteria.begin = begin;
    criteria.end = end;
    criteria.businessDate = begin;
    return criteria;
}

void ForecastFixture::search(SearchCriteria criteria)
{
    clearForecast(gradeSheet, orgSheet);
    const std::optional<CheckFailure> failure = checkCriteria(criteria);
    ASSERT_FALSE(failure) << failure->message.toStdString();
    runForecast(criteria, records, gradeSheet, orgSheet);
}

} // namespace tavelin::test
