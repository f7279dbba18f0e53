// readGradeForecast and writeGradeGrid over arbitrary Tavelin_1 rows (see FuzzRows.h).

#include "FuzzRows.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/ForecastDays.h"
#include "forecast/GradeGrid.h"

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

// The rows as RecordSet hands them over, checked against what was bound.
std::vector<QStringList> readBack(RecordSet &records, const FuzzRows &input)
{
    records.open(rowsSql());
    check(records.recordCount() == int(input.rows.size()), "record count is not the row count");
    check(records.columnCount() == 4, "column count");
    std::vector<QStringList> rows;
    records.moveFirst();
    for (const std::vector<QVariant> &bound : input.rows) {
        check(!records.isEOF(), "end of rows too early");
        QStringList row;
        for (int f = 0; f < 4; ++f) {
            row.append(records.fieldValue(f));
            if (const std::optional<QString> expected = expectedText(bound[std::size_t(f)]))
                check(row.last() == *expected, "a value read back differently", row.last());
        }
        rows.push_back(row);
        records.moveNext();
    }
    check(records.isEOF(), "rows beyond the count");
    records.close();
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<FuzzRows> input = readFuzzRows(fuzzText(data, size));
    if (!input)
        return 0;
    QSqlDatabase &database = databaseWith(*input);
    RecordSet records(&database);
    const std::vector<QStringList> rows = readBack(records, *input);

    const CodeList &grades = input->codes;
    const GradeForecast forecast = readGradeForecast(records, rowsSql(), input->begin, input->end, grades);
    check(!records.isOpen(), "the record set was left open");

    const int days = forecast.dayCount;
    check(days == forecastDayCount(input->begin, input->end), "day count");
    check(days >= 1 && days <= ForecastDayPlaces, "day count outside 1 to 730");
    const auto n = std::size_t(grades.size());
    const auto d = std::size_t(days);
    check(forecast.totals.size() == n && forecast.occupied.size() == n * d && forecast.outOfInventory.size() == d
              && forecast.outOfOrder.size() == d && forecast.hasOutOfInventory.size() == d
              && forecast.hasOutOfOrder.size() == d,
          "sizes differ from the counts");

    // What the rows say, worked out row by row without the reader's caching.
    std::vector<QString> totals(n);
    std::vector<qint64> occupied(n * d, 0);
    std::vector<qint64> outOfInventory(d, 0);
    std::vector<qint64> outOfOrder(d, 0);
    std::vector<char> hasOutOfInventory(d, 0);
    std::vector<char> hasOutOfOrder(d, 0);
    for (const QStringList &row : rows) {
        const QString code = row[2].trimmed();
        const int grade = grades.indexOf(code);
        if (row[0].isEmpty()) {
            if (grade >= 0)
                totals[std::size_t(grade)] = row[3];
            continue;
        }
        const std::optional<int> day = forecastDayIndex(row[0], input->begin.toJulianDay(), days);
        if (!day)
            continue;
        check(*day >= 0 && *day < days, "day index outside the span", row[0]);
        const auto k = std::size_t(*day);
        if (row[1] == u"OCC") {
            if (grade >= 0)
                occupied[std::size_t(grade) * d + k] = leadingInt(row[3]);
        } else if (row[1] == u"OOI") {
            outOfInventory[k] += leadingInt(row[3]);
            hasOutOfInventory[k] = 1;
        } else {
            outOfOrder[k] += leadingInt(row[3]);
            hasOutOfOrder[k] = 1;
        }
    }
    check(forecast.totals == totals, "totals");
    for (std::size_t i = 0; i < n * d; ++i)
        check(forecast.occupied[i] == occupied[i], "occupied");
    for (std::size_t k = 0; k < d; ++k) {
        check(forecast.hasOutOfInventory[k] == hasOutOfInventory[k] && forecast.hasOutOfOrder[k] == hasOutOfOrder[k],
              "which days have OOI or OOO rows");
        check(forecast.outOfInventory[k] == outOfInventory[k] && forecast.outOfOrder[k] == outOfOrder[k],
              "OOI or OOO sums");
    }

    SheetModel sheet;
    writeGradeGrid(forecast, grades, sheet);
    check(sheet.maxRows() == int(n) + 4, "sheet rows");
    check(sheet.maxCols() == days + 1, "sheet columns");
    for (std::size_t g = 0; g < n; ++g) {
        const int row = int(g) + 1;
        check(sheet.cellText(0, row) == grades.heading(int(g)), "row heading");
        check(sheet.cellText(1, row) == totals[g], "total cell");
        for (std::size_t k = 0; k < d; ++k) {
            const qint64 free = leadingInt(totals[g]) - occupied[g * d + k];
            check(sheet.cellText(int(k) + 2, row) == numberText(free), "free rooms cell",
                  sheet.cellText(int(k) + 2, row));
        }
    }
    for (std::size_t k = 0; k < d; ++k) {
        const int column = int(k) + 2;
        check(sheet.cellText(column, int(n) + 2) == (hasOutOfInventory[k] ? numberText(outOfInventory[k]) : QString()),
              "OOI cell");
        check(sheet.cellText(column, int(n) + 3) == (hasOutOfOrder[k] ? numberText(outOfOrder[k]) : QString()),
              "OOO cell");
    }
    return 0;
}
