#include "forecast/ForecastSql.h"

#include "forecast/GradeList.h"

#include <array>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

// Indexed by: 8 if due-outs are included, + 4 for a grade list, + 2 for a
// section, + 1 for a feature. Keep them character for character, the lone
// "in(%s)" without a blank included; do not tidy them.
constexpr std::array<QStringView, 16> availabilityTexts = {
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type3 in (%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type3 in (%s) and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and type3 in (%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and type3 in(%s) and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type3 in (%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type3 in (%s) and exposure like '%%%s%%' group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and type3 in (%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_1 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and type3 in (%s) and exposure like '%%%s%%' group by date,type,type3",
};

// Indexed by: 4 if due-outs are included, + 2 for a grade list, + 1 for a
// section. The same care for the lone "in(%s)" of the third.
constexpr std::array<QStringView, 8> occupancyTexts = {
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) and type2='%s' group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) and type1 in(%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms_ED) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and type1 in (%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) and type2='%s' group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) and type1 in (%s) group by date,type,type3",
    u"select date,type,type3,sum(rooms) as rooms from Tavelin_2 where ((date>='%s' and date<='%s') or date is null) and type2='%s' and type1 in (%s) group by date,type,type3",
};

// printf-style filling limited to %s and %%, so that a value holding a percent
// sign or a placeholder is never read as one.
QString fill(QStringView pattern, std::initializer_list<QString> values)
{
    QString text;
    text.reserve(pattern.size() + 64);
    auto value = values.begin();
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            const QChar next = pattern[i + 1];
            if (next == u'%') {
                text += u'%';
                ++i;
                continue;
            }
            if (next == u's') {
                Q_ASSERT(value != values.end());
                if (value != values.end())
                    text += *value++;
                ++i;
                continue;
            }
        }
        text += c;
    }
    Q_ASSERT(value == values.end());
    return text;
}

QString sqlDate(QDate date)
{
    return date.toString(u"yyyy-MM-dd");
}

bool isAll(const QString &code)
{
    return code == u"All";
}

} // namespace

QString sqlStringBody(QStringView value)
{
    QString body = value.toString();
    body.replace(u'\'', u"''"_s);
    return body;
}

QString gradeCountSql(const QStringList &roomGrades)
{
    if (roomGrades.isEmpty())
        return u"select count(distinct code) as Mn  from rmtype"_s;
    return fill(u"select count(distinct code) as Mn  from rmtype where code in (%s)",
                {formatGradeList(roomGrades)});
}

QString gradeListSql(const QStringList &roomGrades)
{
    if (roomGrades.isEmpty())
        return u"select code,ChnDescp from rmtype order by code"_s;
    return fill(u"select code,ChnDescp from rmtype where code in(%s) order by code",
                {formatGradeList(roomGrades)});
}

QString organisationCountSql()
{
    return u"select count(distinct code) as Mn  from Org"_s;
}

QString organisationListSql()
{
    return u"select code,Descp from org order by code"_s;
}

QString availabilitySql(const ForecastFilter &filter)
{
    const bool grades = !filter.roomGrades.isEmpty();
    const bool section = !isAll(filter.sectionCode);
    const bool feature = !isAll(filter.featureCode);
    const int index = (filter.includeDueOut ? 8 : 0) + (grades ? 4 : 0) + (section ? 2 : 0)
                      + (feature ? 1 : 0);

    // Values in the order the texts take them: section, grades, feature.
    QString values[3];
    int count = 0;
    if (section)
        values[count++] = sqlStringBody(filter.sectionCode);
    if (grades)
        values[count++] = formatGradeList(filter.roomGrades);
    if (feature)
        values[count++] = sqlStringBody(filter.featureCode);

    const QString begin = sqlDate(filter.begin);
    const QString end = sqlDate(filter.end);
    const QStringView pattern = availabilityTexts[std::size_t(index)];
    switch (count) {
    case 0:
        return fill(pattern, {begin, end});
    case 1:
        return fill(pattern, {begin, end, values[0]});
    case 2:
        return fill(pattern, {begin, end, values[0], values[1]});
    default:
        return fill(pattern, {begin, end, values[0], values[1], values[2]});
    }
}

QString occupancySql(const ForecastFilter &filter)
{
    const bool grades = !filter.roomGrades.isEmpty();
    const bool section = !isAll(filter.sectionCode);
    const int index = (filter.includeDueOut ? 4 : 0) + (grades ? 2 : 0) + (section ? 1 : 0);

    const QString begin = sqlDate(filter.begin);
    const QString end = sqlDate(filter.end);
    const QStringView pattern = occupancyTexts[std::size_t(index)];
    if (section && grades)
        return fill(pattern, {begin, end, sqlStringBody(filter.sectionCode),
                              formatGradeList(filter.roomGrades)});
    if (section)
        return fill(pattern, {begin, end, sqlStringBody(filter.sectionCode)});
    if (grades)
        return fill(pattern, {begin, end, formatGradeList(filter.roomGrades)});
    return fill(pattern, {begin, end});
}

} // namespace tavelin
