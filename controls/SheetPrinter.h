#pragma once

#include "controls/PrintHeader.h"

#include <QFont>
#include <QPageLayout>
#include <QString>

#include <functional>
#include <vector>

class QPaintDevice;
class QPagedPaintDevice;
class QPainter;

namespace tavelin {

class SheetModel;

// Prints a SheetModel as the grid shows it, with the sheet's print settings.
//
// The data columns are cut into bands that fit the page's width, the data
// rows into bands that fit its height. Pages go down first, then across:
// every row band of the first column band, then every row band of the next.
// Each page carries the sheet's print header, the heading row and column
// beside its cells and "第 N 页 / 共 M 页" at its foot.
//
// Column widths are the sheet's, in digit widths of the cell font (the view
// counts average characters of its own font), eight where a column has none; the heading column is at least as wide as
// its longest text, at most half the page. Cells keep their fore and back
// colours; heading cells without a back colour are shaded light grey.
//
// Option A prints the grid lines. Option B shrinks the whole grid, text
// included, so that all its columns fit one page across; the rows then run
// down as many pages as they need.
class SheetPrinter
{
public:
    // The data cells of one page; last < first where the sheet has none.
    struct Page
    {
        int firstColumn;
        int lastColumn;
        int firstRow;
        int lastRow;
    };

    // The sheet must outlive the printer and stay unchanged while it prints.
    explicit SheetPrinter(const SheetModel &sheet);

    // Lays the sheet out for the device's paint area and resolution, without drawing.
    const std::vector<Page> &paginate(const QPaintDevice &device);

    // Lays out and draws every page. progress(done, count) is called before
    // each page and after the last; false stops, and the pages drawn so far
    // end the job. False when stopped or the device cannot be painted on.
    bool print(QPagedPaintDevice &device, const std::function<bool(int done, int count)> &progress = {});

    // Of the last layout: the grid's shrink factor (1 unless option B needs it).
    double scale() const noexcept { return m_scale; }

    // The face of cell texts, and of header fonts that name none.
    static QFont cellFont();

    // The header's font as a real font: 黑体 and 宋体 are found among the
    // installed CJK faces by font substitution.
    static QFont headerFont(const PrintFont &font);

private:
    struct HeaderLine
    {
        double height = 0;
        double ascent = 0;
    };

    void drawPage(QPainter &painter, const QPaintDevice &device, int index) const;
    void drawGrid(QPainter &painter, const Page &page) const;

    const SheetModel &m_sheet;
    PrintHeader m_header;

    // Layout, in device pixels; grid measures before scaling.
    std::vector<double> m_widths; // columns 0 .. maxCols
    std::vector<HeaderLine> m_headerLines;
    double m_headerHeight = 0;
    double m_footerHeight = 0;
    double m_rowHeight = 0;
    double m_padding = 0;
    double m_scale = 1;
    std::vector<Page> m_pages;
};

// A4 landscape with 10 mm margins at 600 dpi: the page of the pdf export.
QPageLayout sheetPdfLayout();
inline constexpr int SheetPdfResolution = 600;

// The sheet as a PDF file on sheetPdfLayout(), titled with its job name. The file
// is replaced only when complete. Returns what went wrong, empty on success.
// Needs a QGuiApplication.
QString writeSheetPdf(const SheetModel &sheet, const QString &fileName);

} // namespace tavelin
