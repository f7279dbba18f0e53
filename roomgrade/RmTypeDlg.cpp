#include "roomgrade/RmTypeDlg.h"

#include "data/RecordSet.h"
#include "forecast/DialogUnits.h"
#include "hosting/HostContext.h"
#include "roomgrade/RoomGradeChoice.h"
#include "ui_RmTypeDlg.h"

#include <QFontInfo>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

CRmTypeDlg::Runner &runner()
{
    static CRmTypeDlg::Runner instance;
    return instance;
}

// A line is 40 GBK columns: ASCII half width and Chinese full width line up
// only in a font with double-width CJK glyphs.
QFont listFont()
{
    QFont font(u"WenQuanYi Zen Hei Mono"_s);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

} // namespace

CRmTypeDlg::CRmTypeDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CRmTypeDlg>())
{
    QFont templateFont = font();
    templateFont.setPointSize(10);
    setFont(templateFont);
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    m_lstRmTypes = m_ui->lstRmTypes;
    // Even pixel sizes keep a Chinese character exactly two ASCII ones wide.
    QFont lineFont = listFont();
    lineFont.setPixelSize(std::max(10, QFontInfo(font()).pixelSize() & ~1));
    m_lstRmTypes->setFont(lineFont);

    // A whole line must show: where the template's list is too narrow for 40
    // columns of this font, the x unit widens, keeping the proportions.
    DialogUnits units(font());
    const int lineWidth = QFontMetrics(lineFont).horizontalAdvance(QString(40, u'0'))
                          + style()->pixelMetric(QStyle::PM_IndicatorWidth)
                          + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)
                          + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * m_lstRmTypes->frameWidth() + 12;
    units.x = std::max(units.x, lineWidth / double(m_lstRmTypes->width()));
    const auto children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children)
        child->setGeometry(units.toPixels(child->geometry()));
    setFixedSize(units.toPixels(QRect(0, 0, 146, 158)).size());

    connect(m_ui->btnOk, &QPushButton::clicked, this, &CRmTypeDlg::accept);
    connect(m_ui->btnBack, &QPushButton::clicked, this, &CRmTypeDlg::reject);
    connect(m_ui->btnSelectAll, &QPushButton::clicked, this, &CRmTypeDlg::OnSelectAll);
    connect(m_ui->btnSelectNone, &QPushButton::clicked, this, &CRmTypeDlg::OnSelectNone);
    m_ui->btnOk->setFocus(Qt::OtherFocusReason);
}

CRmTypeDlg::~CRmTypeDlg() = default;

int CRmTypeDlg::DoModal()
{
    if (!m_initialized) {
        m_initialized = true;
        OnInitDialog();
    }
    if (runner())
        return runner()(*this);
    return exec();
}

void CRmTypeDlg::setRunner(Runner runnerFunction)
{
    runner() = std::move(runnerFunction);
}

bool CRmTypeDlg::OnInitDialog()
{
    RecordSet recordSet(hostContext().database);
    const QStringList lines = readRoomGradeLines(recordSet);
    m_lstRmTypes->clear();
    for (const QString &line : lines) {
        auto *item = new QListWidgetItem(line, m_lstRmTypes);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_ui->btnOk->setFocus(Qt::OtherFocusReason);
    return true;
}

void CRmTypeDlg::setAllChecks(Qt::CheckState state)
{
    for (int i = 0; i < m_lstRmTypes->count(); ++i)
        m_lstRmTypes->item(i)->setCheckState(state);
}

void CRmTypeDlg::OnSelectAll()
{
    setAllChecks(Qt::Checked);
}

void CRmTypeDlg::OnSelectNone()
{
    setAllChecks(Qt::Unchecked);
}

void CRmTypeDlg::accept()
{
    QStringList lines;
    QList<bool> checked;
    for (int i = 0; i < m_lstRmTypes->count(); ++i) {
        const QListWidgetItem *item = m_lstRmTypes->item(i);
        lines.append(item->text());
        checked.append(item->checkState() == Qt::Checked);
    }
    m_strResult = roomGradeList(lines, checked);
    QDialog::accept();
}

} // namespace tavelin
