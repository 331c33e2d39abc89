#include "HeapTuning.h"
#include "Unit_Win7Taskbar.h"
#include "UntForms.h"
#include "UntMain.h"
#include "UntSqliteUtils.h"

#include <QApplication>

// The program's entry: the modules prepare themselves, one instance runs, the
// five windows are created and the main window is shown.
int main(int argc, char** argv)
{
    platform::shareHeapsAmongThreads();
    QApplication app(argc, argv);
    // Closing the last visible window only hides the program to the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    identifyProgramToDesktop();

    // Module initialisation, in order: the database (path, creation, import of
    // the previous version's file), then the taskbar progress. A second
    // instance runs them too before it stops.
    initSqliteUtilsModule();
    InitializeTaskbarList();

    if (!acquireSingleInstance())
        return 0;

    QApplication::setApplicationName(QStringLiteral("Yeld Solvek Anti-Bot"));
    createForms();
    FrmMain->show();
    return app.exec();
}
