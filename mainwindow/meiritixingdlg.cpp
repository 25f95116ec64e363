#include "meiritixingdlg.h"
#include "ui_meiritixingdlg.h"

#include "bookingbook.h"
#include "dbsetconfig.h"
#include "listcounts.h"
#include "operatorsession.h"
#include "reportreads.h"

#include <QHeaderView>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>


namespace {
struct ReminderList
{
    const char *name;  // TableView entry of dbset.xml
    const char *tab;   // tab caption
    const char *unit;  // for the notice; none for a list that is no reminder
};

const ReminderList kLists[] = {
    {"生日提醒", "近期生日", "位会员近期生日"},
    {"套餐将用完提醒", "套餐将用完", "项套餐快用完"},
    {"会员卡到期提醒", "会员卡到期", "张会员卡30天内到期"},
    {"套餐到期提醒", "套餐到期", "项套餐即将到期或已过期"},
    {"久未到店提醒", "久未到店", "位会员60天未到店"},
    {"欠款提醒", "未结欠款", "笔欠款未结清"},
    {"库存不足提醒", "库存不足", "种产品库存不足"},
    {"今日预约提醒", "今日预约", "个预约今天待到店"},
    // Beside the open debts, what has been paid back on them.
    {"还款记录", "还款记录", nullptr},
};
} // namespace

meiritixingDlg::meiritixingDlg(QWidget *parent) : QDialog(parent), ui(new Ui::meiritixingDlg)
{
    ui->setupUi(this);
    const DbsetMap map = readDbset();
    for (const ReminderList &entry : kLists) {
        const QString name = QString::fromUtf8(entry.name);
        auto *view = new QTableView;
        view->setObjectName(QStringLiteral("tableView_") + name);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_ctrl.setupView(map, view, name);
        m_views << view;
        ui->tabWidget->addTab(view, QString());
        connect(view, &QTableView::doubleClicked, this,
                [this, name](const QModelIndex &index) { openMember(name, index.row()); });
    }
    on_lineEdit_textChanged(QString());
}

meiritixingDlg::~meiritixingDlg()
{
    m_ctrl.clearViews();
    delete ui;
}

QStringList meiritixingDlg::listNames()
{
    QStringList names;
    for (const ReminderList &entry : kLists)
        names << QString::fromUtf8(entry.name);
    return names;
}

QStringList meiritixingDlg::reminderLists()
{
    QStringList names;
    for (const ReminderList &entry : kLists)
        if (entry.unit)
            names << QString::fromUtf8(entry.name);
    return names;
}

QList<QPair<QString, int>> meiritixingDlg::counts(ctrlUiClass &)
{
    const QStringList lists = reminderLists();
    const QList<int> counted = ListCounts::now(lists);
    QList<QPair<QString, int>> out;
    for (int i = 0; i < lists.size(); ++i)
        out << qMakePair(lists.at(i), counted.value(i));
    return out;
}

QString meiritixingDlg::noticeText(ctrlUiClass &ctrl)
{
    return noticeText(counts(ctrl));
}

QString meiritixingDlg::noticeText(const QList<QPair<QString, int>> &all)
{
    QStringList parts;
    for (const auto &count : all) {
        if (count.second <= 0)
            continue;
        for (const ReminderList &entry : kLists)
            if (entry.unit && count.first == QString::fromUtf8(entry.name))
                parts << QString::number(count.second) + QString::fromUtf8(entry.unit);
    }
    if (parts.isEmpty())
        return QString();
    return QStringLiteral("今日提醒：") + parts.join(QStringLiteral("，")) + QStringLiteral("。点击“每日提醒”查看。");
}

int meiritixingDlg::rowCount(const QString &list) const
{
    return m_ctrl.viewRowCount(list);
}

void meiritixingDlg::on_lineEdit_textChanged(const QString &text)
{
    for (int i = 0; i < m_views.size(); ++i) {
        const QString name = QString::fromUtf8(kLists[i].name);
        const QString base = m_ctrl.baseSql(name);
        if (base.isEmpty())
            continue;
        // The search looks at the first two columns (number, name) and the phone.
        QStringList columns;
        if (auto *model = qobject_cast<QSqlQueryModel *>(m_views.at(i)->model())) {
            const QSqlRecord record = model->record();
            for (int c = 0; c < record.count(); ++c)
                if (c < 2 || record.fieldName(c) == QStringLiteral("电话"))
                    columns << record.fieldName(c);
        }
        QVariantList values;
        const QString sql = ReportReads::searched(base, columns, text, &values);
        m_ctrl.refreshViewBound(name, sql, values);
        ui->tabWidget->setTabText(i, QStringLiteral("%1（%2）").arg(QString::fromUtf8(kLists[i].tab))
                                         .arg(m_ctrl.viewRowCount(name)));
    }
}

void meiritixingDlg::on_toolButton_export_clicked()
{
    const int i = ui->tabWidget->currentIndex();
    if (i >= 0 && i < m_views.size())
        m_ctrl.exportView(QString::fromUtf8(kLists[i].name), operatorSession().loginName);
}

void meiritixingDlg::on_toolButton_close_clicked()
{
    close();
}

// The member of the row becomes the current member of the front desk.
void meiritixingDlg::openMember(const QString &list, int row)
{
    if (list == QStringLiteral("库存不足提醒"))
        return; // products, not members
    const QString id = m_ctrl.rowValues(list, row).value(0);
    if (id.isEmpty())
        return;
    const QStringList member = BookingBook::memberRecord(id);
    if (member.isEmpty())
        return; // a walk-in's debt: no member to open
    emit DlgSend(QStringLiteral("会员选择"), member);
    accept(); // the opener shows the front desk

}
