#include "cataloguesupport.h"

#include <QComboBox>
#include <QLineEdit>

#include "amounts.h"
#include "cataloguebook.h"
#include "dbfailure.h"
#include "prompt.h"

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
    const MoneyInput money = parseMoneyInput(text, label);
    if (!money.ok || text.isEmpty()) {
        plainMessage(text.isEmpty() ? label + QStringLiteral("不能为空") : money.error, parent);
        edit->setFocus();
        return false;
    }
    *out = centsText(money.cents);
    return true;
}

bool readCents(QLineEdit *edit, const QString &label, qint64 *cents, QWidget *parent, bool allowEmpty)
{
    QString text;
    if (!readMoney(edit, label, &text, parent, allowEmpty))
        return false;
    *cents = parseMoneyInput(text, label).cents;
    return true;
}

bool readCount(QLineEdit *edit, const QString &label, double *out, QWidget *parent, bool positive,
               int maxDecimals)
{
    const QString text = edit->text().trimmed();
    const CountInput count = parseCountInput(text, label, maxDecimals);
    QString problem = count.error;
    if (count.ok && positive && count.value <= 0)
        problem = label + QStringLiteral("必须大于0");
    if (!problem.isEmpty()) {
        plainMessage(problem, parent);
        edit->setFocus();
        return false;
    }
    *out = count.value;
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

void fillNamedList(QComboBox *box, const QString &listName)
{
    box->clear();
    box->addItems(CatalogueBook::listEntries(listName));
}

void refillNamedList(QComboBox *box, const QString &listName)
{
    const QString keep = box->currentText();
    fillNamedList(box, listName);
    setComboText(box, keep);
}

QString saveFailedText(const QString &error)
{
    return saveFailureText(QStringLiteral("保存失败"), error);
}
}
