#include "startup.h"

#include "dbrecords.h"
#include "logdlg.h"
#include "mainwindow.h"
#include "operatorsession.h"

#include <QApplication>

int runMochen(QApplication &app)
{
    registerRecordTypes();

    // The main window opens the database and creates the tables before anyone logs in.
    MainWindow w;
    {
        logDlg login;
        login.exec();
    }
    if (operatorSession().loginName.isEmpty())
        return 0;

    w.showMaximized();
    return app.exec();
}
