#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace tavelin {

class CodeList;
class RecordSet;
class SheetModel;

// The rows of a Tavelin_1 query arranged by grade and day.
struct GradeForecast
{
    QDate begin;
    int dayCount = 0;               // day columns, 1 to 730
    std::vector<QString> totals;    // per grade, the undated row's text as delivered
    std::vector<int> occupied;      // grade * dayCount + day: the last "OCC" count
    // Sums are wider than the counts they add up, so that no rows can overflow them.
    std::vector<qint64> outOfInventory; // per day: sum of "OOI" rows
    std::vector<qint64> outOfOrder;     // per day: sum of every other row type
    std::vector<char> hasOutOfInventory; // a day without such rows shows an empty cell
    std::vector<char> hasOutOfOrder;
};

// Reads the rows of the Tavelin_1 text. Rows of unlisted grades, and dated rows
// whose date cannot be read or lies outside the span, are ignored.
GradeForecast readGradeForecast(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                                const CodeList &grades);

// Lays out the availability sheet from the arranged rows, in one batch.
void writeGradeGrid(const GradeForecast &forecast, const CodeList &grades, SheetModel &sheet);

// Both of the above.
void buildGradeGrid(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                    const CodeList &grades, SheetModel &sheet);

} // namespace tavelin
