#pragma once

#include <QTableView>

#include <functional>

class QLabel;
class QPrinter;

namespace tavelin {

class SheetBodyModel;
class SheetModel;

// The grid widget over its own SheetModel. The sheet's heading row and column
// are the view's headers, so they stay in view while the days scroll; the
// corner cell's text sits over the corner. Column widths come from the sheet,
// in average characters of the view's font.
//
// Clicks are reported in the sheet's numbering, headings included: a body
// cell as its (column, row), a column heading as (column, 0), a row heading
// as (0, row), the corner as (0, 0).
//
// The view shows a SheetBodyModel over sheet(); do not give it another model.
class CSpreadSheet : public QTableView
{
    Q_OBJECT

public:
    explicit CSpreadSheet(QWidget *parent = nullptr);

    SheetModel *sheet() const noexcept { return m_sheet; }

    // When the sheet asks to print, a print preview opens, from which the user
    // prints to a printer or a PDF file. A hook replaces the preview for the
    // whole process (tests see what would be printed without a modal loop);
    // an empty hook brings the preview back.
    using PrintPreviewHook = std::function<void(SheetModel &sheet, QPrinter &printer)>;
    static void setPrintPreviewHook(PrintPreviewHook hook);

    // Draws the sheet onto the printer with the sheet's wait message shown
    // over waitOwner (this view when null); false when stopped or failed.
    bool printTo(QPrinter &printer, QWidget *waitOwner = nullptr);

Q_SIGNALS:
    void cellClicked(int column, int row);
    void cellRightClicked(int column, int row);
    void cellDoubleClicked(int column, int row);

protected:
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    double charWidth() const;
    void applyDefaultSizes();
    void applyColumnWidth(int column);
    void applyAllColumnWidths();
    void fitHeadings();
    void updateCorner();
    void sheetReset();
    void openPrintPreview();

    SheetModel *m_sheet;     // child of this view
    SheetBodyModel *m_body;  // child of m_sheet
    QLabel *m_corner;        // child of this view
    bool m_headingsDirty = true;
    bool m_cornerPressed = false;
};

} // namespace tavelin
