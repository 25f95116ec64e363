#include "tishidlg.h"
#include "ui_tishidlg.h"

#include <QTimerEvent>

tishiDlg::tishiDlg(QWidget *parent) : QDialog(parent), ui(new Ui::tishiDlg)
{
    ui->setupUi(this);
    m_timer = startTimer(30000, Qt::CoarseTimer);
}

tishiDlg::~tishiDlg() { delete ui; }

void tishiDlg::setText(const QString &text) { ui->label->setText(text); }

void tishiDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer) {
        killTimer(m_timer);
        m_timer = 0;
        close();
    }
}
