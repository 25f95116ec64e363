#include "bookinghoursdlg.h"
#include "ui_bookinghoursdlg.h"

#include "ctrluiclass.h"
#include "dayendtimeedit.h"
#include "operatorsession.h"
#include "workinghours.h"

#include <QCheckBox>
#include <QTimeEdit>

namespace {
// The end edits show 24:00 as such; a start of 24:00 is refused by the writer.
QString hhmm(const QTimeEdit *e)
{
    return DayEndTimeEdit::hhmm(e->time());
}
QTime timeOf(const QString &text)
{
    return DayEndTimeEdit::timeOf(text);
}
} // namespace

BookingHoursDlg::BookingHoursDlg(QWidget *parent) : QDialog(parent), ui(new Ui::BookingHoursDlg)
{
    ui->setupUi(this);
    ui->timeEdit_opens->setTime(timeOf(WorkingHours::shopOpens()));
    ui->timeEdit_closes->setTime(timeOf(WorkingHours::shopCloses()));
    for (const WorkingDay &d : WorkingHours::day(QDate::currentDate()))
        ui->comboBox_employee->addItem(d.employeeId + QLatin1Char(' ') + d.name + QLatin1Char(' ') + d.type, d.employeeId);
    ui->comboBox_kind->addItems({QStringLiteral("正常上班"), QStringLiteral("休息"), QStringLiteral("调班")});
    ui->dateEdit_change->setDate(QDate::currentDate());
    connect(ui->comboBox_employee, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &BookingHoursDlg::showWeek);
    showWeek();
}

BookingHoursDlg::~BookingHoursDlg()
{
    delete ui;
}

void BookingHoursDlg::setDate(const QDate &date)
{
    ui->dateEdit_change->setDate(date);
}

QCheckBox *BookingHoursDlg::dayBox(int weekday) const
{
    return findChild<QCheckBox *>(QStringLiteral("checkBox_day%1").arg(weekday));
}
QTimeEdit *BookingHoursDlg::fromEdit(int weekday) const
{
    return findChild<QTimeEdit *>(QStringLiteral("timeEdit_from%1").arg(weekday));
}
QTimeEdit *BookingHoursDlg::toEdit(int weekday) const
{
    return findChild<QTimeEdit *>(QStringLiteral("timeEdit_to%1").arg(weekday));
}

void BookingHoursDlg::showWeek()
{
    const QList<WeeklyHours> week = WorkingHours::weekly(ui->comboBox_employee->currentData().toString());
    for (int d = 1; d <= 7; ++d) {
        dayBox(d)->setChecked(false);
        fromEdit(d)->setTime(timeOf(WorkingHours::shopOpens()));
        toEdit(d)->setTime(timeOf(WorkingHours::shopCloses()));
    }
    for (const WeeklyHours &h : week) {
        dayBox(h.weekday)->setChecked(true);
        fromEdit(h.weekday)->setTime(timeOf(h.start));
        toEdit(h.weekday)->setTime(timeOf(h.end));
    }
    ui->checkBox_shopHours->setChecked(week.isEmpty());
    on_checkBox_shopHours_toggled(week.isEmpty());
}

void BookingHoursDlg::on_checkBox_shopHours_toggled(bool on)
{
    for (int d = 1; d <= 7; ++d) {
        dayBox(d)->setEnabled(!on);
        fromEdit(d)->setEnabled(!on);
        toEdit(d)->setEnabled(!on);
    }
}

void BookingHoursDlg::saved(const QString &ok, const QString &error)
{
    if (!error.isEmpty()) {
        ctrlUiClass::showInfo(error, this);
        return;
    }
    m_changed = true;
    ctrlUiClass::showInfo(ok, this);
}

void BookingHoursDlg::on_toolButton_saveShop_clicked()
{
    const LedgerResult r = WorkingHours::setShopHours(hhmm(ui->timeEdit_opens), hhmm(ui->timeEdit_closes),
                                                      operatorSession().loginName);
    saved(QStringLiteral("营业时间已保存"), r.ok ? QString() : r.error);
}

void BookingHoursDlg::on_toolButton_saveWeek_clicked()
{
    const QString employee = ui->comboBox_employee->currentData().toString();
    if (employee.isEmpty())
        return;
    QList<WeeklyHours> week;
    if (!ui->checkBox_shopHours->isChecked()) {
        for (int d = 1; d <= 7; ++d)
            if (dayBox(d)->isChecked())
                week << WeeklyHours{d, hhmm(fromEdit(d)), hhmm(toEdit(d))};
        if (week.isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("请至少勾选一天，或选择“每天按营业时间上班”"), this);
            return;
        }
    }
    const LedgerResult r = WorkingHours::setWeekly(employee, week, operatorSession().loginName);
    saved(QStringLiteral("工作时间已保存"), r.ok ? QString() : r.error);
}

void BookingHoursDlg::on_toolButton_saveDay_clicked()
{
    const QString employee = ui->comboBox_employee->currentData().toString();
    if (employee.isEmpty())
        return;
    const QString kind = ui->comboBox_kind->currentIndex() == 0 ? QString() : ui->comboBox_kind->currentText();
    const LedgerResult r = WorkingHours::setDay(employee, ui->dateEdit_change->date(), kind,
                                                hhmm(ui->timeEdit_changeFrom), hhmm(ui->timeEdit_changeTo),
                                                operatorSession().loginName);
    saved(QStringLiteral("%1 的安排已保存").arg(ui->dateEdit_change->date().toString(Qt::ISODate)),
          r.ok ? QString() : r.error);
}

void BookingHoursDlg::on_toolButton_close_clicked()
{
    accept();
}
