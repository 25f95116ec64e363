#include <QApplication>

#include "qttranslations.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installQtTranslations(app);
    return runMochen(app);
}
