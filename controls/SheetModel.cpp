#include "controls/SheetModel.h"

#include <algorithm>
#include <utility>

namespace tavelin {

namespace {

constexpr Colour ColourMask = 0x00FFFFFFu;

QList<int> rolesOf(int role)
{
    switch (role) {
    case Qt::ForegroundRole:
        return {SheetModel::ForeColourRole};
    case Qt::BackgroundRole:
        return {SheetModel::BackColourRole};
    default:
        return {Qt::DisplayRole, Qt::EditRole};
    }
}

} // namespace

SheetModel::SheetModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_texts(1)
    , m_fore(1, Unset)
    , m_back(1, Unset)
    , m_widths(1, -1.0)
{
}

std::optional<SheetModel::Span> SheetModel::columnSpan() const noexcept
{
    if (m_col == -1)
        return Span{0, m_cols};
    if (m_col < 0 || m_col > m_cols)
        return std::nullopt;
    return Span{m_col, m_col};
}

std::optional<SheetModel::Span> SheetModel::rowSpan() const noexcept
{
    if (m_row == -1)
        return Span{0, m_rows};
    if (m_row < 0 || m_row > m_rows)
        return std::nullopt;
    return Span{m_row, m_row};
}

bool SheetModel::cursorOnCell() const noexcept
{
    return unsigned(m_col) <= unsigned(m_cols) && unsigned(m_row) <= unsigned(m_rows);
}

void SheetModel::setText(const QString &text)
{
    // One cell at a time is how whole sheets get written; keep that path short:
    // QString's copy and move are inline where its copy assignment is not, and
    // inside a batch that resets the model no cell needs to be remembered.
    if (cursorOnCell()) {
        m_texts[offset(m_col, m_row)] = QString(text);
        if (m_batchDepth == 0 || !m_resetOpen)
            cellsChanged({m_col, m_col}, {m_row, m_row}, Qt::DisplayRole);
        return;
    }
    const auto columns = columnSpan();
    const auto rows = rowSpan();
    if (!columns || !rows)
        return;
    for (int r = rows->first; r <= rows->last; ++r) {
        const qsizetype base = offset(0, r);
        for (int c = columns->first; c <= columns->last; ++c)
            m_texts[base + c] = text;
    }
    cellsChanged(*columns, *rows, Qt::DisplayRole);
}

QString SheetModel::text() const
{
    return cellText(m_col, m_row);
}

void SheetModel::setBackColor(Colour colour)
{
    fillColour(m_back, colour, Qt::BackgroundRole);
}

void SheetModel::setForeColor(Colour colour)
{
    fillColour(m_fore, colour, Qt::ForegroundRole);
}

void SheetModel::fillColour(std::vector<Colour> &cells, Colour colour, int role)
{
    const Colour stored = colour & ColourMask;
    if (cursorOnCell()) {
        cells[std::size_t(offset(m_col, m_row))] = stored;
        if (m_batchDepth == 0 || !m_resetOpen)
            cellsChanged({m_col, m_col}, {m_row, m_row}, role);
        return;
    }
    const auto columns = columnSpan();
    const auto rows = rowSpan();
    if (!columns || !rows)
        return;
    for (int r = rows->first; r <= rows->last; ++r) {
        const auto base = cells.begin() + offset(0, r);
        std::fill(base + columns->first, base + columns->last + 1, stored);
    }
    cellsChanged(*columns, *rows, role);
}

void SheetModel::cellsChanged(Span columns, Span rows, int role)
{
    if (m_batchDepth == 0) {
        Q_EMIT dataChanged(index(rows.first, columns.first), index(rows.last, columns.last),
                           rolesOf(role));
        return;
    }
    if (m_resetOpen)
        return;
    if (m_dirtyRight < m_dirtyLeft) {
        m_dirtyLeft = columns.first;
        m_dirtyRight = columns.last;
        m_dirtyTop = rows.first;
        m_dirtyBottom = rows.last;
        return;
    }
    m_dirtyLeft = std::min(m_dirtyLeft, columns.first);
    m_dirtyRight = std::max(m_dirtyRight, columns.last);
    m_dirtyTop = std::min(m_dirtyTop, rows.first);
    m_dirtyBottom = std::max(m_dirtyBottom, rows.last);
}

void SheetModel::setMaxCols(int count)
{
    count = std::max(count, 0);
    if (count == m_cols)
        return;
    const int old = m_cols;
    if (m_batchDepth > 0) {
        if (!m_resetOpen) {
            beginResetModel();
            m_resetOpen = true;
        }
        resize(count, m_rows);
        return;
    }
    if (count > old) {
        beginInsertColumns({}, old + 1, count);
        resize(count, m_rows);
        endInsertColumns();
    } else {
        beginRemoveColumns({}, count + 1, old);
        resize(count, m_rows);
        endRemoveColumns();
    }
}

void SheetModel::setMaxRows(int count)
{
    count = std::max(count, 0);
    if (count == m_rows)
        return;
    const int old = m_rows;
    if (m_batchDepth > 0) {
        if (!m_resetOpen) {
            beginResetModel();
            m_resetOpen = true;
        }
        resize(m_cols, count);
        return;
    }
    if (count > old) {
        beginInsertRows({}, old + 1, count);
        resize(m_cols, count);
        endInsertRows();
    } else {
        beginRemoveRows({}, count + 1, old);
        resize(m_cols, count);
        endRemoveRows();
    }
}

void SheetModel::resize(int columns, int rows)
{
    const auto cells = qsizetype(rows + 1) * (columns + 1);
    if (columns == m_cols) {
        // Rows are contiguous: truncating and growing keeps the others in place
        // and leaves the returning cells empty.
        m_texts.resize(cells);
        m_fore.resize(cells, Unset);
        m_back.resize(cells, Unset);
        m_rows = rows;
        return;
    }

    std::vector<QString> texts(cells);
    std::vector<Colour> fore(cells, Unset);
    std::vector<Colour> back(cells, Unset);
    const int keptRows = std::min(rows, m_rows);
    const int keptColumns = std::min(columns, m_cols) + 1;
    for (int r = 0; r <= keptRows; ++r) {
        const qsizetype from = offset(0, r);
        const qsizetype to = qsizetype(r) * (columns + 1);
        std::move(m_texts.begin() + from, m_texts.begin() + from + keptColumns, texts.begin() + to);
        std::copy_n(m_fore.begin() + from, keptColumns, fore.begin() + to);
        std::copy_n(m_back.begin() + from, keptColumns, back.begin() + to);
    }
    m_texts = std::move(texts);
    m_fore = std::move(fore);
    m_back = std::move(back);
    m_widths.resize(std::size_t(columns) + 1, -1.0);
    m_cols = columns;
    m_rows = rows;
}

void SheetModel::setColWidth(int column, double width)
{
    if (column < 0 || column > m_cols)
        return;
    if (width < 0)
        width = -1.0;
    auto &stored = m_widths[std::size_t(column)];
    if (stored == width)
        return;
    stored = width;
    if (m_batchDepth == 0)
        Q_EMIT columnWidthChanged(column);
    else if (!m_resetOpen)
        m_widthsChanged.push_back(column);
}

double SheetModel::colWidth(int column) const noexcept
{
    if (column < 0 || column > m_cols)
        return -1.0;
    return m_widths[std::size_t(column)];
}

void SheetModel::setAction(int code)
{
    if (code != PrintAction)
        return;
    // Printing reads the model, which must not be half-way through a reset
    // while a print dialog runs its own event loop.
    if (m_batchDepth > 0)
        m_printPending = true;
    else
        Q_EMIT printRequested();
}

QString SheetModel::cellText(int column, int row) const
{
    if (column < 0 || column > m_cols || row < 0 || row > m_rows)
        return {};
    return m_texts[offset(column, row)];
}

std::optional<Colour> SheetModel::cellForeColor(int column, int row) const
{
    if (column < 0 || column > m_cols || row < 0 || row > m_rows)
        return std::nullopt;
    const Colour colour = m_fore[offset(column, row)];
    if (colour == Unset)
        return std::nullopt;
    return colour;
}

std::optional<Colour> SheetModel::cellBackColor(int column, int row) const
{
    if (column < 0 || column > m_cols || row < 0 || row > m_rows)
        return std::nullopt;
    const Colour colour = m_back[offset(column, row)];
    if (colour == Unset)
        return std::nullopt;
    return colour;
}

SheetModel::Batch::Batch(SheetModel &model)
    : m_model(model)
{
    m_model.beginBatch();
}

SheetModel::Batch::~Batch()
{
    m_model.endBatch();
}

void SheetModel::beginBatch()
{
    ++m_batchDepth;
}

void SheetModel::endBatch()
{
    if (--m_batchDepth > 0)
        return;

    // State is cleared before anything is emitted, so that receivers may start
    // a batch of their own.
    const bool print = std::exchange(m_printPending, false);
    const bool hadReset = std::exchange(m_resetOpen, false);
    const bool dirty = !hadReset && m_dirtyRight >= m_dirtyLeft;
    const QModelIndex topLeft = dirty ? index(m_dirtyTop, m_dirtyLeft) : QModelIndex();
    const QModelIndex bottomRight = dirty ? index(m_dirtyBottom, m_dirtyRight) : QModelIndex();
    m_dirtyLeft = 0;
    m_dirtyTop = 0;
    m_dirtyRight = -1;
    m_dirtyBottom = -1;
    auto widths = std::exchange(m_widthsChanged, {});

    if (hadReset) {
        endResetModel();
    } else {
        if (dirty)
            Q_EMIT dataChanged(topLeft, bottomRight);
        std::sort(widths.begin(), widths.end());
        widths.erase(std::unique(widths.begin(), widths.end()), widths.end());
        for (const int column : widths)
            Q_EMIT columnWidthChanged(column);
    }
    if (print)
        Q_EMIT printRequested();
}

int SheetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows + 1;
}

int SheetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols + 1;
}

QVariant SheetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() > m_rows || index.column() > m_cols)
        return {};
    const qsizetype at = offset(index.column(), index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_texts[at];
    case ForeColourRole:
        return m_fore[at] == Unset ? QVariant() : QVariant::fromValue(m_fore[at]);
    case BackColourRole:
        return m_back[at] == Unset ? QVariant() : QVariant::fromValue(m_back[at]);
    default:
        return {};
    }
}

Qt::ItemFlags SheetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

} // namespace tavelin
