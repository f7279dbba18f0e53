#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QListWidget;

namespace Ui {
class CRmTypeDlg;
}

namespace tavelin {

// "客房等级选择": every room grade of the hotel as a check list, all
// unchecked at each opening. OK turns the checked lines into a room grade
// list; Back, Esc and the close box change nothing.
class CRmTypeDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CRmTypeDlg(QWidget *parent = nullptr);
    ~CRmTypeDlg() override;

    // Fills the list from the host's database, then runs the window modally;
    // Accepted (1) on OK, Rejected otherwise. Database errors pass on to the
    // caller as DatabaseError before the window shows.
    int DoModal();

    // Fills the list; DoModal runs it once.
    bool OnInitDialog();

    // The room grade list; written by OK only.
    const QString &resultText() const noexcept { return m_strResult; }

    void OnSelectAll();
    void OnSelectNone();
    void accept() override;

    QListWidget *m_lstRmTypes = nullptr;

    // Replaces the modal loop for the whole process (tests): the runner gets
    // the filled window and returns its result. Empty goes back to exec().
    using Runner = std::function<int(CRmTypeDlg &)>;
    static void setRunner(Runner runner);

private:
    void setAllChecks(Qt::CheckState state);

    std::unique_ptr<Ui::CRmTypeDlg> m_ui;
    QString m_strResult;
    bool m_initialized = false;
};

} // namespace tavelin
