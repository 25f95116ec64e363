#include "qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTranslations(QCoreApplication &app)
{
    const QStringList folders = {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)};
    for (const QString &folder : folders) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QStringLiteral("qt_zh_CN"), folder) && app.installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}
