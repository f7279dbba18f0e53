#pragma once

#include <QBrush>
#include <QDialog>
#include <QPixmap>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace Ui {
class CTavelinDlg;
}

namespace tavelin {

class CDTPicker;
class CTransParentButton;
enum class FocusTarget;
class CSpreadSheet;

// The forecast window "可租房情况": the criteria, the two forecast grids on a
// tab, and the search, print and exit buttons. It only gathers criteria,
// shows messages and moves the focus; the search itself is core code.
class CTavelinDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CTavelinDlg(QWidget *parent = nullptr);
    ~CTavelinDlg() override;

    // Set-up when the window opens; runs once, from the first show.
    bool OnInitDialog();

    // Reads every control into its member (save) or writes every member back.
    void DoDataExchange(bool save);
    bool UpdateData(bool save = true);

    void OnSearch();
    void OnSelchangeTab();
    void OnChangeBegin();
    void OnKillfocusExposure();
    void OnKillfocusSection();
    void OnRmTypeButton();
    void OnPrint();

    // The grids: the cross highlight on either, the booking menu on the
    // availability grid, and its two commands.
    void OnClickGridGrade(int column, int row);
    void OnClickGridOrg(int column, int row);
    void OnRightClickGridGrade(int column, int row);
    void OnDblClickGridGrade();
    void OnBookNormal();
    void OnBookWaitlist();

    // Command ids of the booking menu's entries, kept as each action's data.
    static constexpr int IdBookNormal = 32771;
    static constexpr int IdBookWaitlist = 32772;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyDialogUnits();
    void watchForEnter(QWidget *widget);
    void fillCodeList(QComboBox *combo, const QString &sql, int codeWidth);
    void checkTypedCode(QComboBox *combo, QString &text, const QString &notFoundMessage);
    void showDatabaseError(const QString &driverText);
    void labelCorners();
    void focusOn(FocusTarget target);
    void handOffBooking();

    std::unique_ptr<Ui::CTavelinDlg> m_ui;

public:
    // Bound controls (attached by the first data exchange) and exchanged values.
    QComboBox *m_cmbExposure = nullptr;
    CTransParentButton *m_btnExit = nullptr;
    CTransParentButton *m_btnSearch = nullptr;
    CTransParentButton *m_btnPrint = nullptr;
    QComboBox *m_cmbSection = nullptr;
    QTabWidget *m_tabView = nullptr;
    CDTPicker *m_dtpBegin = nullptr;
    CDTPicker *m_dtpEnd = nullptr;
    int m_bIncludeDueOut = 0;
    CSpreadSheet *m_gridGrade = nullptr;
    CSpreadSheet *m_gridOrg = nullptr;
    QString m_strExposure;
    QString m_strSection;
    QString m_strRmTypes;
    QBrush m_brushBk;
    std::unique_ptr<QPixmap> m_pBmpBk;
    int m_nCellRooms = 0;

    // The check box and the room grade box, bound for the exchange of their values.
    QCheckBox *m_chkIncludeDueOut = nullptr;
    QLineEdit *m_edtRmTypes = nullptr;

private:
    bool m_initialized = false;
    // The template's geometry in pixels; resizing grows the tab and the grids
    // and keeps the criteria row at the bottom.
    struct Placement
    {
        QWidget *widget;
        QRect rect;
        bool grows;
    };
    QSize m_templateSize;
    std::vector<Placement> m_placements;
};

} // namespace tavelin
