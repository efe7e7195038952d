#include "setup/SetupIcon.h"

#include <QString>

// The icons live in a static library: their resource must be registered by name, or the
// linker leaves it out.
static void InitSetupIcons() {
    Q_INIT_RESOURCE(setup_icons);
}

namespace tolvane::setup {

QIcon SetupIcon() {
    InitSetupIcons();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/setup/icons/%1x%1/tolvane.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

} // namespace tolvane::setup
