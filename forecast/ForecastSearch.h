#pragma once

#include "forecast/ForecastSql.h"

#include <QDate>
#include <QString>

#include <optional>

namespace tavelin {

class RecordSet;
class SheetModel;

// What the forecast window gathered from its controls for one search.
struct SearchCriteria
{
    QDate begin;
    QDate end;
    QDate businessDate;
    bool sectionSelected = true; // the section list has a selected entry
    QString sectionCode = QStringLiteral("All");  // code of the selected entry; "All" for every section
    QString featureText = QStringLiteral("All");  // text of the feature box, as typed or chosen
    QString roomGrades;          // text of the room grade box; empty for every grade
    bool includeDueOut = true;   // sum rooms (checked) or rooms_ED (unchecked)
};

// The control a refused search puts the focus on.
enum class FocusTarget { BeginDate, EndDate, Section, RoomGrades };

struct CheckFailure
{
    QString message;
    FocusTarget focus;
};

// Clears both sheets (no rows, no columns) and paints them white, as every
// search does before it checks anything.
void clearForecast(SheetModel &gradeSheet, SheetModel &orgSheet);

// The checks of a search, in order; the first that fails is returned. On
// success criteria.roomGrades holds the list in its canonical 'A','B' form.
std::optional<CheckFailure> checkCriteria(SearchCriteria &criteria);

// "All", or the first ten characters of the text with trailing white space removed.
QString featureCode(const QString &featureText);

// The filters of a checked search: the section code without its trailing
// blanks ("All" stays "All"), the feature code, the grade codes of the list.
// Nothing when the room grade text is not a list.
std::optional<ForecastFilter> forecastFilter(const SearchCriteria &criteria);

// Runs the queries of a checked search through the record set and fills both
// sheets. Throws DatabaseError; the sheets are then left cleared. A room grade
// text that is not a list is refused the same way, before any query.
void runForecast(const SearchCriteria &criteria, RecordSet &recordSet, SheetModel &gradeSheet,
                 SheetModel &orgSheet);

} // namespace tavelin
