#ifndef CATALOGUE_TESTKIT_H
#define CATALOGUE_TESTKIT_H

// Shared by the catalogue tests: the shared request dispatch (testsupport.h)
// and small helpers to fill dialogs by object name.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QTextEdit>
#include <QVariant>
#include <memory>

#include "ctrluiclass.h"
#include "dbrecords.h"
#include "tableregistry.h"
#include "testsupport.h"

// The catalogue tests' name for the shared dispatch.
using Dispatcher = TestDispatch;

template <typename T> T *child(QObject *root, const char *name)
{
    T *w = root->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

inline void setText(QObject *root, const char *name, const QString &text)
{
    child<QLineEdit>(root, name)->setText(text);
}

inline void setChecked(QObject *root, const char *name, bool on)
{
    child<QCheckBox>(root, name)->setChecked(on);
}

inline void setCombo(QObject *root, const char *name, const QString &text)
{
    QComboBox *box = child<QComboBox>(root, name);
    const int i = box->findText(text);
    if (i >= 0)
        box->setCurrentIndex(i);
    else
        qFatal("combo %s has no entry", name);
}

#endif
