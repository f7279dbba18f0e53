#include "forecast/OrgGrid.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/CodeList.h"
#include "forecast/ForecastDays.h"

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
    const qint64 firstDay = begin.toJulianDay();

    recordSet.open(sql);
    if (recordSet.recordCount() > 0) {
        const int dateColumn = columnIndex(recordSet, u"date");
        recordSet.moveFirst();
        while (!recordSet.isEOF()) {
            const QString date = dateColumn >= 0 ? recordSet.fieldValue(dateColumn)
                                                 : recordSet.fieldValue(u"date"_s);
            if (!date.isEmpty() && recordSet.fieldValue(1) == u"OCC") {
                const int organisation = organisations.indexOf(recordSet.fieldValue(2));
                if (organisation >= 0) {
                    if (const auto day = forecastDayIndex(date, firstDay, forecast.dayCount)) {
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
    const auto days = std::size_t(forecast.dayCount);

    sheet.setMaxRows(m + 1);

    sheet.setCol(0);
    for (int r = 1; r <= m; ++r) {
        sheet.setRow(r);
        sheet.setText(organisations.heading(r - 1));
    }
    sheet.setRow(m + 1);
    sheet.setText(u"小计"_s);

    sheet.setMaxCols(2 * forecast.dayCount);

    const QString shareHeading = u" "_s;
    const QString fullShare = u"100%"_s;
    for (int k = 0; k < forecast.dayCount; ++k) {
        const int column = 2 * k + 1;
        const QDate day = forecast.begin.addDays(k);

        sheet.setCol(column);
        sheet.setRow(0);
        sheet.setText(dayHeading(day));
        sheet.setCol(column + 1);
        sheet.setRow(0);
        sheet.setText(shareHeading);

        if (isGreenDay(day)) {
            sheet.setCol(column);
            sheet.setRow(-1);
            sheet.setForeColor(SheetModel::Green);
            sheet.setCol(column + 1);
            sheet.setRow(-1);
            sheet.setForeColor(SheetModel::Green);
        }

        sheet.setCol(column);
        int sum = 0;
        for (int r = 1; r <= m; ++r) {
            const int rooms = forecast.rooms[std::size_t(r - 1) * days + std::size_t(k)];
            sum += rooms;
            sheet.setRow(r);
            sheet.setText(QString::number(rooms));
        }
        sheet.setRow(m + 1);
        sheet.setText(QString::number(sum));

        sheet.setCol(column + 1);
        if (sum != 0) {
            for (int r = 1; r <= m; ++r) {
                const int rooms = forecast.rooms[std::size_t(r - 1) * days + std::size_t(k)];
                sheet.setRow(r);
                sheet.setText(rateText(double(rooms * 100) / sum, '%'));
            }
        }
        sheet.setRow(m + 1);
        sheet.setText(fullShare);
    }
}

void buildOrgGrid(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                  const CodeList &organisations, SheetModel &sheet)
{
    writeOrgGrid(readOrgForecast(recordSet, sql, begin, end, organisations), organisations, sheet);
}

} // namespace tavelin
