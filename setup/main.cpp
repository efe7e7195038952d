// TolvaneSetup: prepares Tolvane for the user who runs it, or removes it ("/u").
#include "setup/SetupProgram.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return tolvane::setup::SetupMain();
}
