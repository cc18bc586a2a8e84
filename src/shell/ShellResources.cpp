#include "shell/ShellResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE has to be used outside any namespace.
static void InitOrvexResources() {
    Q_INIT_RESOURCE(orvex);
}

void InitShellResources() {
    static const bool done = (InitOrvexResources(), true);
    (void)done;
}
