#include "forecast/TavelinDlg.h"

#include "controls/SheetModel.h"
#include "controls/SheetBodyModel.h"
#include "controls/SpreadSheet.h"
#include "controls/TransParentButton.h"
#include "data/DatabaseError.h"
#include "data/RecordSet.h"
#include "data/TextFormat.h"
#include "forecast/ComboText.h"
#include "forecast/DialogUnits.h"
#include "forecast/DTPicker.h"
#include "forecast/ForecastSearch.h"
#include "forecast/ForecastPrint.h"
#include "forecast/GridInteraction.h"
#include "forecast/Messages.h"
#include "forecast/ReservationModule.h"
#include "hosting/HostContext.h"
#include "roomgrade/RmTypeDlg.h"
#include "ui_TavelinDlg.h"

#include <QChildEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

const QString kAll = u"All"_s;
const QString kDayFormat = u"yyyy-MM-dd"_s;

// The combo-text rule of the data exchange: show the first entry that begins
// with the text (letter case ignored); otherwise put the text in the field and
// leave the selection alone; an empty text selects nothing.
QStringList entryTexts(const QComboBox *combo)
{
    QStringList texts;
    texts.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

void writeComboText(QComboBox *combo, const QString &text)
{
    if (text.isEmpty()) {
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
        return;
    }
    const int entry = findEntryStartingWith(entryTexts(combo), text);
    if (entry >= 0) {
        combo->setCurrentIndex(entry);
        combo->setEditText(combo->itemText(entry));
    } else {
        combo->setEditText(text);
    }
}

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The hour-glass for the length of a search, put back on every way out.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

    void restore()
    {
        if (m_showing)
            QGuiApplication::restoreOverrideCursor();
        m_showing = false;
    }

private:
    bool m_showing = true;
};

} // namespace

CTavelinDlg::CTavelinDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CTavelinDlg>())
{
    // The template's font is a 10-point one; the dialog units follow from it.
    QFont templateFont = font();
    templateFont.setPointSize(10);
    setFont(templateFont);
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::WindowMaximizeButtonHint);
    applyDialogUnits();

    m_bIncludeDueOut = 0;
    m_strExposure.clear();
    m_strSection.clear();
    m_strRmTypes.clear();
    m_pBmpBk = std::make_unique<QPixmap>(u":/tavelin/background.png"_s);
    m_brushBk = QBrush(*m_pBmpBk);

    // Labels and the check box draw blue text straight on the background picture.
    QPalette labelPalette = palette();
    labelPalette.setColor(QPalette::WindowText, toQColor(16711680));
    for (QWidget *w : {static_cast<QWidget *>(m_ui->lblDate), static_cast<QWidget *>(m_ui->lblRmTypes),
                       static_cast<QWidget *>(m_ui->lblSection), static_cast<QWidget *>(m_ui->lblExposure),
                       static_cast<QWidget *>(m_ui->chkIncludeDueOut)})
        w->setPalette(labelPalette);
    QPalette dashPalette = palette();
    dashPalette.setColor(QPalette::WindowText, Qt::black);
    m_ui->frmDash->setPalette(dashPalette);

    // Typed codes are checked when the box is left, so no completion while typing.
    m_ui->cmbSection->setCompleter(nullptr);
    m_ui->cmbExposure->setCompleter(nullptr);

    connect(m_ui->btnSearch, &QPushButton::clicked, this, &CTavelinDlg::OnSearch);
    connect(m_ui->btnPrint, &QPushButton::clicked, this, &CTavelinDlg::OnPrint);
    connect(m_ui->btnExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->btnRmType, &QPushButton::clicked, this, &CTavelinDlg::OnRmTypeButton);
    connect(m_ui->dtpBegin, &CDTPicker::changed, this, &CTavelinDlg::OnChangeBegin);
    connect(m_ui->gridGrade, &CSpreadSheet::cellClicked, this, &CTavelinDlg::OnClickGridGrade);
    connect(m_ui->gridOrg, &CSpreadSheet::cellClicked, this, &CTavelinDlg::OnClickGridOrg);
    connect(m_ui->gridGrade, &CSpreadSheet::cellRightClicked, this, &CTavelinDlg::OnRightClickGridGrade);
    connect(m_ui->gridGrade, &CSpreadSheet::cellDoubleClicked, this, &CTavelinDlg::OnDblClickGridGrade);

    watchForEnter(this);
}

CTavelinDlg::~CTavelinDlg() = default;

