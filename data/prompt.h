#ifndef PROMPT_H
#define PROMPT_H

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every message box and file question of the program passes through here, so
// tests can record the texts and script the answers. The store only asks: the
// boxes themselves are the windows' (app/promptboxes.cpp), given here once.
struct PromptRequest
{
    QString title;
    QString text;
    QStringList buttons;       // first = accept role; "确定", or "是","否"
    QWidget *parent = nullptr;
    // The button Enter presses. A question whose "是" books money the cashier
    // may not have meant (a debt) defaults to its "否".
    int defaultButton = 0;
};

// Returns the index of the clicked button, or -1 for Escape / closing the box.
using PromptHandler = std::function<int(const PromptRequest &)>;
// Returns the chosen file name, or "" when cancelled.
using SaveFileHandler = std::function<QString(QWidget *parent, const QString &caption,
                                              const QString &dir, const QString &filter)>;

namespace Prompt {
int ask(const PromptRequest &request);
QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
// The file to read (a picture to attach, a sheet to import), or "" when cancelled.
QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
void setOpenFileHandler(SaveFileHandler handler); // a test's answer; empty restores the real box
void setOpenFileBox(SaveFileHandler box);         // the windows' real file box

// An empty handler restores the real dialogs.
void setHandler(PromptHandler handler);
void setSaveFileHandler(SaveFileHandler handler);

// The real boxes. Until they are given (a tool without windows) a question is
// said in the log and answered as closed (-1), a file question as cancelled.
void setBoxes(PromptHandler boxes, SaveFileHandler files);

// The style every box of the program carries.
inline const char *styleSheet() { return "QLabel {font:15px;color:#4d85db;}"; }
}

#endif
