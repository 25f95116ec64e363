#include "cataloguesupport.h"

#include <QComboBox>
#include <QLineEdit>

#include "ctrluiclass.h"
#include "prompt.h"
#include "sqltext.h"

namespace Catalogue {

void plainMessage(const QString &text, QWidget *parent)
{
    PromptRequest request;
    request.text = text;
    request.buttons = QStringList{QStringLiteral("确定")};
    request.parent = parent;
    Prompt::ask(request);
}

bool readMoney(QLineEdit *edit, const QString &label, QString *out, QWidget *parent,
               bool allowEmpty)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty() && allowEmpty) {
        *out = QStringLiteral("0");
        return true;
    }
    bool ok = false;
    const double value = parseNumber(text, &ok);
    if (!ok || value < 0) {
        plainMessage(label + QStringLiteral("必须是不小于0的数字"), parent);
        edit->setFocus();
        return false;
    }
    *out = moneyText(value);
    return true;
}

void setComboText(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    if (index >= 0) {
        box->setCurrentIndex(index);
        return;
    }
    if (text.isEmpty())
        return;
    box->setEditable(true);
    box->setEditText(text);
}

void refillCombo(ctrlUiClass &ui, QComboBox *box, const QString &sql)
{
    const QString keep = box->currentText();
    ui.fillCombo(box, sql, QStringLiteral("db"));
    setComboText(box, keep);
}

QString listSql(const QString &listName, const QString &caption)
{
    return QStringLiteral("select mingchen as %1 from leibie where leibiestr='%2'")
        .arg(caption, sqlEsc(listName));
}

QString saveFailedText()
{
    return QStringLiteral("保存失败，本次操作未保存");
}
}
