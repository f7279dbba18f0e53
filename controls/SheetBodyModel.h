#pragma once

#include "controls/SheetModel.h"

#include <QAbstractTableModel>
#include <QColor>

namespace tavelin {

// A sheet colour, 0x00BBGGRR, as the views paint it.
inline QColor toQColor(Colour colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// What a table view shows of a SheetModel: the data cells as its body, the
// heading row and column as its horizontal and vertical header data. Body
// index (r, c) is sheet cell (c + 1, r + 1); header section s is sheet column
// or row s + 1. The corner cell (0, 0) is not part of it.
//
// Every change of the sheet is passed on at once and translated, so that the
// view's headers stay frozen while the body scrolls.
class SheetBodyModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The sheet must outlive this model; making it the parent does that.
    explicit SheetBodyModel(SheetModel *sheet, QObject *parent = nullptr);

    SheetModel *sheet() const noexcept { return m_sheet; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void sheetDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                          const QList<int> &roles);

    SheetModel *m_sheet;
};

} // namespace tavelin
