#include "UntSqliteUtils.h"

#include <QApplication>

// The program's entry. The database module comes first, before any window:
// the database file beside the program exists once it has run.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    initSqliteUtilsModule();
    finiSqliteUtilsModule();
    return 0;
}
