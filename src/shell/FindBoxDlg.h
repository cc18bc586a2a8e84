#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// "Find a Box": modeless, kept by the main frame between uses with its last text. It does not
// search itself: "&Find Next" hands the text to whoever listens, and stays open for the next
// search; "Cancel" (or Escape, or closing the window) says the user is done.
class CFindBoxDlg : public QDialog {
    Q_OBJECT

public:
    explicit CFindBoxDlg(QWidget* parent = nullptr);

    QString GetFindText() const;
    QLineEdit& FindEdit() { return *m_findEdit; }
    QPushButton& FindNextButton() { return *m_findNextButton; }
    QPushButton& CancelButton() { return *m_cancelButton; }

    void reject() override;

signals:
    void findNextRequested(const QString& name);
    void cancelRequested();

private:
    QLineEdit* m_findEdit = nullptr;
    QPushButton* m_findNextButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
