#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

namespace tavelin {

class RecordSet;

// Day places per row of the forecast tables: one more than the longest span
// that the checks let through.
inline constexpr int ForecastDayPlaces = 730;

// Number of day columns from begin to end inclusive, bounded to the day places
// so that an unchecked span cannot make the tables grow without limit.
int forecastDayCount(QDate begin, QDate end);

// Day index of a date text read from the database relative to the first day,
// or nothing when its first ten characters are no "yyyy-MM-dd" date or the
// day falls outside 0 .. dayCount - 1.
std::optional<int> forecastDayIndex(QStringView dateText, qint64 firstJulianDay, int dayCount);

// forecastDayIndex for a run of rows. Rows come grouped by date, so each date
// text is parsed only when it differs from the row before.
class DayIndexer
{
public:
    DayIndexer(QDate begin, int dayCount)
        : m_firstDay(begin.toJulianDay())
        , m_dayCount(dayCount)
    {
    }

    std::optional<int> operator()(const QString &dateText)
    {
        if (dateText != m_lastText) {
            m_lastDay = forecastDayIndex(dateText, m_firstDay, m_dayCount);
            m_lastText = dateText;
        }
        return m_lastDay;
    }

private:
    qint64 m_firstDay;
    int m_dayCount;
    QString m_lastText;
    std::optional<int> m_lastDay;
};

// "dd/MM".
QString dayHeading(QDate day);

// Friday and Saturday columns are shown green.
bool isGreenDay(QDate day);

// printf "%0.1f" of the value rounded to single precision first, then the suffix.
QString rateText(double value, char suffix = 0);

// Column position of a name in the open record set (names match regardless of
// case), so that a column read "by name" is looked up once per query, not per
// row. Falls back to -1 when the name is unknown.
int columnIndex(const RecordSet &recordSet, QStringView name);

} // namespace tavelin