void CTavelinDlg::applyDialogUnits()
{
    // Dialog units: x in quarters of the average character width, y in eighths
    // of the font height. The form holds the template's geometry in these units.
    DialogUnits units(font());
    // The date boxes of this toolkit need more room than the template gives
    // them; widening the unit keeps the template's proportions and shows a whole date.
    units.x = std::max(units.x, m_ui->dtpBegin->sizeHint().width() / double(m_ui->dtpBegin->width()));
    const auto toPixels = [&](const QRect &rect) { return units.toPixels(rect); };

    // Template order, which is also the stacking order: the first lies on top.
    const std::vector<QWidget *> templateOrder = {
        m_ui->lblDate,    m_ui->dtpBegin,    m_ui->frmDash,   m_ui->dtpEnd,   m_ui->chkIncludeDueOut,
        m_ui->lblRmTypes, m_ui->lblSection,  m_ui->cmbSection, m_ui->lblExposure, m_ui->cmbExposure,
        m_ui->btnSearch,  m_ui->btnPrint,    m_ui->btnExit,   m_ui->gridGrade, m_ui->gridOrg,
        m_ui->tabView,    m_ui->edtRmTypes,  m_ui->btnRmType,
    };
    const QRect tabUnits = m_ui->tabView->geometry();
    m_placements.clear();
    for (QWidget *w : templateOrder) {
        const QRect templateRect = w->geometry();
        QRect rect = toPixels(templateRect);
        // A combo's template height includes its drop-down list.
        if (qobject_cast<QComboBox *>(w))
            rect.setHeight(w->sizeHint().height());
        const bool grows = templateRect.y() < tabUnits.bottom();
        m_placements.push_back({w, rect, grows});
        w->setGeometry(rect);
    }
    for (auto it = templateOrder.rbegin(); it != templateOrder.rend(); ++it)
        (*it)->raise();

    m_templateSize = toPixels(QRect(0, 0, 400, 281)).size();
    setMinimumSize(m_templateSize);
    resize(m_templateSize);
}

void CTavelinDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int dw = width() - m_templateSize.width();
    const int dh = height() - m_templateSize.height();
    for (const Placement &p : m_placements)
        p.widget->setGeometry(p.grows ? p.rect.adjusted(0, 0, dw, dh) : p.rect.translated(0, dh));
}

void CTavelinDlg::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_brushBk);
    QDialog::paintEvent(event);
}

void CTavelinDlg::watchForEnter(QWidget *widget)
{
    widget->installEventFilter(this);
    const auto descendants = widget->findChildren<QWidget *>();
    for (QWidget *child : descendants)
        child->installEventFilter(this);
}

