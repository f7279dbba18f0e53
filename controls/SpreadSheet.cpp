#include "controls/SpreadSheet.h"

#include "controls/SheetBodyModel.h"
#include "controls/SheetModel.h"
#include "controls/SheetPrinter.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

// The sheet shows its highlights through back colours; a focus frame on the
// current cell would only be noise.
class PlainDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

// A heading with a colour of its own is painted flat, as a cell. Through the
// style it would be drawn from the style's pixmap cache under a key that is
// new for every paint (the colour goes in by a palette copy), and the cache
// would fill up with copies of the same few headings.
class SheetHeaderView : public QHeaderView
{
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        const QVariant back = model()->headerData(logicalIndex, orientation(), Qt::BackgroundRole);
        const QVariant fore = model()->headerData(logicalIndex, orientation(), Qt::ForegroundRole);
        if (!back.isValid() && !fore.isValid()) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        painter->save();
        painter->fillRect(rect, back.isValid() ? back.value<QBrush>() : palette().button());
        QStyleOptionHeader option;
        option.initFrom(this);
        painter->setPen(QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this))));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->setPen(fore.isValid() ? fore.value<QBrush>().color() : palette().color(QPalette::ButtonText));
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
        painter->drawText(rect.adjusted(margin, 0, -margin, 0), int(defaultAlignment()) | Qt::TextSingleLine,
                          model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString());
        painter->restore();
    }
};

CSpreadSheet::PrintPreviewHook &printPreviewHook()
{
    static CSpreadSheet::PrintPreviewHook hook;
    return hook;
}

} // namespace

CSpreadSheet::CSpreadSheet(QWidget *parent)
    : QTableView(parent)
    , m_sheet(new SheetModel(this))
    , m_body(new SheetBodyModel(m_sheet, m_sheet))
    , m_corner(new QLabel(this))
{
    setHorizontalHeader(new SheetHeaderView(Qt::Horizontal, this));
    setVerticalHeader(new SheetHeaderView(Qt::Vertical, this));
    setModel(m_body);
    setItemDelegate(new PlainDelegate(this));
    setSelectionMode(NoSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView *columns = horizontalHeader();
    QHeaderView *rows = verticalHeader();
    for (QHeaderView *header : {columns, rows}) {
        header->setSectionsClickable(true);
        header->setHighlightSections(false);
        header->viewport()->installEventFilter(this);
    }
    rows->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    rows->setMinimumSectionSize(1);
    applyDefaultSizes();
    // Narrow day columns must be possible; the style's minimum is wider than a digit pair.
    columns->setMinimumSectionSize(1);

    // Transparent over the corner button, which already looks like a heading,
    // unless the corner cell has a back colour of its own.
    m_corner->setObjectName(u"cornerLabel"_s);
    m_corner->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_corner->setIndent(style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, rows));
    m_corner->setForegroundRole(QPalette::ButtonText);
    m_corner->setBackgroundRole(QPalette::Button);
    m_corner->installEventFilter(this);
    m_corner->raise();

    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { Q_EMIT cellClicked(index.column() + 1, index.row() + 1); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        Q_EMIT cellDoubleClicked(index.column() + 1, index.row() + 1);
    });
    connect(columns, &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0)
            Q_EMIT cellClicked(section + 1, 0);
    });
    connect(rows, &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0)
            Q_EMIT cellClicked(0, section + 1);
    });
    connect(columns, &QHeaderView::sectionDoubleClicked, this, [this](int section) {
        if (section >= 0)
            Q_EMIT cellDoubleClicked(section + 1, 0);
    });
    connect(rows, &QHeaderView::sectionDoubleClicked, this, [this](int section) {
        if (section >= 0)
            Q_EMIT cellDoubleClicked(0, section + 1);
    });

    // Connected after setModel(), so the headers have already reset their sections.
    connect(m_body, &QAbstractItemModel::modelReset, this, &CSpreadSheet::sheetReset);
    connect(m_body, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation orientation) {
        if (orientation == Qt::Vertical)
            m_headingsDirty = true;
        scheduleDelayedItemsLayout();
    });
    connect(m_body, &QAbstractItemModel::rowsRemoved, this, [this] {
        m_headingsDirty = true;
        scheduleDelayedItemsLayout();
    });
    connect(m_sheet, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &topLeft) {
        if (topLeft.row() == 0 && topLeft.column() == 0)
            updateCorner();
    });
    connect(m_sheet, &SheetModel::columnWidthChanged, this, &CSpreadSheet::applyColumnWidth);
    connect(m_sheet, &SheetModel::printRequested, this, &CSpreadSheet::openPrintPreview);

    updateCorner();
}

double CSpreadSheet::charWidth() const
{
    return fontMetrics().averageCharWidth();
}

void CSpreadSheet::applyDefaultSizes()
{
    // One line of text a row, so that a grade list and its four summary rows
    // fit; columns without a width of their own take eight characters.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(qRound(8 * charWidth()));
}

void CSpreadSheet::applyColumnWidth(int column)
{
    if (column == 0) {
        m_headingsDirty = true;
        scheduleDelayedItemsLayout();
        return;
    }
    if (column < 0 || column > m_sheet->maxCols())
        return;
    QHeaderView *header = horizontalHeader();
    const double chars = m_sheet->colWidth(column);
    header->resizeSection(column - 1, chars < 0 ? header->defaultSectionSize() : qRound(chars * charWidth()));
}

void CSpreadSheet::applyAllColumnWidths()
{
    // With updates off the header skips locating each resized section on
    // screen, which would make this quadratic in the number of days.
    QHeaderView *header = horizontalHeader();
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (int column = 1; column <= m_sheet->maxCols(); ++column)
        applyColumnWidth(column);
    header->setUpdatesEnabled(updates);
    applyColumnWidth(0);
}

