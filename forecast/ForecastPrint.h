#pragma once

#include <QDate>
#include <QString>

namespace tavelin {

class SheetModel;

// The page header of a printed forecast grid, in the sheet's header mark-up:
// the title centred in font 1, the print date left in font 2.
QString forecastPrintHeader(QDate businessDate);

// The print settings of the forecast window, without asking for the print;
// the host's pdf export uses them as they are.
void applyForecastPrintSettings(SheetModel &sheet, QDate businessDate);

// The settings above, then action 32: the sheet's views print it.
void requestForecastPrint(SheetModel &sheet, QDate businessDate);

} // namespace tavelin
