#include "shell/FindBoxDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFindBoxDlg::CFindBoxDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Find a Box"));
    setModal(false);

    auto* layout = new QHBoxLayout(this);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(
        QStringLiteral("The box will be searched from the top visible box\nin the current screen."),
        this));
    texts->addWidget(new QLabel(
        QStringLiteral("Input the box name to find like 'MOOV'. (No case sensitive)"), this));
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    m_findEdit = new QLineEdit(this);
    label->setBuddy(m_findEdit);
    row->addWidget(label);
    row->addWidget(m_findEdit, 1);
    texts->addLayout(row);
    layout->addLayout(texts, 1);

    auto* buttons = new QVBoxLayout;
    m_findNextButton = new QPushButton(QStringLiteral("&Find Next"), this);
    m_findNextButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(m_findNextButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_findNextButton, &QPushButton::clicked, this,
            [this] { emit findNextRequested(GetFindText()); });
    connect(m_cancelButton, &QPushButton::clicked, this, &CFindBoxDlg::reject);
}

QString CFindBoxDlg::GetFindText() const {
    return m_findEdit->text();
}

void CFindBoxDlg::reject() {
    emit cancelRequested();
    QDialog::reject();
}
