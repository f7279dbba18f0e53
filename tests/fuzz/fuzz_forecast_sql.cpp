// The SQL texts of a search with arbitrary section, feature and grade codes.
// Input lines: the section code, the feature code, the grade codes separated
// by tabs (an empty line: every grade).
//
// Each text must keep the shape of the same text with benign values, and
// must run on SQLite without an error.

#include "FuzzInput.h"

#include "forecast/ForecastSql.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

struct Shape
{
    QString skeleton; // literals as '?', a LIKE's escape clause taken out
    int literals = 0;
    bool closed = true;
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
        for (++i;; ++i) {
            if (i >= sql.size()) {
                shape.closed = false;
                break;
            }
            if (sql[i] == u'\'') {
                if (i + 1 < sql.size() && sql[i + 1] == u'\'') {
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
        }
        shape.skeleton += u"'?'"_s;
        ++shape.literals;
    }
    if (shape.skeleton.contains(u"'?' escape '?'"_s)) {
        shape.skeleton.replace(u"'?' escape '?'"_s, u"'?'"_s);
        --shape.literals;
    }
    return shape;
}

// What a driver hands on intact: no NUL, no unpaired surrogate.
bool carriable(const QString &sql)
{
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i].isNull() || sql[i].isLowSurrogate())
            return false;
        if (sql[i].isHighSurrogate()) {
            if (i + 1 >= sql.size() || !sql[i + 1].isLowSurrogate())
                return false;
            ++i;
        }
    }
    return true;
}

QSqlDatabase &database()
{
    static QSqlDatabase db = [] {
        ensureApplication();
        QSqlDatabase opened = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fuzz-sql"_s);
        opened.setDatabaseName(u":memory:"_s);
        if (!opened.open())
            fail("cannot open the in-memory database", opened.lastError().text());
        QSqlQuery query(opened);
        for (const QString &sql :
             {u"create table rmtype (code, ChnDescp)"_s, u"create table Org (code, Descp)"_s,
              u"create table Tavelin_1 (date, type, type2, type3, exposure, rooms, rooms_ED)"_s,
              u"create table Tavelin_2 (date, type, type1, type2, type3, rooms, rooms_ED)"_s}) {
            if (!query.exec(sql))
                fail("cannot create the tables", query.lastError().text());
        }
        return opened;
    }();
    return db;
}

void checkText(const QString &sql, const QString &benign)
{
    check(carriable(sql), "a character no driver carries", sql);
    const Shape shape = shapeOf(sql);
    const Shape expected = shapeOf(benign);
    check(shape.closed, "a literal runs to the end", sql);
    check(shape.skeleton == expected.skeleton && shape.literals == expected.literals,
          "the statement changed its shape", sql);
    QSqlQuery query(database());
    check(query.exec(sql), "the statement does not run", query.lastError().text() + u" in "_s + sql);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList lines = fuzzParts(fuzzText(data, size), u'\n');
    if (lines.size() < 3)
        return 0;

    ForecastFilter filter;
    filter.begin = QDate(2006, 5, 1);
    filter.end = QDate(2006, 5, 3);
    filter.sectionCode = lines[0];
    filter.featureCode = lines[1];
    if (!lines[2].isEmpty())
        filter.roomGrades = fuzzParts(lines[2], u'\t');

    ForecastFilter benign = filter;
    if (benign.sectionCode != u"All")
        benign.sectionCode = u"S"_s;
    if (benign.featureCode != u"All")
        benign.featureCode = u"F"_s;
    for (QString &code : benign.roomGrades)
        code = u"G"_s;

    for (const bool dueOut : {true, false}) {
        filter.includeDueOut = benign.includeDueOut = dueOut;
        checkText(availabilitySql(filter), availabilitySql(benign));
        checkText(occupancySql(filter), occupancySql(benign));
    }
    checkText(gradeCountSql(filter.roomGrades), gradeCountSql(benign.roomGrades));
    checkText(gradeListSql(filter.roomGrades), gradeListSql(benign.roomGrades));
    return 0;
}
