#include "bookingdlg.h"
#include "ui_bookingdlg.h"

#include "bookingwriter.h"
#include "ctrluiclass.h"
#include "operatorsession.h"
#include "prompt.h"
#include "workinghours.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QShortcut>
#include <QSpinBox>
#include <QTimeEdit>

namespace {
enum ItemColumn { kItem, kStaff, kStart, kMinutes };
}

BookingDlg::BookingDlg(QWidget *parent) : QDialog(parent), ui(new Ui::BookingDlg)
{
    ui->setupUi(this);
    ui->comboBox_source->addItems(QString::fromUtf8(kBookingSources).split(QStringLiteral("、")));
    ui->tableWidget_items->horizontalHeader()->setSectionResizeMode(kItem, QHeaderView::Stretch);
    ui->tableWidget_items->horizontalHeader()->setSectionResizeMode(kStaff, QHeaderView::Stretch);
    ui->tableWidget_items->verticalHeader()->hide();
    ui->tableWidget_items->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_items = BookingBook::serviceItems();
    connect(ui->lineEdit_member, &QLineEdit::returnPressed, this, &BookingDlg::on_toolButton_findMember_clicked);
    auto *save = new QShortcut(QKeySequence(QStringLiteral("Ctrl+S")), this);
    connect(save, &QShortcut::activated, this, &BookingDlg::on_toolButton_save_clicked);
    auto *add = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Ins")), this);
    connect(add, &QShortcut::activated, this, &BookingDlg::on_toolButton_addItem_clicked);
}

BookingDlg::~BookingDlg()
{
    delete ui;
}

void BookingDlg::fillEmployees(const QDate &date)
{
    m_staff = WorkingHours::day(date);
}

void BookingDlg::setupNew(const QString &employeeId, const QDateTime &start)
{
    setWindowTitle(QStringLiteral("新建预约"));
    ui->dateEdit_day->blockSignals(true);
    ui->dateEdit_day->setDate(start.date());
    ui->dateEdit_day->blockSignals(false);
    fillEmployees(start.date());
    BookingItem first;
    first.employeeId = employeeId;
    first.start = start;
    first.minutes = m_items.isEmpty() ? 60 : m_items.first().minutes;
    addItemRow(first);
    showState();
    ui->lineEdit_member->setFocus();
}

bool BookingDlg::setupExisting(const QString &bookingId)
{
    BookingRecord rec;
    if (!BookingBook::find(bookingId, &rec))
        return false;
    m_bookingId = bookingId;
    m_state = rec.state;
    const Booking &b = rec.booking;
    setWindowTitle(QStringLiteral("预约单 ") + bookingId);
    m_memberId = b.memberId == QLatin1String(kWalkInId) ? QString() : b.memberId;
    ui->lineEdit_member->setText(m_memberId);
    ui->lineEdit_name->setText(b.customerName);
    ui->lineEdit_phone->setText(b.phone);
    ui->comboBox_source->setCurrentText(b.source);
    ui->lineEdit_remark->setText(b.remark);
    const QDate day = b.items.isEmpty() ? QDate::currentDate() : b.items.first().start.date();
    ui->dateEdit_day->blockSignals(true);
    ui->dateEdit_day->setDate(day);
    ui->dateEdit_day->blockSignals(false);
    fillEmployees(day);
    for (const BookingItem &i : b.items)
        addItemRow(i);
    QString state = QStringLiteral("状态：") + rec.state;
    if (!rec.saleId.isEmpty())
        state += QStringLiteral("　消费单：") + rec.saleId;
    if (!rec.cancelReason.isEmpty())
        state += QStringLiteral("　原因：") + rec.cancelReason;
    state += QStringLiteral("　登记：%1 %2 %3").arg(rec.createdAt, b.operatorName, b.desk);
    ui->label_state->setText(state);
    for (const QStringList &h : BookingBook::history(bookingId))
        ui->listWidget_history->addItem(h.join(QStringLiteral("  ")));
    if (!m_memberId.isEmpty()) {
        const MemberBookings m = BookingBook::member(m_memberId, QDateTime::currentDateTime());
        ui->label_memberInfo->setText(QStringLiteral("爽约次数：%1").arg(m.noShows));
    }
    showState();
    return true;
}

