#include "jiaobandlg.h"
#include "ui_jiaobandlg.h"
#include "dbfailure.h"
#include "amounts.h"

#include "logdlg.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "takingstree.h"
#include "transactionscope.h"

#include <QDateTime>
#include <QStandardItemModel>

namespace {
const char *kTimeFormat = "yyyy-MM-dd hh:mm:ss";
}

jiaobanDlg::jiaobanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::jiaobanDlg), m_model(new QStandardItemModel(this))
{
    ui->setupUi(this);
    ui->treeView->setModel(m_model);

    // The dialog's own working table; a leftover from a dialog that never closed
    // properly is emptied rather than trusted.
    m_ctrl.execSql(QStringLiteral("create temp table if not exists tongji(ID integer primary key autoincrement, "
                                  "fukuanfangshi varchar(50), jine float)"));
    m_ctrl.execSql(QStringLiteral("delete from tongji"));

    ui->dateTimeEdit->setDateTime(shiftStart());
    ui->dateTimeEdit_2->setDateTime(QDateTime::currentDateTime());
    connect(ui->lineEdit_cash, &QLineEdit::textChanged, this, &jiaobanDlg::showCashDifference);

    requery();
    prepareRecords(QStringLiteral("jb") + ctrlUiClass::serialNow(), operatorSession().loginName);
}

// A shift begins where the last handover ended (the second after it: a sale of
// that second belongs to the shift handed over), so that no sale counts in two
// shifts and none in no shift. Before the first handover, at the newest login;
// without either, at the beginning of today.
QDateTime jiaobanDlg::shiftStart()
{
    const auto timeOf = [this](const QString &sql) {
        const QStringList row = m_ctrl.queryRow(sql);
        QString text = row.value(0);
        text.replace(QLatin1Char('T'), QLatin1Char(' '));
        return QDateTime::fromString(text, QLatin1String(kTimeFormat));
    };
    const QDateTime handedOver = timeOf(QStringLiteral("select max(endtime) from jiaoban"));
    if (handedOver.isValid())
        return handedOver.addSecs(1);
    const QDateTime login = timeOf(
        QStringLiteral("select  time from log  where log.log='系统登录成功'  order by time desc   limit   0,1 "));
    return login.isValid() ? login : QDateTime(QDate::currentDate(), QTime(0, 0));
}

jiaobanDlg::~jiaobanDlg()
{
    m_ctrl.execSql(QStringLiteral("drop table tongji"));
    m_ctrl.execSql(QStringLiteral("delete from tempjiaoban "));
    // The detail rows go too, or the next handover would copy them a second time.
    m_ctrl.execSql(QStringLiteral("delete from tempjiaobanmingxi"));
    delete ui;
}

QString jiaobanDlg::startText() const
{
    return ui->dateTimeEdit->dateTime().toString(QLatin1String(kTimeFormat));
}

QString jiaobanDlg::endText() const
{
    return ui->dateTimeEdit_2->dateTime().toString(QLatin1String(kTimeFormat));
}

void jiaobanDlg::requery()
{
    TakingsTree::refill(m_ctrl, QStringLiteral("tongji"), startText(), endText());
    showTree();
}

void jiaobanDlg::showTree()
{
    TakingsTree::build(m_ctrl, m_model, QStringLiteral("tongji"), startText(), endText());
    ui->treeView->expandAll();
    ui->treeView->resizeColumnToContents(0);
    showCashDifference();
}

double jiaobanDlg::cashTakings()
{
    return m_ctrl.queryRow(QStringLiteral("select ifnull(ROUND(SUM(jine),2),0) from tongji where fukuanfangshi='现金'"))
        .value(0).toDouble();
}

// The counted cash: empty when not counted, else a sum of money (false for anything else).
bool jiaobanDlg::countedCash(QString *text) const
{
    const QString typed = ui->lineEdit_cash->text().trimmed();
    *text = QString();
    if (typed.isEmpty())
        return true;
    const MoneyInput cash = parseMoneyInput(typed, QStringLiteral("实点现金"));
    if (!cash.ok)
        return false;
    *text = centsText(cash.cents);
    return true;
}

void jiaobanDlg::showCashDifference()
{
    const double takings = cashTakings();
    ui->label_cashTakings->setText(QStringLiteral("现金收入：") + moneyText(takings));
    QString counted;
    if (!countedCash(&counted) || counted.isEmpty()) {
        ui->label_cashDifference->setText(QString());
        return;
    }
    const double difference = counted.toDouble() - takings;
    ui->label_cashDifference->setText(QStringLiteral("差额：") + moneyText(difference)
                                      + (difference < 0 ? QStringLiteral("（短款）")
                                                        : difference > 0 ? QStringLiteral("（长款）") : QString()));
}

