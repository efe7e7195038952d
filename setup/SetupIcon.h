// The program's icon, as the setup program's window icon: the PNG sizes rendered from
// resources/icons/tolvane.svg at build time and embedded in the program.
#pragma once

#include <QIcon>

namespace tolvane::setup {

QIcon SetupIcon();

} // namespace tolvane::setup
