#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace tavelin {

class CodeList;
class RecordSet;
class SheetModel;

// The "OCC" rows of a Tavelin_2 query arranged by organisation and day.
struct OrgForecast
{
    QDate begin;
    int dayCount = 0;       // days, 1 to 730; two sheet columns each
    std::vector<int> rooms; // organisation * dayCount + day: the last "OCC" count
};

// Reads the rows of the Tavelin_2 text. Undated rows, rows of any type but
// "OCC", rows of unlisted organisations (codes compared exactly, blanks
// included) and dated rows whose date cannot be read or lies outside the span
// are ignored.
OrgForecast readOrgForecast(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                            const CodeList &organisations);

// Lays out the occupancy sheet from the arranged rows, in one batch.
void writeOrgGrid(const OrgForecast &forecast, const CodeList &organisations, SheetModel &sheet);

// Both of the above.
void buildOrgGrid(RecordSet &recordSet, const QString &sql, QDate begin, QDate end,
                  const CodeList &organisations, SheetModel &sheet);

} // namespace tavelin