// The handover record of the period shown: one tempjiaoban row and the detail
// lines, in the order the handover history lists them.
bool jiaobanDlg::prepareRecords(const QString &handoverId, const QString &operatorName, const QString &counted)
{
    const QString start = sqlEsc(startText());
    const QString end = sqlEsc(endText());
    const QString head = QStringLiteral("insert into tempjiaobanmingxi(jiaobanID,user,fukuanfangshi,jine) select '")
        + sqlEsc(handoverId) + QStringLiteral("','") + sqlEsc(operatorName);
    const QString payRange = QStringLiteral(" from huiyuanjiaofei WHERE jiaofeiriqi between '") + start
        + QStringLiteral("' and '") + end + QStringLiteral("'");
    const QString saleRange = QStringLiteral(" from huiyuanxiaofei WHERE xiaofeiriqi between '") + start
        + QStringLiteral("' and '") + end + QStringLiteral("'");

    bool ok = m_ctrl.execSql(QStringLiteral("delete from tempjiaoban"));
    ok = m_ctrl.execSql(QStringLiteral("delete from tempjiaobanmingxi")) && ok;
    // An empty shift has income 0, not a missing value that would break the insert.
    ok = m_ctrl.execSql(
             QStringLiteral("insert into tempjiaoban(jiaobanID,user,starttime,endtime,shijishouru,xunishouru) select '")
             + sqlEsc(handoverId) + QStringLiteral("','") + sqlEsc(operatorName) + QStringLiteral("','") + start
             + QStringLiteral("','") + end
             + QStringLiteral("',ifnull((select ROUND(SUM(jine),3) from tongji WHERE fukuanfangshi!='储蓄卡'),0),"
                              "ifnull((select ROUND(SUM(jine),3) from tongji WHERE fukuanfangshi='储蓄卡'),0)"))
        && ok;
    const QStringList tails = {
        QStringLiteral("','充值交费合计',ifnull(ROUND(sum(shifujine),3),0)") + payRange,
        QStringLiteral("', fukuanleixing,ROUND(sum(shifujine),3)") + payRange + QStringLiteral(" GROUP BY fukuanleixing"),
        QStringLiteral("','消费收银合计',ifnull(ROUND(sum(shishoujine),3),0)") + saleRange,
        QStringLiteral("',  fukuanfangshi,ROUND(sum(shishoujine),3)") + saleRange
            + QStringLiteral(" GROUP BY fukuanfangshi"),
        QStringLiteral("', '收银合计', ifnull(ROUND(SUM(jine),3),0) from tongji"),
        QStringLiteral("', fukuanfangshi, ROUND(SUM(jine),3) from tongji group by fukuanfangshi"),
        QStringLiteral("', '实际收入', ifnull(ROUND(SUM(jine),3),0) from tongji WHERE fukuanfangshi!='储蓄卡' "),
        QStringLiteral("', '虚拟收入', ifnull(ROUND(SUM(jine),3),0) from tongji WHERE fukuanfangshi='储蓄卡' "),
    };
    for (const QString &tail : tails)
        ok = m_ctrl.execSql(head + tail) && ok;
    // The cash counted in the drawer and what it differs from the cash takings.
    if (!counted.isEmpty()) {
        ok = m_ctrl.execSql(head + QStringLiteral("','实点现金',") + counted) && ok;
        ok = m_ctrl.execSql(head + QStringLiteral("','现金差额',ROUND(") + counted
                            + QStringLiteral("-ifnull((select SUM(jine) from tongji where fukuanfangshi='现金'),0),2)"))
            && ok;
    }
    return ok;
}

void jiaobanDlg::on_toolButton_83_clicked()
{
    requery();
    prepareRecords(QStringLiteral("jb") + ctrlUiClass::serialNow(), operatorSession().loginName);
}

void jiaobanDlg::on_toolButton_84_clicked()
{
    // The shift belongs to whoever is logged in now; the login below replaces the session.
    const QString outgoing = operatorSession().loginName;
    QString counted;
    if (!countedCash(&counted)) {
        ctrlUiClass::showInfo(QStringLiteral("实点现金请填写金额（不小于 0，最多两位小数），不清点可留空"), this);
        return;
    }

    logDlg login;
    if (login.exec() != QDialog::Accepted)
        return; // no next operator: nothing is handed over, nothing written

    // The shift ends at the moment of handover; the next one starts right after it.
    ui->dateTimeEdit_2->setDateTime(QDateTime::currentDateTime());
    TransactionScope tx;
    TakingsTree::refill(m_ctrl, QStringLiteral("tongji"), startText(), endText());
    prepareRecords(QStringLiteral("jb") + ctrlUiClass::serialNow(), outgoing, counted);
    m_ctrl.execSql(QStringLiteral("insert into jiaoban(jiaobanID,user,starttime,endtime,shijishouru,xunishouru) "
                                  "select jiaobanID,user,starttime,endtime,shijishouru,xunishouru from tempjiaoban"));
    m_ctrl.execSql(QStringLiteral("insert into jiaobanmingxi(jiaobanID,user,fukuanfangshi,jine) "
                                  "select jiaobanID,user,fukuanfangshi,jine from tempjiaobanmingxi"));
    m_ctrl.writeLog(outgoing, QStringLiteral("交班"));
    if (!tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("交班记录保存失败"), tx.firstError()), this);
        return;
    }
    showTree();
    ctrlUiClass::showInfo(QStringLiteral("交班成功，当前操作员：") + operatorSession().loginName, this);
    accept();
}

void jiaobanDlg::on_toolButton_5_clicked()
{
    close();
}
