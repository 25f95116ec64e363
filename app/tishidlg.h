#ifndef TISHIDLG_H
#define TISHIDLG_H

#include <QDialog>

namespace Ui { class tishiDlg; }

// A small notice that closes itself after thirty seconds.
class tishiDlg : public QDialog
{
    Q_OBJECT
public:
    explicit tishiDlg(QWidget *parent = nullptr);
    ~tishiDlg() override;
    void setText(const QString &text);
protected:
    void timerEvent(QTimerEvent *event) override;
private:
    Ui::tishiDlg *ui;
    int m_timer = 0;
};

#endif
