// readOrgForecast and writeOrgGrid over arbitrary Tavelin_2 rows (see FuzzRows.h).

#include "FuzzRows.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/ForecastDays.h"
#include "forecast/OrgGrid.h"

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<FuzzRows> input = readFuzzRows(fuzzText(data, size));
    if (!input)
        return 0;
    QSqlDatabase &database = databaseWith(*input);
    RecordSet records(&database);

    std::vector<QStringList> rows;
    records.open(rowsSql());
    check(records.recordCount() == int(input->rows.size()), "record count is not the row count");
    for (records.moveFirst(); !records.isEOF(); records.moveNext()) {
        rows.push_back({records.fieldValue(0), records.fieldValue(1), records.fieldValue(2),
                        records.fieldValue(3)});
    }
    records.close();

    const CodeList &organisations = input->codes;
    const OrgForecast forecast
        = readOrgForecast(records, rowsSql(), input->begin, input->end, organisations);
    check(!records.isOpen(), "the record set was left open");

    const int days = forecast.dayCount;
    check(days == forecastDayCount(input->begin, input->end), "day count");
    check(days >= 1 && days <= ForecastDayPlaces, "day count outside 1 to 730");
    const auto m = std::size_t(organisations.size());
    const auto d = std::size_t(days);
    check(forecast.rooms.size() == m * d, "size differs from the counts");

    // Codes are compared exactly here: no trimming, unlike the grades.
    std::vector<qint64> rooms(m * d, 0);
    for (const QStringList &row : rows) {
        if (row[0].isEmpty() || row[1] != u"OCC")
            continue;
        const int organisation = organisations.indexOf(row[2]);
        const std::optional<int> day = forecastDayIndex(row[0], input->begin.toJulianDay(), days);
        if (organisation >= 0 && day)
            rooms[std::size_t(organisation) * d + std::size_t(*day)] = leadingInt(row[3]);
    }
    for (std::size_t i = 0; i < m * d; ++i)
        check(forecast.rooms[i] == rooms[i], "rooms");

    SheetModel sheet;
    writeOrgGrid(forecast, organisations, sheet);
    check(sheet.maxRows() == int(m) + 1, "sheet rows");
    check(sheet.maxCols() == 2 * days, "sheet columns");
    for (std::size_t k = 0; k < d; ++k) {
        const int column = 2 * int(k) + 1;
        qint64 sum = 0;
        for (std::size_t o = 0; o < m; ++o) {
            sum += rooms[o * d + k];
            check(sheet.cellText(column, int(o) + 1) == numberText(rooms[o * d + k]), "rooms cell");
        }
        check(sheet.cellText(column, int(m) + 1) == numberText(sum), "day sum cell",
              sheet.cellText(column, int(m) + 1));
        check(sheet.cellText(column + 1, int(m) + 1) == u"100%"_s, "share sum cell");
    }
    return 0;
}
