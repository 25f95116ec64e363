#ifndef HELPDLG_H
#define HELPDLG_H

#include <QDialog>

namespace Ui {
class HelpDlg;
}

// The user manual shipped inside the program: it opens on a shop computer
// that has no network and no browser. The shop's own web address, when
// dbset.xml names one, is offered below it.
class HelpDlg : public QDialog
{
    Q_OBJECT
public:
    explicit HelpDlg(const QString &onlineUrl = QString(), QWidget *parent = nullptr);
    ~HelpDlg() override;

private:
    Ui::HelpDlg *ui;
};

#endif
