#include "Descriptors.h"
#include "HeapTuning.h"
#include "Platform.h"
#include "Unit_Win7Taskbar.h"
#include "UntForms.h"
#include "UntMain.h"
#include "UntSqliteUtils.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

// Whether Qt has somewhere to show the windows: a display, or a platform chosen
// by QT_QPA_PLATFORM or -platform. Without one Qt would abort with its own
// message.
bool displayOrPlatformChosen(int argc, char** argv)
{
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}

} // namespace

// The program's entry: the modules prepare themselves, one instance runs, the
// five windows are created and the main window is shown.
int main(int argc, char** argv)
{
    if (!displayOrPlatformChosen(argc, argv)) {
        std::fputs("solvek-antibot: no display (DISPLAY and WAYLAND_DISPLAY are not set); "
                   "start it on a desktop, or set QT_QPA_PLATFORM=offscreen to run it without "
                   "one\n",
                   stderr);
        return 1;
    }
    platform::shareHeapsAmongThreads();
    // The probe may hold thousands of connections; it keeps within any limit,
    // but the session's usual 1024 would turn most of them away.
    platform::raiseDescriptorLimit();
    QApplication app(argc, argv);
    // Closing the last visible window only hides the program to the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    // The session's end, kill or Ctrl+C end the program as its Exit command
    // does, keeping the probe's records; the status tells which signal it was.
    platform::current().endRequests().watch([](int signal) { endProgram(128 + signal); });
    identifyProgramToDesktop();

    // The lock comes first: only the running instance may set the database
    // aside or import into it, while a second start must leave it alone.
    const bool running = acquireSingleInstance();
    // Module initialisation, in order: the database (path, creation, import of
    // the previous version's file), then the taskbar progress. A second
    // instance runs them too before it stops.
    initSqliteUtilsModule(running ? InstanceRole::Running : InstanceRole::Second);
    InitializeTaskbarList();
    if (!running)
        return 0;

    QApplication::setApplicationName(QStringLiteral("Yeld Solvek Anti-Bot"));
    createForms();
    FrmMain->show();
    // Reading the whole database takes seconds when it is large and not yet
    // cached: it runs while the window is up.
    startDatabaseCheck();
    const int exitCode = app.exec();
    endDatabaseCheck();
    return exitCode;
}
