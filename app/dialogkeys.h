#ifndef DIALOGKEYS_H
#define DIALOGKEYS_H

class QAbstractButton;
class QDialog;

// The keys every dialog of the counter answers the same way, kept in one
// application-wide filter rather than in each dialog:
// - Enter on a focused button presses it (a tool button would ignore it);
// - in a dialog that names its main action, Enter anywhere else presses that
//   action, and Escape (or closing the window) cancels, asking first when
//   what was typed since the dialog opened would be lost;
// - when a dialog closes, the window beneath takes the keys again, also where
//   no window manager hands the focus back (a bare X server at a kiosk desk).
namespace DialogKeys {

// Installs the filter on the application once; later calls do nothing.
void install();

enum class Cancel { AskWhenChanged, Plain };

// Names the dialog's main action for Enter. With AskWhenChanged, Escape and
// closing ask "输入的内容还没有保存，确定放弃吗？" when an input differs from
// what it held when the dialog was shown; Plain leaves the cancelling to the
// dialog (one that asks in its own reject()).
void setMainAction(QDialog *dialog, QAbstractButton *action, Cancel cancel = Cancel::AskWhenChanged);

// Whether an input of the dialog differs from what it held when shown.
bool inputChanged(const QDialog *dialog);

} // namespace DialogKeys

#endif
