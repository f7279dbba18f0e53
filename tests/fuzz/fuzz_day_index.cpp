// forecastDayIndex, the date reading of every dated forecast row, and the
// DayIndexer that caches it over runs of equal dates.
//
// Input lines: the first day as days from 1 May 2006, the day count, then
// date texts.

#include "FuzzInput.h"

#include "forecast/ForecastDays.h"

#include <optional>

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A date is read when its first ten characters are exactly digits and dashes
// in "yyyy-MM-dd" and name a real day.
std::optional<QDate> readableDate(QStringView text)
{
    if (text.size() < 10)
        return std::nullopt;
    for (int i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? text[i] != u'-' : !isAsciiDigit(text[i]))
            return std::nullopt;
    }
    const QDate date(text.first(4).toInt(), text.sliced(5, 2).toInt(), text.sliced(8, 2).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList lines = fuzzParts(fuzzText(data, size), u'\n');
    if (lines.size() < 3)
        return 0;
    // Callers pass the Julian day of a real QDate, which an int of days keeps.
    const QDate begin = QDate(2006, 5, 1).addDays(lines[0].toInt());
    if (!begin.isValid())
        return 0;
    const int dayCount = lines[1].toInt();

    DayIndexer indexer(begin, dayCount);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString &text = lines[i];
        const std::optional<int> day = forecastDayIndex(text, begin.toJulianDay(), dayCount);
        if (day)
            check(*day >= 0 && *day < dayCount, "day index outside the span", text);

        const std::optional<QDate> date = readableDate(text);
        if (date && begin.daysTo(*date) >= 0 && begin.daysTo(*date) < dayCount)
            check(day == int(begin.daysTo(*date)), "a date in the span was not placed on its day", text);
        else
            check(!day, "a date outside the span or no date was placed", text);

        check(indexer(text) == day, "the indexer differs from the direct reading", text);
    }
    return 0;
}
