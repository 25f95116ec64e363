#include "promptboxes.h"
#include "prompt.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
int realBox(const PromptRequest &r)
{
    QMessageBox box(r.parent);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStyleSheet(QString::fromLatin1(Prompt::styleSheet()));
    QList<QAbstractButton *> buttons;
    for (int i = 0; i < r.buttons.size(); ++i) {
        const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        buttons << box.addButton(r.buttons.at(i), role);
    }
    if (!buttons.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.value(r.defaultButton, buttons.first())));
    // With a single button Escape means that button; with a question it means "no answer".
    if (buttons.size() == 1)
        box.setEscapeButton(buttons.first());
    box.exec();
    return buttons.indexOf(box.clickedButton());
}

QString realSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}
QString realOpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}
} // namespace

namespace PromptBoxes {
void install()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Prompt::setBoxes(realBox, realSaveFileName);
    Prompt::setOpenFileBox(realOpenFileName);
}
} // namespace PromptBoxes
