#include "forecast/ForecastDays.h"

#include "data/RecordSet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace tavelin {

namespace {

// Digits at [from, from + count) as a number, or -1 if any is not an ASCII digit.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "0.0" to "100.0", with (kind 1) or without (kind 0) a trailing '%'.
const QString &cachedTenths(int tenths, int kind)
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> made;
        made.reserve(2 * 1001);
        for (const char *suffix : {"", "%"}) {
            for (int i = 0; i <= 1000; ++i) {
                made.push_back(QString::number(i / 10) + u'.' + QChar(u'0' + i % 10)
                               + QLatin1StringView(suffix));
            }
        }
        return made;
    }();
    return texts[std::size_t(kind * 1001 + tenths)];
}

void appendTwoDigits(QString &text, int value)
{
    text += QChar(u'0' + value / 10);
    text += QChar(u'0' + value % 10);
}

} // namespace

int forecastDayCount(QDate begin, QDate end)
{
    const qint64 span = begin.daysTo(end);
    return int(std::clamp<qint64>(span, 0, ForecastDayPlaces - 1)) + 1;
}

std::optional<int> forecastDayIndex(QStringView dateText, qint64 firstJulianDay, int dayCount)
{
    // A hand-rolled reading: QDate::fromString with a format costs more than
    // the rest of the row, and the tables deliver hundreds of thousands.
    if (dateText.size() < 10 || dateText[4] != u'-' || dateText[7] != u'-')
        return std::nullopt;
    const int year = digits(dateText, 0, 4);
    const int month = digits(dateText, 5, 2);
    const int day = digits(dateText, 8, 2);
    if (year < 0 || month < 0 || day < 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    const qint64 index = QDate(year, month, day).toJulianDay() - firstJulianDay;
    if (index < 0 || index >= dayCount)
        return std::nullopt;
    return int(index);
}

QString dayHeading(QDate day)
{
    QString heading;
    heading.reserve(5);
    appendTwoDigits(heading, day.day());
    heading += u'/';
    appendTwoDigits(heading, day.month());
    return heading;
}

bool isGreenDay(QDate day)
{
    const int weekDay = day.dayOfWeek();
    return weekDay == Qt::Friday || weekDay == Qt::Saturday;
}

QString rateText(double value, char suffix)
{
    const double rounded = double(float(value));

    // Shares and rates are small and not negative: their tenths are counted
    // directly, and the thousand and one shares from 0.0 to 100.0 are shared
    // texts, instead of a formatting and an allocation for each of the 220,000
    // share cells of the largest grid. The result is printf's: rounded * 10
    // is exact (a float's 24 bits times 10 fit a double), and nearbyint rounds
    // it to the nearest, halves (x.25, x.75) to even, as printf does.
    if (!std::signbit(rounded) && rounded < 1e8) {
        const auto tenths = qint64(std::nearbyint(rounded * 10.0));
        if (tenths <= 1000 && (suffix == 0 || suffix == '%'))
            return cachedTenths(int(tenths), suffix == 0 ? 0 : 1);
        QString text = QString::number(tenths / 10) + u'.' + QChar(u'0' + int(tenths % 10));
        if (suffix != 0)
            text += QLatin1Char(suffix);
        return text;
    }

    // std::to_chars with a precision formats as printf does, without the cost
    // of QString::asprintf.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, rounded, std::chars_format::fixed, 1);
    if (result.ec != std::errc())
        return QString();
    if (suffix != 0)
        *result.ptr++ = suffix;
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

int columnIndex(const RecordSet &recordSet, QStringView name)
{
    const QStringList &names = recordSet.columnNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

} // namespace tavelin
