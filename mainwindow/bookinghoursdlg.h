#ifndef BOOKINGHOURSDLG_H
#define BOOKINGHOURSDLG_H

#include <QDialog>

namespace Ui {
class BookingHoursDlg;
}
class QCheckBox;
class QTimeEdit;

// "工作时间": the shop's opening hours, each employee's weekly hours, and one
// day changed for an employee (休息, 调班). Each part is saved on its own.
class BookingHoursDlg : public QDialog
{
    Q_OBJECT
public:
    explicit BookingHoursDlg(QWidget *parent = nullptr);
    ~BookingHoursDlg() override;
    // The day changes start on this date.
    void setDate(const QDate &date);
    bool changed() const { return m_changed; }

private slots:
    void on_toolButton_saveShop_clicked();
    void on_toolButton_saveWeek_clicked();
    void on_toolButton_saveDay_clicked();
    void on_toolButton_close_clicked();
    void on_checkBox_shopHours_toggled(bool on);
    void showWeek();

private:
    QCheckBox *dayBox(int weekday) const;
    QTimeEdit *fromEdit(int weekday) const;
    QTimeEdit *toEdit(int weekday) const;
    void saved(const QString &ok, const QString &error);

    Ui::BookingHoursDlg *ui;
    bool m_changed = false;
};

#endif
