#include "shell/OrvexPaneContainer.h"

#include <QLabel>
#include <QVBoxLayout>

COrvexPaneContainer::COrvexPaneContainer(const QString& title, QWidget* parent)
    : QFrame(parent), m_title(new QLabel(title, this)), m_layout(new QVBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_title->setObjectName(QStringLiteral("paneTitle"));
    m_title->setContentsMargins(4, 2, 4, 2);
    m_title->setAutoFillBackground(true);
    m_title->setBackgroundRole(QPalette::Button);
    m_title->setForegroundRole(QPalette::ButtonText);
    m_layout->addWidget(m_title);
}

QString COrvexPaneContainer::GetTitle() const {
    return m_title->text();
}

void COrvexPaneContainer::SetClient(QWidget* client) {
    if (m_client) {
        m_layout->removeWidget(m_client);
        m_client->deleteLater();
    }
    m_client = client;
    if (client) m_layout->addWidget(client, 1);
}
