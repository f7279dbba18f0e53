#pragma once

#include <optional>

namespace tavelin {

class SheetModel;

// The click highlight: the whole sheet white, then the clicked column and the
// clicked row (headings included when 0) in the highlight colour.
void crossHighlight(SheetModel &sheet, int column, int row);

// The figure a right-click on the availability sheet books from: the whole
// number its cell text begins with. Nothing for the heading column and row,
// the four summary rows below the grades, and a sheet without rows.
std::optional<int> bookingFigure(SheetModel &sheet, int column, int row);

} // namespace tavelin
