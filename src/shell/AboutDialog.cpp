#include "shell/AboutDialog.h"

#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/ShellResources.h"

#ifndef ORVEX_VERSION
#error "ORVEX_VERSION must be defined by the build"
#endif

const char* const CAboutDialog::kTitleText = "Orvex - The visual ISO base meida file format viewer";

QString CAboutDialog::VersionText() {
    return QStringLiteral("Version " ORVEX_VERSION " (Unicode)");
}

QString CAboutDialog::HistoryText() {
    InitShellResources();
    QFile file(QStringLiteral(":/text/history.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString::fromUtf8(kTitleText), this);
    title->setObjectName(QStringLiteral("aboutTitle"));
    layout->addWidget(title);
    auto* version = new QLabel(VersionText(), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    layout->addWidget(version);

    auto* history = new QPlainTextEdit(this);
    history->setObjectName(QStringLiteral("aboutHistory"));
    history->setReadOnly(true);
    history->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QString text = HistoryText();
    history->setPlainText(text);
    // The history keeps its own line breaks; wrapping it again at the control's edge would break
    // its long lines a second time. So the control is as wide as the longest line.
    history->setLineWrapMode(QPlainTextEdit::NoWrap);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, history->fontMetrics().horizontalAdvance(line));
    const int margins =
        2 * (history->frameWidth() + static_cast<int>(history->document()->documentMargin()) + 2);
    const int scrollBar = history->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    history->setMinimumSize(std::max(420, widest + margins + scrollBar), 220);
    layout->addWidget(history, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}
