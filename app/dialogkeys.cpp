#include "dialogkeys.h"

#include "ctrluiclass.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

namespace {

const char *const kAction = "mochenMainAction";
const char *const kAsk = "mochenAskOnCancel";
const char *const kShown = "mochenInputsWhenShown";

// What a person can have typed or chosen in the dialog itself (not in a
// dialog it opened), in a fixed order.
QStringList inputsOf(const QDialog *dialog)
{
    QStringList values;
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        if (w->window() != dialog)
            continue;
        if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            if (!edit->isReadOnly())
                values << edit->text();
        } else if (auto *text = qobject_cast<QTextEdit *>(w)) {
            if (!text->isReadOnly())
                values << text->toPlainText();
        } else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
            if (!plain->isReadOnly())
                values << plain->toPlainText();
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            values << combo->currentText();
        } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
            values << spin->text();
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->isCheckable())
                values << (button->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        } else if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
            // Lines added to a list (packages, items) are input too.
            if (view->model() && !qobject_cast<QComboBox *>(view->parentWidget()))
                values << QString::number(view->model()->rowCount());
        }
    }
    return values;
}

QAbstractButton *mainActionOf(const QDialog *dialog)
{
    return qobject_cast<QAbstractButton *>(dialog->property(kAction).value<QObject *>());
}

// True when the dialog may close: nothing typed would be lost, or the
// cashier said so.
bool mayDiscard(QDialog *dialog)
{
    return !DialogKeys::inputChanged(dialog)
        || ctrlUiClass::askYesNo(QStringLiteral("输入的内容还没有保存，确定放弃吗？"), dialog);
}

bool isEnter(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Without a window manager nobody gives the focus back when a dialog closes:
// the dialog still open beneath, else the window that opened it, else the
// main window takes it, so its keys keep working.
void refocusAfter(QWidget *opener)
{
    QWidget *target = QApplication::activeModalWidget();
    if (!target && opener && opener->isVisible())
        target = opener;
    if (!target) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QMainWindow *>(w) && w->isVisible()) {
                target = w;
                break;
            }
    }
    if (!target || QApplication::activeWindow() == target)
        return;
    target->activateWindow();
    if (!target->focusWidget())
        target->setFocus();
}

class KeysFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(widget, static_cast<QKeyEvent *>(event));
        case QEvent::Show:
            if (auto *dialog = qobject_cast<QDialog *>(widget))
                if (dialog->isWindow())
                    dialog->setProperty(kShown, inputsOf(dialog));
            return false;
        case QEvent::Hide:
            if (auto *dialog = qobject_cast<QDialog *>(widget)) {
                if (dialog->isWindow() && !event->spontaneous()) {
                    QPointer<QWidget> opener = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
                    QTimer::singleShot(0, qApp, [opener] { refocusAfter(opener); });
                }
            }
            return false;
        case QEvent::Close: {
            auto *dialog = qobject_cast<QDialog *>(widget);
            if (dialog && event->spontaneous() && mainActionOf(dialog) && dialog->property(kAsk).toBool()
                && !mayDiscard(dialog)) {
                event->ignore();
                return true;
            }
            return false;
        }
        default:
            return false;
        }
    }

private:
    static bool keyPress(QWidget *widget, QKeyEvent *key)
    {
        // A focused button pressed with Enter, as with the space bar.
        if (isEnter(key)) {
            auto *button = qobject_cast<QAbstractButton *>(widget);
            if (button && !button->isCheckable() && button->isEnabled() && button->isVisible()) {
                button->click();
                return true;
            }
        }
        auto *dialog = qobject_cast<QDialog *>(widget->window());
        if (!dialog || !dialog->isVisible())
            return false;
        QAbstractButton *action = mainActionOf(dialog);
        if (!action)
            return false;
        if (isEnter(key)) {
            // A text box of several lines takes Enter as a new line.
            if (qobject_cast<QTextEdit *>(widget) || qobject_cast<QPlainTextEdit *>(widget))
                return false;
            if (action->isEnabled() && action->isVisible())
                action->click();
            return true;
        }
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            if (!dialog->property(kAsk).toBool())
                return false;
            if (mayDiscard(dialog))
                dialog->reject();
            return true;
        }
        return false;
    }
};

} // namespace

namespace DialogKeys {

void install()
{
    static KeysFilter *filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new KeysFilter(qApp);
    qApp->installEventFilter(filter);
}

void setMainAction(QDialog *dialog, QAbstractButton *action, Cancel cancel)
{
    install();
    dialog->setProperty(kAction, QVariant::fromValue<QObject *>(action));
    dialog->setProperty(kAsk, cancel == Cancel::AskWhenChanged);
    const QString tip = action->toolTip();
    if (!tip.contains(QStringLiteral("回车")))
        action->setToolTip(action->text() + QStringLiteral("（回车）"));
}

bool inputChanged(const QDialog *dialog)
{
    const QVariant shown = dialog->property(kShown);
    return shown.isValid() && shown.toStringList() != inputsOf(dialog);
}

} // namespace DialogKeys
