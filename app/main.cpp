#include <QApplication>

#include "promptboxes.h"
#include "qttranslations.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installQtTranslations(app);
    PromptBoxes::install();
    return runMochen(app);
}
