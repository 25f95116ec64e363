#ifndef STARTUP_H
#define STARTUP_H

#include <QString>

class QApplication;

// The program after the application object exists: main window (database and
// tables), login, then the event loop. Returns the process exit code.
int runMochen(QApplication &app);

// What keeps the program from running safely in the working directory (missing or
// broken dbset.xml, a database that cannot be opened, read or written, a damaged
// file, tables that cannot be brought to the layout of dbset.xml); "" when fine.
// Opens the database and adds missing columns as a side effect.
QString installationProblem();

#endif
