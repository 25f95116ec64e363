#include <QApplication>
#include <QLoggingCategory>

#include "promptboxes.h"
#include "qttranslations.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    // Every statement on the debug output is for support, not for the person
    // at the counter: MOCHEN_DEBUG=1 turns it on (QT_LOGGING_RULES still wins).
    // Warnings, the failures, are always written.
    if (qEnvironmentVariableIsEmpty("MOCHEN_DEBUG"))
        QLoggingCategory::setFilterRules(QStringLiteral("mochen.*.debug=false\ndefault.debug=false"));
    QApplication app(argc, argv);
    installQtTranslations(app);
    PromptBoxes::install();
    return runMochen(app);
}
