#include "jiaobandlg.h"
#include "ui_jiaobandlg.h"

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

    // Without a login on record the shift starts at the beginning of today.
    ui->dateTimeEdit->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    const QStringList last = m_ctrl.queryRow(
        QStringLiteral("select  time from log  where log.log='系统登录成功'  order by time desc   limit   0,1 "));
    if (!last.isEmpty()) {
        QString text = last.first();
        text.replace(QLatin1Char('T'), QLatin1Char(' '));
        const QDateTime start = QDateTime::fromString(text, QLatin1String(kTimeFormat));
        if (start.isValid())
            ui->dateTimeEdit->setDateTime(start);
    }
    ui->dateTimeEdit_2->setDateTime(QDateTime::currentDateTime().addSecs(60));

    requery();
    prepareRecords(QStringLiteral("jb") + ctrlUiClass::serialNow(), operatorSession().loginName);
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
}

// The handover record of the period shown: one tempjiaoban row and the detail
// lines, in the order the handover history lists them.
bool jiaobanDlg::prepareRecords(const QString &handoverId, const QString &operatorName)
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

    logDlg login;
    if (login.exec() != QDialog::Accepted)
        return; // no next operator: nothing is handed over, nothing written

    TransactionScope tx;
    // The record is made from the period on screen, whatever was queried before.
    TakingsTree::refill(m_ctrl, QStringLiteral("tongji"), startText(), endText());
    prepareRecords(QStringLiteral("jb") + ctrlUiClass::serialNow(), outgoing);
    m_ctrl.execSql(QStringLiteral("insert into jiaoban(jiaobanID,user,starttime,endtime,shijishouru,xunishouru) "
                                  "select jiaobanID,user,starttime,endtime,shijishouru,xunishouru from tempjiaoban"));
    m_ctrl.execSql(QStringLiteral("insert into jiaobanmingxi(jiaobanID,user,fukuanfangshi,jine) "
                                  "select jiaobanID,user,fukuanfangshi,jine from tempjiaobanmingxi"));
    m_ctrl.writeLog(outgoing, QStringLiteral("交班"));
    if (!tx.commit()) {
        ctrlUiClass::showInfo(QStringLiteral("交班记录保存失败，本次操作未保存"), this);
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