// What may be done depends on where the booking stands.
void BookingDlg::showState()
{
    using namespace BookingState;
    const bool isNew = m_bookingId.isEmpty();
    const bool open = isNew || m_state == text(kBooked) || m_state == text(kArrived);
    ui->toolButton_save->setEnabled(open);
    ui->toolButton_arrive->setVisible(!isNew);
    ui->toolButton_checkout->setVisible(!isNew);
    ui->toolButton_noShow->setVisible(!isNew);
    ui->toolButton_cancel->setVisible(!isNew);
    ui->toolButton_arrive->setEnabled(m_state == text(kBooked));
    ui->toolButton_noShow->setEnabled(m_state == text(kBooked));
    ui->toolButton_checkout->setEnabled(!isNew && open);
    ui->toolButton_cancel->setEnabled(!isNew && open);
    ui->label_state->setVisible(!isNew);
    ui->listWidget_history->setVisible(!isNew);
    ui->tableWidget_items->setEnabled(open);
    ui->toolButton_addItem->setEnabled(open);
    ui->toolButton_removeItem->setEnabled(open);
}

void BookingDlg::addItemRow(const BookingItem &item)
{
    QTableWidget *t = ui->tableWidget_items;
    const int row = t->rowCount();
    t->insertRow(row);
    auto *items = new QComboBox;
    items->setObjectName(QStringLiteral("bookingItem_%1").arg(row));
    for (const BookableItem &i : m_items)
        items->addItem(i.id + QLatin1Char(' ') + i.name, i.id);
    auto *staff = new QComboBox;
    staff->setObjectName(QStringLiteral("bookingStaff_%1").arg(row));
    for (const WorkingDay &d : m_staff)
        staff->addItem(d.working ? d.name : d.name + QStringLiteral("（休息）"), d.employeeId);
    auto *start = new QTimeEdit;
    start->setObjectName(QStringLiteral("bookingStart_%1").arg(row));
    start->setDisplayFormat(QStringLiteral("HH:mm"));
    auto *minutes = new QSpinBox;
    minutes->setObjectName(QStringLiteral("bookingMinutes_%1").arg(row));
    minutes->setRange(5, 720);
    minutes->setSingleStep(15);
    const int at = items->findData(item.itemId);
    if (at >= 0)
        items->setCurrentIndex(at);
    const int who = staff->findData(item.employeeId);
    if (who >= 0)
        staff->setCurrentIndex(who);
    start->setTime(item.start.isValid() ? item.start.time() : QTime(10, 0));
    minutes->setValue(item.minutes);
    // The duration follows the chosen item; the cashier may type over it.
    connect(items, QOverload<int>::of(&QComboBox::currentIndexChanged), minutes, [this, minutes](int index) {
        if (index >= 0 && index < m_items.size())
            minutes->setValue(m_items.at(index).minutes);
    });
    t->setCellWidget(row, kItem, items);
    t->setCellWidget(row, kStaff, staff);
    t->setCellWidget(row, kStart, start);
    t->setCellWidget(row, kMinutes, minutes);
}

void BookingDlg::on_toolButton_addItem_clicked()
{
    // The next item follows the last one, with the same stylist.
    BookingItem next;
    const int last = ui->tableWidget_items->rowCount() - 1;
    next.start = QDateTime(ui->dateEdit_day->date(), QTime(10, 0));
    next.minutes = m_items.isEmpty() ? 60 : m_items.first().minutes;
    if (last >= 0) {
        const Booking b = bookingFromForm();
        next.employeeId = b.items.last().employeeId;
        next.start = b.items.last().end();
    } else if (!m_staff.isEmpty()) {
        next.employeeId = m_staff.first().employeeId;
    }
    addItemRow(next);
}

void BookingDlg::on_toolButton_removeItem_clicked()
{
    const int row = ui->tableWidget_items->currentRow();
    if (row >= 0)
        ui->tableWidget_items->removeRow(row);
    else if (ui->tableWidget_items->rowCount() > 0)
        ui->tableWidget_items->removeRow(ui->tableWidget_items->rowCount() - 1);
}

void BookingDlg::on_dateEdit_day_dateChanged(const QDate &date)
{
    // The stylists working that day, each row keeping its choice where it can.
    const Booking b = bookingFromForm();
    fillEmployees(date);
    ui->tableWidget_items->setRowCount(0);
    for (BookingItem i : b.items) {
        i.start = QDateTime(date, i.start.time());
        addItemRow(i);
    }
}

void BookingDlg::on_toolButton_findMember_clicked()
{
    const QString typed = ui->lineEdit_member->text().trimmed();
    if (typed.isEmpty()) {
        m_memberId.clear();
        ui->label_memberInfo->setText(QStringLiteral("散客：请填写顾客姓名和电话"));
        return;
    }
    const QList<QStringList> found = BookingBook::findMembers(typed);
    if (found.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("找不到会员“%1”，散客请把会员栏留空").arg(typed), this);
        return;
    }
    if (found.size() > 1) {
        ctrlUiClass::showInfo(QStringLiteral("有%1位会员符合“%2”，请输入会员卡号").arg(found.size()).arg(typed), this);
        return;
    }
    const QStringList &m = found.first();
    m_memberId = m.value(0);
    ui->lineEdit_member->setText(m_memberId);
    ui->lineEdit_name->setText(m.value(1));
    ui->lineEdit_phone->setText(m.value(2));
    const MemberBookings b = BookingBook::member(m_memberId, QDateTime::currentDateTime());
    ui->label_memberInfo->setText(QStringLiteral("%1　%2　下次预约：%3　爽约次数：%4")
                                      .arg(m.value(1), m.value(3), b.nextText.isEmpty() ? QStringLiteral("无") : b.nextText)
                                      .arg(b.noShows));
}

