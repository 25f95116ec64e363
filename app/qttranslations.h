#ifndef QTTRANSLATIONS_H
#define QTTRANSLATIONS_H

class QCoreApplication;

// Qt's own dialogs (file dialog, buttons of standard boxes) speak Chinese like
// the rest of the program. Qt's catalogue is taken from a "translations" folder
// beside the program first, then from Qt's installation; returns whether one was
// found (without it those dialogs stay in English, nothing else changes).
bool installQtTranslations(QCoreApplication &app);

#endif
