#ifndef STARTUP_H
#define STARTUP_H

class QApplication;

// The program after the application object exists: main window (database and
// tables), login, then the event loop. Returns the process exit code.
int runMochen(QApplication &app);

#endif
