#include "shell/OrvexOptions.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/GeneralOptionPage.h"

COrvexOptions::COrvexOptions(ISettingsStore& settings, CShellPrompts& prompts, QWidget* owner)
    : QDialog(owner) {
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* pages = new QTabWidget(this);
    m_generalPage = new CGeneralOptionPage(settings, prompts, pages);
    pages->addTab(m_generalPage, QString::fromLatin1(CGeneralOptionPage::kTitle));
    layout->addWidget(pages);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COrvexOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COrvexOptions::reject);
    layout->addWidget(buttons);
}

void COrvexOptions::accept() {
    m_generalPage->Apply();
    QDialog::accept();
}
