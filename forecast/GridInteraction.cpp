#include "forecast/GridInteraction.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"

namespace tavelin {

void crossHighlight(SheetModel &sheet, int column, int row)
{
    const SheetModel::Batch batch(sheet);
    sheet.setRow(-1);
    sheet.setCol(-1);
    sheet.setBackColor(SheetModel::White);
    sheet.setCol(column);
    sheet.setRow(-1);
    sheet.setBackColor(SheetModel::Highlight);
    sheet.setRow(row);
    sheet.setCol(-1);
    sheet.setBackColor(SheetModel::Highlight);
}

std::optional<int> bookingFigure(SheetModel &sheet, int column, int row)
{
    // "小计", "OOI", "OOO" and the occupancy rate close the sheet.
    constexpr int summaryRows = 4;
    if (column == 0 || row == 0)
        return std::nullopt;
    if (row > sheet.maxRows() - summaryRows)
        return std::nullopt;
    sheet.setRow(row);
    sheet.setCol(column);
    return leadingInt(sheet.text());
}

} // namespace tavelin
