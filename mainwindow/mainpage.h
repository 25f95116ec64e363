#ifndef MAINPAGE_H
#define MAINPAGE_H

#include "mainwindow.h"

#include <QObject>

class ctrlUiClass;

namespace Ui {
class MainWindow;
}

// The behaviour of one area of the main window (a page, or the buttons of an
// area spread over several pages). Its widgets stay in the window's one form;
// the area owns what they do. Made by the window at start-up, after its lists
// are bound; the dialogs it opens send their requests to the window.
class MainPage : public QObject
{
public:
    MainPage(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl)
        : QObject(window), m_window(window), ui(form), m_ctrl(ctrl)
    {
    }

protected:
    // The window's request slot takes what the dialog sends.
    template <typename Dlg>
    void sendsToWindow(Dlg *dlg) const
    {
        QObject::connect(dlg, &Dlg::DlgSend, m_window, &MainWindow::DlgRecv);
    }

    MainWindow *const m_window;
    Ui::MainWindow *const ui;
    ctrlUiClass *const m_ctrl;
};

#endif
