#pragma once

#include "controls/SheetModel.h"

#include <QList>
#include <QString>

#include <utility>

namespace tavelin::host {

// What goes around the grid in the workbook.
struct XlsxPage
{
    QString sheetName; // at most 31 characters, none of []:*?/\ .
    QString title;     // the first row
    QList<std::pair<QString, QString>> criteria; // label and value, a row each, under the title
};

// Writes the sheet's cells, headings included, with their colours to an .xlsx
// file: the title and the criteria above, then a blank row, then the grid with
// its heading row and column frozen. Cells holding a plain integer become
// numbers. Returns an empty text on success, else what went wrong; no file is
// left behind then.
QString writeXlsx(const SheetModel &sheet, const XlsxPage &page, const QString &fileName);

// 0x00BBGGRR as libxlsxwriter's 0xRRGGBB.
constexpr quint32 xlsxRgb(Colour colour) noexcept
{
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

} // namespace tavelin::host
