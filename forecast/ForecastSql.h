#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tavelin {

// The filters of one forecast, in the form the SQL texts take them.
struct ForecastFilter
{
    QDate begin;
    QDate end;
    bool includeDueOut = true;                   // sum rooms, else rooms_ED
    QString sectionCode = QStringLiteral("All"); // "All": no type2 filter
    QString featureCode = QStringLiteral("All"); // "All": no exposure filter
    QStringList roomGrades;                      // codes without quotes; empty: every grade
};

// The body of an SQL string literal: the value with its single quotes doubled,
// and a NUL or an unpaired surrogate, which no driver passes on intact, as U+FFFD.
QString sqlStringBody(QStringView value);

// Room grades of the forecast: the distinct count and the list (code, description).
QString gradeCountSql(const QStringList &roomGrades);
QString gradeListSql(const QStringList &roomGrades);

// Organisations: the distinct count and the list (code, description).
QString organisationCountSql();
QString organisationListSql();

// The forecast rows by room grade (Tavelin_1) and by organisation (Tavelin_2).
QString availabilitySql(const ForecastFilter &filter);
QString occupancySql(const ForecastFilter &filter);

} // namespace tavelin
