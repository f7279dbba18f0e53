#pragma once

// Helpers of the printing tests: the fixture hotel's forecast in sheets, and
// reading printed PDFs back with poppler's command-line tools.

#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>

namespace tavelin {
class SheetModel;
}

namespace tavelin::test {

inline const QDate PrintBusinessDate(2006, 12, 28);

// The longest span the window accepts, from the business date.
inline QDate longestSpanEnd()
{
    return PrintBusinessDate.addDays(729);
}

// The window's search of the small hotel from the business date to end, all filters off.
void searchSmallHotel(SheetModel &gradeSheet, SheetModel &orgSheet, QDate end);

// The small hotel as a SQLite file.
void writeSmallHotelFile(const QString &path);

// Empty when pdftotext, pdfinfo, pdffonts and pdftoppm are there, else what is missing.
QString missingPopplerTools();

// One text per page (pdftotext, reading order).  pdftotext drops or adds
// blanks between scripts, so compare with printed().
QStringList pdfPageTexts(const QString &pdf);
QString pdfInfo(const QString &pdf);  // pdfinfo's output
QString pdfFonts(const QString &pdf); // pdffonts' output
int pdfPageCount(const QString &pdf);

// Whether wanted is in a page's text, white space ignored on both sides.
bool printed(const QString &pageText, const QString &wanted);
QImage pdfPageImage(const QString &pdf, int page, int dpi); // page from 1

} // namespace tavelin::test