Booking BookingDlg::bookingFromForm() const
{
    Booking b;
    b.documentId = m_bookingId;
    b.memberId = m_memberId.isEmpty() ? QString::fromUtf8(kWalkInId) : m_memberId;
    b.customerName = ui->lineEdit_name->text().trimmed();
    b.phone = ui->lineEdit_phone->text().trimmed();
    b.source = ui->comboBox_source->currentText();
    b.remark = ui->lineEdit_remark->text().trimmed();
    b.operatorName = operatorSession().name;
    const QTableWidget *t = ui->tableWidget_items;
    for (int row = 0; row < t->rowCount(); ++row) {
        BookingItem i;
        const auto *items = qobject_cast<QComboBox *>(t->cellWidget(row, kItem));
        const auto *staff = qobject_cast<QComboBox *>(t->cellWidget(row, kStaff));
        const auto *start = qobject_cast<QTimeEdit *>(t->cellWidget(row, kStart));
        const auto *minutes = qobject_cast<QSpinBox *>(t->cellWidget(row, kMinutes));
        if (!items || !staff || !start || !minutes)
            continue;
        i.itemId = items->currentData().toString();
        i.itemName = i.itemId.isEmpty() ? QString() : items->currentText().section(QLatin1Char(' '), 1);
        i.employeeId = staff->currentData().toString();
        i.start = QDateTime(ui->dateEdit_day->date(), start->time());
        i.minutes = minutes->value();
        b.items << i;
    }
    return b;
}

void BookingDlg::on_toolButton_save_clicked()
{
    if (!m_bookingId.isEmpty() && !ui->toolButton_save->isEnabled())
        return;
    // A member typed but not looked up yet is looked up now.
    if (m_memberId != ui->lineEdit_member->text().trimmed()) {
        on_toolButton_findMember_clicked();
        if (m_memberId != ui->lineEdit_member->text().trimmed())
            return;
    }
    Booking b = bookingFromForm();
    const QString shape = BookingWriter::shapeRefusal(b);
    if (!shape.isEmpty()) {
        ctrlUiClass::showInfo(shape, this);
        return;
    }
    // A time outside the hours is the cashier's call, asked once per item.
    for (const BookingItem &i : b.items) {
        const QString outside = WorkingHours::outsideHours(i);
        if (!outside.isEmpty()) {
            if (!ctrlUiClass::askYesNo(outside + QStringLiteral("，仍要预约吗？"), this))
                return;
            b.outsideHoursAccepted = true;
        }
    }
    const LedgerResult r = m_bookingId.isEmpty() ? BookingWriter::book(b) : BookingWriter::change(b);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    m_bookingId = r.documentId;
    m_changed = true;
    accept();
}

bool BookingDlg::finishChange(const LedgerResult &r)
{
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return false;
    }
    m_changed = true;
    accept();
    return true;
}

void BookingDlg::on_toolButton_arrive_clicked()
{
    finishChange(BookingWriter::arrive(m_bookingId, operatorSession().name));
}

void BookingDlg::on_toolButton_checkout_clicked()
{
    m_checkout = true;
    accept();
}

void BookingDlg::on_toolButton_noShow_clicked()
{
    if (!ctrlUiClass::askYesNo(QStringLiteral("确定把%1的预约标为爽约吗？").arg(ui->lineEdit_name->text()), this))
        return;
    finishChange(BookingWriter::noShow(m_bookingId, operatorSession().name));
}

void BookingDlg::on_toolButton_cancel_clicked()
{
    const QStringList reasons = {QStringLiteral("顾客改期"), QStringLiteral("顾客取消"), QStringLiteral("店内安排"),
                                 QStringLiteral("返回")};
    const int answer = Prompt::ask({QStringLiteral("取消预约"), QStringLiteral("请选择取消预约的原因："), reasons, this});
    if (answer < 0 || answer >= reasons.size() - 1)
        return;
    finishChange(BookingWriter::cancel(m_bookingId, reasons.at(answer), operatorSession().name));
}

void BookingDlg::on_toolButton_close_clicked()
{
    reject();
}
