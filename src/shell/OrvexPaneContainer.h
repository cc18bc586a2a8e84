#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QVBoxLayout;

// A pane with a title bar above its one client window: the lower pane of the main window,
// titled "Logs", around the log view.
class COrvexPaneContainer : public QFrame {
    Q_OBJECT

public:
    explicit COrvexPaneContainer(const QString& title, QWidget* parent = nullptr);

    QString GetTitle() const;
    // Puts `client` below the title; the pane takes it over.
    void SetClient(QWidget* client);
    QWidget* GetClient() const { return m_client; }

private:
    QLabel* m_title;
    QVBoxLayout* m_layout;
    QWidget* m_client = nullptr;
};