bool CTavelinDlg::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watchForEnter(static_cast<QWidget *>(child));
        break;
    }
    case QEvent::KeyPress:
        // Enter anywhere in the window searches and never reaches a control or
        // the dialog's default-button handling. Pop-ups (a combo's list, the
        // calendar) are windows of their own and keep their Enter.
        if (isEnterKey(event) && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this) {
            OnSearch();
            return true;
        }
        break;
    case QEvent::FocusOut: {
        // Opening a combo's own list or a message box is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        if (watched == m_ui->cmbExposure)
            OnKillfocusExposure();
        else if (watched == m_ui->cmbSection)
            OnKillfocusSection();
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void CTavelinDlg::showEvent(QShowEvent *event)
{
    if (!m_initialized) {
        m_initialized = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

bool CTavelinDlg::UpdateData(bool save)
{
    DoDataExchange(save);
    return true;
}

void CTavelinDlg::DoDataExchange(bool save)
{
    if (!m_cmbExposure) {
        m_cmbExposure = m_ui->cmbExposure;
        m_btnExit = m_ui->btnExit;
        m_btnSearch = m_ui->btnSearch;
        m_btnPrint = m_ui->btnPrint;
        m_cmbSection = m_ui->cmbSection;
        m_tabView = m_ui->tabView;
        m_dtpBegin = m_ui->dtpBegin;
        m_dtpEnd = m_ui->dtpEnd;
        m_chkIncludeDueOut = m_ui->chkIncludeDueOut;
        m_gridGrade = m_ui->gridGrade;
        m_gridOrg = m_ui->gridOrg;
        m_edtRmTypes = m_ui->edtRmTypes;
    }
    if (save) {
        m_bIncludeDueOut = m_chkIncludeDueOut->isChecked() ? 1 : 0;
        m_strExposure = m_cmbExposure->currentText();
        m_strSection = m_cmbSection->currentText();
        m_strRmTypes = m_edtRmTypes->text();
    } else {
        if (m_bIncludeDueOut == 1)
            m_chkIncludeDueOut->setChecked(true);
        else if (m_bIncludeDueOut == 0)
            m_chkIncludeDueOut->setChecked(false);
        writeComboText(m_cmbExposure, m_strExposure);
        writeComboText(m_cmbSection, m_strSection);
        m_edtRmTypes->setText(m_strRmTypes);
    }
}

bool CTavelinDlg::OnInitDialog()
{
    UpdateData(false);

    m_tabView->addTab(new QWidget, u"可用状态"_s);
    m_tabView->addTab(new QWidget, u"占用状态"_s);
    m_tabView->setCurrentIndex(0);

    const QString begin = businessDay().toString(kDayFormat);
    const QDate midnight = QDate::fromString(begin, kDayFormat);
    const QString end = midnight.addDays(9).toString(kDayFormat);
    m_dtpBegin->setValue(begin);
    m_dtpEnd->setValue(end);

    m_cmbSection->insertItem(0, kAll, kAll);
    m_cmbExposure->insertItem(0, kAll, kAll);

    try {
        fillCodeList(m_cmbSection, u"select Code,chnDescp from RmSection where del=0"_s, 6);
        fillCodeList(m_cmbExposure, u"select Code,ChnDescp from Exposure where del=0"_s, 10);
    } catch (const DatabaseError &error) {
        showDatabaseError(error.driverText());
    }

    m_cmbSection->setCurrentIndex(0);
    m_cmbExposure->setCurrentIndex(0);

    labelCorners();

    m_bIncludeDueOut = 1;
    m_chkIncludeDueOut->setChecked(true);

    connect(m_tabView, &QTabWidget::currentChanged, this, &CTavelinDlg::OnSelchangeTab);

    OnSearch();
    UpdateData(false);
    m_dtpBegin->setFocus(Qt::OtherFocusReason);
    return true;
}

void CTavelinDlg::fillCodeList(QComboBox *combo, const QString &sql, int codeWidth)
{
    // Each entry keeps its own code, so that a code that fills its whole width
    // (and so runs into the description) is still found by the search.
    RecordSet recordSet(hostContext().database);
    recordSet.open(sql);
    int position = 1;
    if (recordSet.recordCount() > 0) {
        recordSet.moveFirst();
        while (!recordSet.isEOF()) {
            const QString code = recordSet.fieldValue(u"Code"_s);
            const QString text = padRight(code, codeWidth) + recordSet.fieldValue(1);
            combo->insertItem(position++, text, code);
            recordSet.moveNext();
        }
    }
    recordSet.close();
}

void CTavelinDlg::labelCorners()
{
    const std::pair<CSpreadSheet *, QString> corners[] = {{m_gridGrade, u"客房等级"_s}, {m_gridOrg, u"客源类型"_s}};
    for (const auto &[grid, label] : corners) {
        SheetModel &sheet = *grid->sheet();
        const SheetModel::Batch batch(sheet);
        sheet.setMaxRows(0);
        sheet.setMaxCols(0);
        sheet.setRow(0);
        sheet.setCol(0);
        sheet.setText(label);
    }
}

void CTavelinDlg::showDatabaseError(const QString &driverText)
{
    showMessage(this, u"查询数据库出错："_s + driverText, u"系统错误"_s);
}

void CTavelinDlg::OnSearch()
{
    UpdateData(true);
    SheetModel &gradeSheet = *m_gridGrade->sheet();
    SheetModel &orgSheet = *m_gridOrg->sheet();
    clearForecast(gradeSheet, orgSheet);
    WaitCursor waitCursor;

    SearchCriteria criteria;
    criteria.begin = m_dtpBegin->value();
    criteria.end = m_dtpEnd->value();
    criteria.businessDate = businessDay();
    // The search takes the section from the selection, and the code from the
    // entry itself rather than from its text.
    criteria.sectionSelected = m_cmbSection->currentIndex() >= 0;
    criteria.sectionCode = m_cmbSection->currentData().toString();
    criteria.featureText = m_strExposure;
    criteria.roomGrades = m_strRmTypes;
    criteria.includeDueOut = m_bIncludeDueOut == 1;

    if (const std::optional<CheckFailure> failure = checkCriteria(criteria)) {
        waitCursor.restore();
        showMessage(this, failure->message);
        focusOn(failure->focus);
        return;
    }
    m_strRmTypes = criteria.roomGrades;
    m_edtRmTypes->setText(m_strRmTypes);
    m_strExposure = featureCode(m_strExposure);

    try {
        RecordSet recordSet(hostContext().database);
        runForecast(criteria, recordSet, gradeSheet, orgSheet);
    } catch (const DatabaseError &error) {
        waitCursor.restore();
        showDatabaseError(error.driverText());
    }
}

void CTavelinDlg::focusOn(FocusTarget target)
{
    switch (target) {
    case FocusTarget::BeginDate:
        m_dtpBegin->setFocus(Qt::OtherFocusReason);
        break;
    case FocusTarget::EndDate:
        m_dtpEnd->setFocus(Qt::OtherFocusReason);
        break;
    case FocusTarget::Section:
        m_cmbSection->setFocus(Qt::OtherFocusReason);
        break;
    case FocusTarget::RoomGrades:
        m_edtRmTypes->setFocus(Qt::OtherFocusReason);
        break;
    }
}

void CTavelinDlg::OnSelchangeTab()
{
    switch (m_tabView->currentIndex()) {
    case 0:
        m_gridGrade->show();
        m_gridOrg->hide();
        break;
    case 1:
        m_gridGrade->hide();
        m_gridOrg->show();
        break;
    default:
        break;
    }
}

void CTavelinDlg::OnChangeBegin()
{
    UpdateData(true);
    const QDate day = m_dtpBegin->value().addDays(9);
    m_dtpEnd->setValue(day.toString(kDayFormat));
    UpdateData(false);
}

void CTavelinDlg::checkTypedCode(QComboBox *combo, QString &text, const QString &notFoundMessage)
{
    UpdateData(true);
    const QString prefix = text.left(3);
    if (prefix.isEmpty())
        return;
    const int entry = findEntryStartingWith(entryTexts(combo), prefix);
    if (entry >= 0) {
        combo->setCurrentIndex(entry);
    } else {
        showMessage(this, notFoundMessage, u"提示"_s);
        text.clear();
    }
    UpdateData(false);
}

void CTavelinDlg::OnKillfocusExposure()
{
    checkTypedCode(m_cmbExposure, m_strExposure, u"该特征代码不存在，请检查！"_s);
}

void CTavelinDlg::OnKillfocusSection()
{
    checkTypedCode(m_cmbSection, m_strSection, u"该区段代码不存在，请检查！"_s);
}

void CTavelinDlg::OnRmTypeButton()
{
    CRmTypeDlg picker;
    int result = QDialog::Rejected;
    try {
        result = picker.DoModal();
    } catch (const DatabaseError &error) {
        // Raised while the picker fills, before it shows.
        showDatabaseError(error.driverText());
        return;
    }
    if (result != QDialog::Accepted)
        return;
    m_strRmTypes = picker.resultText();
    UpdateData(false);
    OnSearch();
}

void CTavelinDlg::OnPrint()
{
    // The grid the tab shows; the other one keeps its settings.
    CSpreadSheet *grid = m_tabView->currentIndex() == 0 ? m_gridGrade : m_gridOrg;
    requestForecastPrint(*grid->sheet(), businessDay());
}

void CTavelinDlg::OnClickGridGrade(int column, int row)
{
    crossHighlight(*m_gridGrade->sheet(), column, row);
}

void CTavelinDlg::OnClickGridOrg(int column, int row)
{
    crossHighlight(*m_gridOrg->sheet(), column, row);
}

void CTavelinDlg::OnRightClickGridGrade(int column, int row)
{
    const std::optional<int> figure = bookingFigure(*m_gridGrade->sheet(), column, row);
    if (!figure)
        return;
    m_nCellRooms = *figure;

    QMenu menu(this);
    menu.addAction(u"普通预定"_s)->setData(IdBookNormal);
    menu.addAction(u"候补预定"_s)->setData(IdBookWaitlist);
    const QAction *chosen = popUpMenu(menu, QCursor::pos());
    if (!chosen)
        return;
    if (chosen->data().toInt() == IdBookNormal)
        OnBookNormal();
    else if (chosen->data().toInt() == IdBookWaitlist)
        OnBookWaitlist();
}

void CTavelinDlg::OnDblClickGridGrade()
{
}

void CTavelinDlg::OnBookNormal()
{
    handOffBooking();
}

void CTavelinDlg::OnBookWaitlist()
{
    handOffBooking();
}

void CTavelinDlg::handOffBooking()
{
    if (m_nCellRooms < 0
        && showMessage(this, u"该等级客房已超预定，是否继续？"_s, u"警告"_s, MessageKind::Question)
               != MessageAnswer::Yes)
        return;
    const HostContext &host = hostContext();
    switch (handOffToReservation(host.hostText, host.businessDate)) {
    case HandOff::Done:
        break;
    case HandOff::ModuleMissing:
        showMessage(this, u"找不到所需的"_s + ReservationModuleFile + u"!"_s, u"提示信息"_s);
        break;
    case HandOff::EntryMissing:
        showMessage(this, u"调用RsvDetail_Ex函数错误!"_s, u"系统错误"_s);
        break;
    }
}

} // namespace tavelin
