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

// Characters no statement can carry as they are: SQLite ends the text at a
// NUL, and reads an unpaired surrogate together with the unit after it, a
// closing quote included; libpq also stops at a NUL. They become U+FFFD, as
// Qt's UTF-8 drivers already turn an unpaired surrogate into, so the value
// still matches nothing but itself.
QString carriable(QStringView value)
{
    QString text = value.toString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isNull() || c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

QString gradeInList(const QStringList &roomGrades)
{
    QStringList codes;
    codes.reserve(roomGrades.size());
    for (const QString &code : roomGrades)
        codes.append(carriable(code));
    return formatGradeList(codes);
}

// LIKE takes % and _ as wildcards, and PostgreSQL takes a backslash as its
// escape; a feature code holding any of them is matched with an escape of its
// own, so that it still matches only itself. Other codes keep the plain text.
constexpr QChar LikeEscape = u'!';

bool needsLikeEscape(QStringView code)
{
    return code.contains(u'%') || code.contains(u'_') || code.contains(u'\\');
}

QString likeBody(QStringView code)
{
    if (!needsLikeEscape(code))
        return sqlStringBody(code);
    QString escaped;
    escaped.reserve(code.size() + 8);
    for (QChar c : code) {
        if (c == u'%' || c == u'_' || c == LikeEscape)
            escaped += LikeEscape;
        escaped += c;
    }
    return sqlStringBody(escaped);
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
    QString body = carriable(value);
    body.replace(u'\'', u"''"_s);
    return body;
}

QString gradeCountSql(const QStringList &roomGrades)
{
    if (roomGrades.isEmpty())
        return u"select count(distinct code) as Mn  from rmtype"_s;
    return fill(u"select count(distinct code) as Mn  from rmtype where code in (%s)",
                {gradeInList(roomGrades)});
}

QString gradeListSql(const QStringList &roomGrades)
{
    if (roomGrades.isEmpty())
        return u"select code,ChnDescp from rmtype order by code"_s;
    return fill(u"select code,ChnDescp from rmtype where code in(%s) order by code",
                {gradeInList(roomGrades)});
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
        values[count++] = gradeInList(filter.roomGrades);
    if (feature)
        values[count++] = likeBody(filter.featureCode);

    const QString begin = sqlDate(filter.begin);
    const QString end = sqlDate(filter.end);
    QString pattern = availabilityTexts[std::size_t(index)].toString();
    if (feature && needsLikeEscape(filter.featureCode))
        pattern.replace(u"like '%%%s%%'"_s, u"like '%%%s%%' escape '!'"_s);
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
                              gradeInList(filter.roomGrades)});
    if (section)
        return fill(pattern, {begin, end, sqlStringBody(filter.sectionCode)});
    if (grades)
        return fill(pattern, {begin, end, gradeInList(filter.roomGrades)});
    return fill(pattern, {begin, end});
}

} // namespace tavelin
