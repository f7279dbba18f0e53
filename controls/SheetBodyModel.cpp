#include "controls/SheetBodyModel.h"

#include "controls/SheetModel.h"

#include <QBrush>

#include <algorithm>

namespace tavelin {

SheetBodyModel::SheetBodyModel(SheetModel *sheet, QObject *parent)
    : QAbstractTableModel(parent)
    , m_sheet(sheet)
{
    Q_ASSERT(m_sheet);
    // The sheet's row 0 and column 0 never go away, so every structural change
    // it signals starts at 1 and maps to body position - 1.
    connect(m_sheet, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first - 1, last - 1); });
    connect(m_sheet, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    connect(m_sheet, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first - 1, last - 1); });
    connect(m_sheet, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(m_sheet, &QAbstractItemModel::columnsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertColumns({}, first - 1, last - 1); });
    connect(m_sheet, &QAbstractItemModel::columnsInserted, this, [this] { endInsertColumns(); });
    connect(m_sheet, &QAbstractItemModel::columnsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveColumns({}, first - 1, last - 1); });
    connect(m_sheet, &QAbstractItemModel::columnsRemoved, this, [this] { endRemoveColumns(); });
    connect(m_sheet, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(m_sheet, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
    connect(m_sheet, &QAbstractItemModel::dataChanged, this, &SheetBodyModel::sheetDataChanged);
}

int SheetBodyModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_sheet->maxRows();
}

int SheetBodyModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_sheet->maxCols();
}

QVariant SheetBodyModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    const int column = index.column() + 1;
    const int row = index.row() + 1;
    switch (role) {
    case Qt::ForegroundRole:
        if (const auto colour = m_sheet->cellForeColor(column, row))
            return QBrush(toQColor(*colour));
        return {};
    case Qt::BackgroundRole:
        if (const auto colour = m_sheet->cellBackColor(column, row))
            return QBrush(toQColor(*colour));
        return {};
    default:
        return m_sheet->data(m_sheet->index(row, column), role);
    }
}

QVariant SheetBodyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const int count = orientation == Qt::Horizontal ? m_sheet->maxCols() : m_sheet->maxRows();
    if (section < 0 || section >= count)
        return {};
    const int column = orientation == Qt::Horizontal ? section + 1 : 0;
    const int row = orientation == Qt::Horizontal ? 0 : section + 1;
    switch (role) {
    case Qt::DisplayRole:
        return m_sheet->cellText(column, row);
    case Qt::ForegroundRole:
        if (const auto colour = m_sheet->cellForeColor(column, row))
            return QBrush(toQColor(*colour));
        return {};
    case Qt::BackgroundRole:
        if (const auto colour = m_sheet->cellBackColor(column, row))
            return QBrush(toQColor(*colour));
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags SheetBodyModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void SheetBodyModel::sheetDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                      const QList<int> &roles)
{
    const int firstColumn = std::max(topLeft.column(), 1);
    const int firstRow = std::max(topLeft.row(), 1);
    const int lastColumn = bottomRight.column();
    const int lastRow = bottomRight.row();
    // The sheet names its raw colour roles; the view paints the brushes made from them.
    QList<int> viewRoles = roles;
    if (roles.contains(SheetModel::ForeColourRole))
        viewRoles.append(Qt::ForegroundRole);
    if (roles.contains(SheetModel::BackColourRole))
        viewRoles.append(Qt::BackgroundRole);
    const bool columns = firstColumn <= lastColumn;
    const bool rows = firstRow <= lastRow;
    if (columns && rows)
        Q_EMIT dataChanged(index(firstRow - 1, firstColumn - 1), index(lastRow - 1, lastColumn - 1), viewRoles);
    if (topLeft.row() == 0 && columns)
        Q_EMIT headerDataChanged(Qt::Horizontal, firstColumn - 1, lastColumn - 1);
    if (topLeft.column() == 0 && rows)
        Q_EMIT headerDataChanged(Qt::Vertical, firstRow - 1, lastRow - 1);
}

} // namespace tavelin
