#include "shell/ShellResources.h"

#include <QIcon>
#include <QString>
#include <QtGlobal>

// Q_INIT_RESOURCE has to be used outside any namespace.
static void InitOrvexResources() {
    Q_INIT_RESOURCE(orvex);
}

void InitShellResources() {
    static const bool done = (InitOrvexResources(), true);
    (void)done;
}

QIcon LoadIcon(const char* name) {
    InitShellResources();
    const QString base = QStringLiteral(":/icons/") + QString::fromLatin1(name);
    // Qt looks for the large picture itself only when the screens are scaled as the icon is
    // made; added by name, it is there for any screen the window moves to.
    QIcon icon;
    icon.addFile(base + QStringLiteral(".png"));
    icon.addFile(base + QStringLiteral("@2x.png"));
    return icon;
}
