#include "forecast/OrgGrid.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/CodeList.h"
#include "forecast/ForecastDays.h"

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace tavelin {

OrgForecast readOrgForecast(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                            const CodeList &organisations)
{
    OrgForecast forecast;
    forecast.begin = begin;
    forecast.dayCount = forecastDayCount(begin, end);
    const auto days = std::size_t(forecast.dayCount);
    forecast.rooms.assign(std::size_t(organisations.size()) * days, 0);

    recordSet.open(sql);
    if (recordSet.recordCount() > 0) {
        const int dateColumn = columnIndex(recordSet, u"date");
        DayIndexer dayOf(begin, forecast.dayCount);
        recordSet.moveFirst();
        while (!recordSet.isEOF()) {
            const QString date = dateColumn >= 0 ? recordSet.fieldValue(dateColumn)
                                                 : recordSet.fieldValue(u"date"_s);
            if (!date.isEmpty() && recordSet.fieldValue(1) == u"OCC") {
                const int organisation = organisations.indexOf(recordSet.fieldValue(2));
                if (organisation >= 0) {
                    if (const std::optional<int> day = dayOf(date)) {
                        forecast.rooms[std::size_t(organisation) * days + std::size_t(*day)]
                            = leadingInt(recordSet.fieldValue(3));
                    }
                }
            }
            recordSet.moveNext();
        }
    }
    recordSet.close();
    return forecast;
}

void writeOrgGrid(const OrgForecast &forecast, const CodeList &organisations, SheetModel &sheet)
{
    const SheetModel::Batch batch(sheet);
    const int m = organisations.size();
    const int dayCount = forecast.dayCount;
    const auto days = std::size_t(dayCount);

    sheet.setMaxRows(m + 1);

    sheet.setCol(0);
    for (int r = 1; r <= m; ++r) {
        sheet.setRow(r);
        sheet.setText(organisations.heading(r - 1));
    }
    sheet.setRow(m + 1);
    sheet.setText(u"小计"_s);

    sheet.setMaxCols(2 * dayCount);

    // The day sums first, as the shares need them; then the cells row by row,
    // the order the sheet stores them in. Column by column, each of the
    // 440,000 writes of the largest grid would land a whole row (35 kB) away
    // from the one before, and miss the cache.
    // Wider than the counts, so that no number of organisations can overflow them.
    std::vector<qint64> sums(days, 0);
    for (int r = 0; r < m; ++r) {
        const int *rooms = forecast.rooms.data() + std::size_t(r) * days;
        for (std::size_t k = 0; k < days; ++k)
            sums[k] += rooms[k];
    }

    const QString shareHeading = u" "_s;
    const QString fullShare = u"100%"_s;
    sheet.setRow(0);
    for (int k = 0; k < dayCount; ++k) {
        sheet.setCol(2 * k + 1);
        sheet.setText(dayHeading(forecast.begin.addDays(k)));
        sheet.setCol(2 * k + 2);
        sheet.setText(shareHeading);
    }

    for (int r = 1; r <= m; ++r) {
        sheet.setRow(r);
        const int *rooms = forecast.rooms.data() + std::size_t(r - 1) * days;
        for (int k = 0; k < dayCount; ++k) {
            sheet.setCol(2 * k + 1);
            sheet.setText(numberText(rooms[k]));
            if (const qint64 sum = sums[std::size_t(k)]; sum != 0) {
                sheet.setCol(2 * k + 2);
                sheet.setText(rateText(double(rooms[k]) * 100 / double(sum), '%'));
            }
        }
    }

    sheet.setRow(m + 1);
    for (int k = 0; k < dayCount; ++k) {
        sheet.setCol(2 * k + 1);
        sheet.setText(numberText(sums[std::size_t(k)]));
        sheet.setCol(2 * k + 2);
        sheet.setText(fullShare);
    }

    // Friday and Saturday, both columns of the day, green from the heading down.
    sheet.setRow(-1);
    for (int k = 0; k < dayCount; ++k) {
        if (isGreenDay(forecast.begin.addDays(k))) {
            sheet.setCol(2 * k + 1);
            sheet.setForeColor(SheetModel::Green);
            sheet.setCol(2 * k + 2);
            sheet.setForeColor(SheetModel::Green);
        }
    }

    // The cursor where writing column by column used to leave it.
    sheet.setCol(2 * dayCount);
    sheet.setRow(m + 1);
}

void buildOrgGrid(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                  const CodeList &organisations, SheetModel &sheet)
{
    writeOrgGrid(readOrgForecast(recordSet, sql, begin, end, organisations), organisations, sheet);
}

} // namespace tavelin
