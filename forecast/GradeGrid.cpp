#include "forecast/GradeGrid.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/CodeList.h"
#include "forecast/ForecastDays.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace tavelin {

GradeForecast readGradeForecast(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                                const CodeList &grades)
{
    GradeForecast forecast;
    forecast.begin = begin;
    forecast.dayCount = forecastDayCount(begin, end);
    const auto days = std::size_t(forecast.dayCount);
    const auto n = std::size_t(grades.size());
    forecast.totals.resize(n);
    forecast.occupied.assign(n * days, 0);
    forecast.outOfInventory.assign(days, 0);
    forecast.outOfOrder.assign(days, 0);
    forecast.hasOutOfInventory.assign(days, 0);
    forecast.hasOutOfOrder.assign(days, 0);

    recordSet.open(sql);
    if (recordSet.recordCount() > 0) {
        const int dateColumn = columnIndex(recordSet, u"date");
        DayIndexer dayOf(begin, forecast.dayCount);
        recordSet.moveFirst();
        while (!recordSet.isEOF()) {
            const QString date = dateColumn >= 0 ? recordSet.fieldValue(dateColumn)
                                                 : recordSet.fieldValue(u"date"_s);
            const QString type = recordSet.fieldValue(1);
            const QString code = recordSet.fieldValue(2).trimmed();
            const QString rooms = recordSet.fieldValue(3);

            if (date.isEmpty()) {
                if (const int grade = grades.indexOf(code); grade >= 0)
                    forecast.totals[std::size_t(grade)] = rooms;
            } else if (const std::optional<int> day = dayOf(date)) {
                const auto k = std::size_t(*day);
                if (type == u"OCC") {
                    if (const int grade = grades.indexOf(code); grade >= 0)
                        forecast.occupied[std::size_t(grade) * days + k] = leadingInt(rooms);
                } else if (type == u"OOI") {
                    forecast.outOfInventory[k] += leadingInt(rooms);
                    forecast.hasOutOfInventory[k] = 1;
                } else {
                    forecast.outOfOrder[k] += leadingInt(rooms);
                    forecast.hasOutOfOrder[k] = 1;
                }
            }
            recordSet.moveNext();
        }
    }
    recordSet.close();
    return forecast;
}

void writeGradeGrid(const GradeForecast &forecast, const CodeList &grades, SheetModel &sheet)
{
    const SheetModel::Batch batch(sheet);
    const int n = grades.size();
    const auto days = std::size_t(forecast.dayCount);

    sheet.setMaxRows(n + 4);

    sheet.setCol(0);
    for (int r = 1; r <= n; ++r) {
        sheet.setRow(r);
        sheet.setText(grades.heading(r - 1));
    }
    sheet.setRow(n + 1);
    sheet.setText(u"小计"_s);
    sheet.setRow(n + 2);
    sheet.setText(u"OOI"_s);
    sheet.setRow(n + 3);
    sheet.setText(u"OOO"_s);
    sheet.setRow(n + 4);
    sheet.setText(u"预计占房率%"_s);

    sheet.setMaxCols(forecast.dayCount + 1);

    std::vector<qint64> totals(static_cast<std::size_t>(n));
    qint64 total = 0;
    sheet.setCol(1);
    sheet.setRow(0);
    sheet.setText(u"总数"_s);
    for (int r = 1; r <= n; ++r) {
        const QString &text = forecast.totals[std::size_t(r - 1)];
        sheet.setRow(r);
        sheet.setText(text);
        totals[std::size_t(r - 1)] = leadingInt(text);
        total += totals[std::size_t(r - 1)];
    }
    sheet.setRow(n + 1);
    sheet.setText(numberText(total));

    for (int k = 0; k < forecast.dayCount; ++k) {
        const int column = k + 2;
        const QDate day = forecast.begin.addDays(k);
        sheet.setColWidth(column, 6.4);

        // The column's green goes first so that a red cell set after it wins.
        sheet.setCol(column);
        sheet.setRow(-1);
        if (isGreenDay(day))
            sheet.setForeColor(SheetModel::Green);
        sheet.setRow(0);
        sheet.setText(dayHeading(day));

        qint64 available = 0;
        for (int r = 1; r <= n; ++r) {
            const qint64 free = totals[std::size_t(r - 1)]
                             - forecast.occupied[std::size_t(r - 1) * days + std::size_t(k)];
            available += free;
            sheet.setRow(r);
            if (free < 0)
                sheet.setForeColor(SheetModel::Red);
            sheet.setText(numberText(free));
        }
        sheet.setRow(n + 1);
        if (available < 0)
            sheet.setForeColor(SheetModel::Red);
        sheet.setText(numberText(available));

        sheet.setRow(n + 2);
        sheet.setText(forecast.hasOutOfInventory[std::size_t(k)]
                          ? numberText(forecast.outOfInventory[std::size_t(k)])
                          : QString());
        sheet.setRow(n + 3);
        sheet.setText(forecast.hasOutOfOrder[std::size_t(k)]
                          ? numberText(forecast.outOfOrder[std::size_t(k)])
                          : QString());

        // Without any rooms counted there is no rate to show.
        if (total != 0) {
            sheet.setRow(n + 4);
            sheet.setText(rateText(double(total - available) * 100.0 / double(total)));
        }
    }
}

void buildGradeGrid(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                    const CodeList &grades, SheetModel &sheet)
{
    writeGradeGrid(readGradeForecast(recordSet, sql, begin, end, grades), grades, sheet);
}

} // namespace tavelin