void CSpreadSheet::fitHeadings()
{
    const auto sectionSize = [](QHeaderView *header, const QString &text) {
        QStyleOptionHeader option;
        option.initFrom(header);
        option.orientation = header->orientation();
        option.textAlignment = header->defaultAlignment();
        QFont font = header->font();
        font.setBold(true); // as the header measures its own sections
        option.fontMetrics = QFontMetrics(font);
        option.text = text;
        return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, {}, header);
    };

    // Without columns the heading row would collapse and take the corner
    // label with it.
    QHeaderView *columns = horizontalHeader();
    columns->setMinimumHeight(std::max(sectionSize(columns, u"0"_s).height(), m_corner->sizeHint().height()));

    // The header's own size hint looks only at its first and last hundred
    // sections; row headings in between must fit as well.
    QHeaderView *rows = verticalHeader();
    int width = m_corner->text().isEmpty() ? 0 : m_corner->sizeHint().width();
    for (int row = 1; row <= m_sheet->maxRows(); ++row) {
        const QString text = m_sheet->cellText(0, row);
        if (!text.isEmpty())
            width = std::max(width, sectionSize(rows, text).width());
    }
    const double chars = m_sheet->colWidth(0);
    if (chars >= 0)
        width = std::max(width, qRound(chars * charWidth()));
    rows->setMinimumWidth(width);
}

void CSpreadSheet::updateCorner()
{
    m_corner->setText(m_sheet->cellText(0, 0));
    QPalette colours = palette();
    if (const auto fore = m_sheet->cellForeColor(0, 0))
        colours.setColor(QPalette::ButtonText, toQColor(*fore));
    const auto back = m_sheet->cellBackColor(0, 0);
    if (back)
        colours.setColor(QPalette::Button, toQColor(*back));
    // A new palette is a new cache key for the style's pixmaps; setting an
    // equal one on every search would fill the pixmap cache with copies.
    if (colours != m_corner->palette())
        m_corner->setPalette(colours);
    m_corner->setAutoFillBackground(back.has_value());
    m_headingsDirty = true;
    scheduleDelayedItemsLayout();
}

void CSpreadSheet::sheetReset()
{
    applyAllColumnWidths();
    updateCorner();
    updateGeometries();
}

void CSpreadSheet::setPrintPreviewHook(PrintPreviewHook hook)
{
    printPreviewHook() = std::move(hook);
}

void CSpreadSheet::openPrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_sheet->printJobName());
    printer.setPageOrientation(QPageLayout::Landscape); // the days run across
    if (const PrintPreviewHook hook = printPreviewHook()) {
        hook(*m_sheet, printer);
        return;
    }
    QPrintPreviewDialog preview(&printer, this);
    if (!m_sheet->printJobName().isEmpty())
        preview.setWindowTitle(m_sheet->printJobName());
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [this, &preview](QPrinter *target) { printTo(*target, &preview); });
    preview.exec();
}

bool CSpreadSheet::printTo(QPrinter &printer, QWidget *waitOwner)
{
    printer.setDocName(m_sheet->printJobName());
    QProgressDialog wait(m_sheet->printAbortMsg(), u"取消"_s, 0, 1, waitOwner ? waitOwner : this);
    wait.setWindowTitle(m_sheet->printJobName());
    wait.setWindowModality(Qt::WindowModal);
    wait.setMinimumDuration(0);
    SheetPrinter sheetPrinter(*m_sheet);
    return sheetPrinter.print(printer, [&wait](int done, int count) {
        wait.setMaximum(count);
        wait.setValue(done);
        return !wait.wasCanceled();
    });
}

void CSpreadSheet::updateGeometries()
{
    if (m_headingsDirty) {
        m_headingsDirty = false;
        fitHeadings();
    }
    QTableView::updateGeometries();

    const QHeaderView *columns = horizontalHeader();
    const QHeaderView *rows = verticalHeader();
    if (columns->isHidden() || rows->isHidden()) {
        m_corner->hide();
        return;
    }
    m_corner->setGeometry(rows->x(), columns->y(), rows->width(), columns->height());
    m_corner->show();
}

void CSpreadSheet::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::RightButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        Q_EMIT cellRightClicked(index.column() + 1, index.row() + 1);
}

void CSpreadSheet::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyDefaultSizes();
        applyAllColumnWidths();
    }
    else if (event->type() == QEvent::PaletteChange)
        updateCorner();
}

bool CSpreadSheet::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return QTableView::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);

    if (watched == m_corner) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
            Q_EMIT cellRightClicked(0, 0);
        } else if (mouse->button() == Qt::LeftButton) {
            if (type == QEvent::MouseButtonPress) {
                m_cornerPressed = true;
            } else if (type == QEvent::MouseButtonRelease) {
                if (std::exchange(m_cornerPressed, false) && m_corner->rect().contains(mouse->position().toPoint()))
                    Q_EMIT cellClicked(0, 0);
            } else {
                Q_EMIT cellDoubleClicked(0, 0);
            }
        }
        return true;
    }

    // Right presses on the headings; the headers report left clicks themselves.
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
        const QPoint at = mouse->position().toPoint();
        if (watched == horizontalHeader()->viewport()) {
            const int section = horizontalHeader()->logicalIndexAt(at);
            if (section >= 0)
                Q_EMIT cellRightClicked(section + 1, 0);
        } else if (watched == verticalHeader()->viewport()) {
            const int section = verticalHeader()->logicalIndexAt(at);
            if (section >= 0)
                Q_EMIT cellRightClicked(0, section + 1);
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace tavelin
