#include "app/Resources.h"

#include <QtGlobal>

static void InitTolvaneResources() {
    Q_INIT_RESOURCE(tolvane);
}

namespace tolvane::gui {

void EnsureResources() {
    static const bool registered = (InitTolvaneResources(), true);
    (void)registered;
}

} // namespace tolvane::gui
