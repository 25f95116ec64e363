#ifndef CATALOGUE_TESTKIT_H
#define CATALOGUE_TESTKIT_H

// Shared by the catalogue tests: a stand-in for the main window's request
// dispatch (insert / update / delete through the table registry), and small
// helpers to fill dialogs by object name.

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

struct Dispatcher
{
    ctrlUiClass ctrl;
    std::unique_ptr<TableRegistry> registry{new TableRegistry};
    QStringList keys; // every request seen, as "key table"

    void handle(const QString &key, const QVariant &value)
    {
        if (value.canConvert<dbctrlstruct>() && value.userType() == qMetaTypeId<dbctrlstruct>()) {
            const dbctrlstruct r = value.value<dbctrlstruct>();
            keys << key + QLatin1Char(' ') + r.table;
            if (key == QStringLiteral("添加数据"))
                ctrl.insertRecord(registry->find(r.table), r.values);
        } else if (value.userType() == qMetaTypeId<redbctrlstruct>()) {
            const redbctrlstruct r = value.value<redbctrlstruct>();
            keys << key + QLatin1Char(' ') + r.table;
            if (key == QStringLiteral("修改数据"))
                ctrl.updateRecord(registry->find(r.table), r.fields, r.values, r.whereCount);
            else if (key == QStringLiteral("删除数据"))
                ctrl.deleteRecord(registry->find(r.table), r.fields, r.values);
        }
    }

    // Connects a dialog's DlgSend(QString,QVariant) to this dispatcher.
    template <typename Dlg> void attach(Dlg *dlg)
    {
        QObject::connect(dlg, &Dlg::DlgSend, [this](QString k, QVariant v) { handle(k, v); });
    }
};

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
