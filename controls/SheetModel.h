#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace tavelin {

// 0x00BBGGRR, the colour form of every grid operation.
using Colour = quint32;

// The grid behind both forecast sheets, addressed like a spreadsheet control:
// a current column and a current row, kept between calls, select the cells of
// the next operation; -1 selects every column or every row. Column 0 and row 0
// are the heading column and row; data cells run from 1 to the column and row
// counts. The model's own rows and columns are the grid's rows and columns,
// headings included, so index(row, column) is cell (column, row).
//
// Cells are stored densely. Outside a Batch every operation signals the
// rectangle it changed; inside a Batch the model stays silent and, when the
// outermost Batch ends, emits one reset if a count changed, otherwise one
// dataChanged over the changed rectangle.
class SheetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        ForeColourRole = Qt::UserRole + 1, // Colour as set, or no value
        BackColourRole,                    // Colour as set, or no value
    };

    static constexpr Colour White = 16777215;
    static constexpr Colour Green = 51200;
    static constexpr Colour Red = 255;
    static constexpr Colour Highlight = 16641533;
    static constexpr int PrintAction = 32;

    explicit SheetModel(QObject *parent = nullptr);

    // Cursor.
    void setCol(int column) noexcept { m_col = column; }
    int col() const noexcept { return m_col; }
    void setRow(int row) noexcept { m_row = row; }
    int row() const noexcept { return m_row; }

    // Operations on the cells under the cursor.
    void setText(const QString &text);
    QString text() const; // of the single cell under the cursor; empty for -1 or outside
    void setBackColor(Colour colour);
    void setForeColor(Colour colour);

    // Counts of data columns and rows (headings not counted). Cells that fall
    // outside lose their text and colours; cells that come back start empty.
    void setMaxCols(int count);
    int maxCols() const noexcept { return m_cols; }
    void setMaxRows(int count);
    int maxRows() const noexcept { return m_rows; }

    // Width of one column in characters of the view's font; a negative
    // width means the view's default.
    void setColWidth(int column, double width);
    double colWidth(int column) const noexcept;

    // Action 32 asks the views to print; other codes are ignored.
    void setAction(int code);

    // Print settings, kept until overwritten.
    void setPrintHeader(const QString &markup) { m_printHeader = markup; }
    const QString &printHeader() const noexcept { return m_printHeader; }
    void setPrintAbortMsg(const QString &text) { m_printAbortMsg = text; }
    const QString &printAbortMsg() const noexcept { return m_printAbortMsg; }
    void setPrintJobName(const QString &name) { m_printJobName = name; }
    const QString &printJobName() const noexcept { return m_printJobName; }
    void setPrintOptionA(bool on) noexcept { m_printOptionA = on; }
    bool printOptionA() const noexcept { return m_printOptionA; }
    void setPrintOptionB(bool on) noexcept { m_printOptionB = on; }
    bool printOptionB() const noexcept { return m_printOptionB; }

    // Direct reads by grid position, for views, export and tests.
    QString cellText(int column, int row) const;
    std::optional<Colour> cellForeColor(int column, int row) const;
    std::optional<Colour> cellBackColor(int column, int row) const;

    // Groups operations into one notification (see the class comment). The
    // first count change inside opens the reset (modelAboutToBeReset) at once,
    // so that nothing sees the counts move outside it; the outermost end closes
    // it. Column width signals and print requests wait for the end as well;
    // after a reset the width signals are dropped, as views reread every width.
    class Batch
    {
    public:
        explicit Batch(SheetModel &model);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        SheetModel &m_model;
    };

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    void columnWidthChanged(int column);
    void printRequested();

private:
    // Marks a colour never written. Stored colours keep only their low three
    // bytes, so no real colour can collide with it.
    static constexpr Colour Unset = 0xFFFFFFFFu;

    // Inclusive range of grid columns or rows.
    struct Span
    {
        int first;
        int last;
    };

    bool cursorOnCell() const noexcept; // a single cell inside the grid
    std::optional<Span> columnSpan() const noexcept;
    std::optional<Span> rowSpan() const noexcept;
    qsizetype offset(int column, int row) const noexcept
    {
        return qsizetype(row) * (m_cols + 1) + column;
    }
    void fillColour(std::vector<Colour> &cells, Colour colour, int role);
    void cellsChanged(Span columns, Span rows, int role);
    void resize(int columns, int rows);
    void beginBatch();
    void endBatch();

    int m_col = 0;
    int m_row = 0;
    int m_cols = 0;
    int m_rows = 0;
    QString m_printHeader;
    QString m_printAbortMsg;
    QString m_printJobName;
    bool m_printOptionA = false;
    bool m_printOptionB = false;

    // Row-major, m_cols + 1 cells per row, headings included.
    std::vector<QString> m_texts;
    std::vector<Colour> m_fore;
    std::vector<Colour> m_back;
    std::vector<double> m_widths; // m_cols + 1; negative for the default

    // Batch state. m_resetOpen: beginResetModel has been called and
    // endResetModel is owed at the end of the outermost batch.
    int m_batchDepth = 0;
    bool m_resetOpen = false;
    bool m_printPending = false;
    int m_dirtyLeft = 0;
    int m_dirtyTop = 0;
    int m_dirtyRight = -1; // right < left: nothing changed
    int m_dirtyBottom = -1;
    std::vector<int> m_widthsChanged;
};

} // namespace tavelin
