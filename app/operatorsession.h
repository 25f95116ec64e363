#ifndef OPERATORSESSION_H
#define OPERATORSESSION_H

#include <QString>

// The logged-in operator, filled once by the login and only read afterwards.
struct OperatorSession
{
    QString loginName; // empty: nobody logged in
    QString name;
    float zuidizekou = 0;
    float qiandanjine = 0;
    QString xiugaixiaoshoudanjia;
    QString xiugaibankajiage;
    QString tupodijia;
    QString xiugaitaocanxiaofeicishu;
    QString xitongshezhi;
    QString jinyong;
};

OperatorSession &operatorSession();

class QWidget;
// Whether the operator at work holds the settings right as the shop's rows say
// now; when not, tells them so (the rights message) over `parent`. For the
// windows' entries to what needs the right: a page, a dialog, a list export.
bool atWorkMayChangeSettings(QWidget *parent);

#endif
