#include "taocanxufeidlg.h"
#include "ui_taocanxufeidlg.h"

#include "addtaocanxiangmudlg.h"
#include "dbsetconfig.h"
#include "lianhefukuandlg.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "tableregistry.h"
#include "taocanselectdlg.h"
#include "transactionscope.h"

namespace {
const char *kView = "会员套餐续费";
const char *kCardMethod = "储蓄卡";
const char *kLedgerColumns =
    "insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,"
    "yuezengjia,yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,"
    "caozuoyuan,beizhu) ";

bool readAmount(const QString &text, double *out)
{
    if (text.trimmed().isEmpty()) {
        *out = 0;
        return true;
    }
    bool ok = false;
    *out = parseNumber(text, &ok);
    return ok && *out >= 0;
}
} // namespace

taocanxufeidlg::taocanxufeidlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::taocanxufeidlg)
{
    ui->setupUi(this);
    m_scratch = std::make_unique<TableEntry>(
        QStringLiteral("temphuiyuantaocan"),
        QStringList{QStringLiteral("huiyuanID"), QStringLiteral("xiangmuID"),
                    QStringLiteral("xiangmuname"), QStringLiteral("yuanjia"),
                    QStringLiteral("shengyucishu"), QStringLiteral("youhui"), QStringLiteral("heji"),
                    QStringLiteral("bencishu"), QStringLiteral("shishou"),
                    QStringLiteral("zongcishu"), QStringLiteral("xiaofeicishu")});
    m_ctrl.fillComboFromSql(ui->comboBox,
                            QStringLiteral("select ID as 员工编号, name as 员工姓名 from yuangong"));
    m_ctrl.fillCombo(ui->comboBox_2, QStringLiteral("续费方式"), QStringLiteral("xml"));
    showAmounts();
}

taocanxufeidlg::~taocanxufeidlg()
{
    m_ctrl.execSql(QStringLiteral("delete  from  temphuiyuantaocan"));
    m_ctrl.clearViews();
    delete ui;
}

void taocanxufeidlg::setup(const QString &source, const QStringList &row)
{
    if (source == QStringLiteral("会员管理") && row.size() > 13) {
        m_memberId = row.at(0);
        ui->label_7->setText(row.at(0));
        ui->label_10->setText(row.at(1));
        // Member list columns: 13 card type, 14 balance, 15 points.
        ui->label_12->setText(row.value(13));
        ui->label_11->setText(row.value(14));
        ui->label_9->setText(row.value(15));
        // 累计消费 is what the member has spent, not what the card cost.
        const QStringList spent = m_ctrl.queryRow(
            QStringLiteral("select ifnull(ROUND(sum(jine),3),0) from huiyuanxiaofei where huiyuanid=")
            + sqlLiteral(m_memberId));
        ui->label_8->setText(spent.value(0, row.value(16)));
    } else if (source == QStringLiteral("会员交费") && row.size() > 5) {
        m_memberId = row.at(0);
        ui->label_7->setText(row.at(0));
        ui->label_10->setText(row.at(1));
        ui->label_12->setText(row.at(2));
        ui->label_8->setText(row.at(3));
        ui->label_9->setText(row.at(4));
        ui->label_11->setText(row.at(5));
    }
    loadPackages();
}

void taocanxufeidlg::loadPackages()
{
    // Left-overs of a dialog that did not close cleanly must not be sold again.
    m_ctrl.execSql(QStringLiteral("delete  from  temphuiyuantaocan"));
    m_ctrl.execSql(
        QStringLiteral("insert into temphuiyuantaocan(huiyuanID,xiangmuID,xiangmuname,yuanjia,"
                       "shengyucishu,youhui,heji,bencishu,shishou,zongcishu,xiaofeicishu)  select "
                       "huiyuanID,xiangmuID,name,xiaoshoujiage,shengyucishu,xiaoshoujiage,0,0,0,"
                       "zongcishu,xiaofeicishu from huiyuantaocan a,fuwuxiangmu b where  "
                       "a.xiangmuID=b.ID and huiyuanID='")
        + sqlEsc(m_memberId) + QStringLiteral("'"));
    m_ctrl.setupView(readDbset(), ui->tableView, QString::fromUtf8(kView));
}

void taocanxufeidlg::showAmounts()
{
    const QString due = moneyText(m_due);
    ui->lineEdit->setText(due);
    ui->lineEdit_2->setText(due);
}

void taocanxufeidlg::DlgRecv(const QString &key, const QVariant &value)
{
    if (key == QStringLiteral("联合付款") && value.canConvert<redbctrlstruct>()) {
        m_combined = value.value<redbctrlstruct>();
        m_haveCombined = true;
        return;
    }
    if (key != QStringLiteral("添加数据") || !value.canConvert<dbctrlstruct>())
        return;
    const dbctrlstruct line = value.value<dbctrlstruct>();
    if (line.table != QLatin1String("temptaocanxiangmuliebiao") || line.values.size() < 6)
        return;
    // code, name, list price, uses, discounted price, line total, ...
    const QStringList &v = line.values;
    const QString uses = numberText(parseNumber(v.at(3)));
    const double total = parseNumber(v.at(5));
    const QString totalText = moneyText(total);
    const QStringList row{m_memberId, v.at(0), v.at(1), moneyText(parseNumber(v.at(2))), uses,
                          moneyText(parseNumber(v.at(4))), totalText, uses, totalText, uses,
                          QStringLiteral("0")};
    if (!m_ctrl.insertRecord(m_scratch.get(), row))
        return;
    m_due += total;
    m_ctrl.refreshView(QString::fromUtf8(kView), QStringLiteral(" "));
    showAmounts();
}

void taocanxufeidlg::on_toolButton_clicked()
{
}

void taocanxufeidlg::on_toolButton_2_clicked()
{
    auto *dlg = new addtaocanxiangmuDlg;
    connect(dlg, &addtaocanxiangmuDlg::DlgSend, this, &taocanxufeidlg::DlgRecv);
    dlg->setData(1, QStringList());
    dlg->exec();
    delete dlg;
}

void taocanxufeidlg::on_toolButton_3_clicked()
{
    const QStringList before =
        m_ctrl.queryRow(QStringLiteral("select ifnull(max(rowid),0) from temphuiyuantaocan"));
    const QString mark = before.value(0, QStringLiteral("0"));
    auto *dlg = new taocanselectDlg;
    connect(dlg, &taocanselectDlg::DlgSend, this, &taocanxufeidlg::DlgRecv);
    dlg->setData(m_memberId);
    dlg->exec();
    delete dlg;
    // Every line of a package carries the package price; it is owed once per
    // package added.
    const QList<QStringList> added = m_ctrl.queryRows(
        QStringLiteral("select shishou from temphuiyuantaocan where rowid>") + numberText(parseNumber(mark))
        + QStringLiteral(" order by rowid"));
    if (added.isEmpty())
        return;
    m_due += parseNumber(added.first().value(0));
    m_ctrl.refreshView(QString::fromUtf8(kView), QStringLiteral(" "));
    showAmounts();
}

bool taocanxufeidlg::checkCanPay()
{
    if (m_memberId.isEmpty()
        || m_ctrl.countRows(QStringLiteral("select ID from huiyuan where ID=") + sqlLiteral(m_memberId)) < 1) {
        ctrlUiClass::showInfo(QStringLiteral("只能给已登记的会员续费套餐，请先选择一个会员"), this);
        return false;
    }
    if (m_ctrl.countRows(QStringLiteral("select xiangmuID from temphuiyuantaocan where bencishu>0")) < 1) {
        ctrlUiClass::showInfo(QStringLiteral("请先添加套餐或服务项目"), this);
        return false;
    }
    return true;
}

void taocanxufeidlg::on_toolButton_4_clicked()
{
    if (!checkCanPay())
        return;
    double paid = 0;
    if (!readAmount(ui->lineEdit_2->text(), &paid)) {
        ctrlUiClass::showInfo(QStringLiteral("支付金额必须是不小于0的数字"), this);
        return;
    }
    const double debt = m_due - paid;
    if (debt < -0.004) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于需付金额，请确认"), this);
        return;
    }
    if (debt > 0.004
        && !ctrlUiClass::askYesNo(QStringLiteral("欠款") + moneyText(debt) + QStringLiteral(",确定吗"), this))
        return;
    commit(QList<Payment>{Payment(ui->comboBox_2->currentText(), paid)}, debt > 0.004 ? debt : 0);
}

void taocanxufeidlg::on_toolButton_5_clicked()
{
    if (!checkCanPay())
        return;
    m_haveCombined = false;
    auto *dlg = new lianhefukuanDlg;
    connect(dlg, &lianhefukuanDlg::DlgSend, this, &taocanxufeidlg::DlgRecv);
    dlg->setData(QStringList{moneyText(m_due), moneyText(m_due),
                             QStringLiteral("会员卡号：") + m_memberId, ui->label_11->text()});
    dlg->exec();
    delete dlg;
    if (!m_haveCombined)
        return;
    m_haveCombined = false;
    QList<Payment> payments;
    double card = 0;
    for (int i = 0; i < m_combined.fields.size(); ++i) {
        double amount = 0;
        if (!readAmount(m_combined.values.value(i), &amount)) {
            ctrlUiClass::showInfo(QStringLiteral("付款金额必须是不小于0的数字"), this);
            return;
        }
        if (m_combined.fields.at(i) == QString::fromUtf8(kCardMethod))
            card += amount;
        payments << Payment(m_combined.fields.at(i), amount);
    }
    if (payments.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请至少选择一种付款方式"), this);
        return;
    }
    if (card > 0) {
        const QStringList balance = m_ctrl.queryRow(
            QStringLiteral("select ifnull(shengyujine,0) from huiyuan where ID=") + sqlLiteral(m_memberId));
        if (card > parseNumber(balance.value(0)) + 0.004) {
            ctrlUiClass::showInfo(QStringLiteral("卡内余额不足请采用别的方式付款"), this);
            return;
        }
    }
    commit(payments, qMax(0.0, parseNumber(m_combined.table)));
}

void taocanxufeidlg::commit(const QList<Payment> &payments, double debt)
{
    const QString idLit = sqlLiteral(m_memberId);
    const QString login = operatorSession().loginName;
    const QString now = ctrlUiClass::nowText();
    const QString docId = QStringLiteral("tcxf") + ctrlUiClass::serialNow();

    double paidTotal = 0, card = 0;
    for (const Payment &p : payments) {
        paidTotal += p.second;
        if (p.first == QString::fromUtf8(kCardMethod))
            card += p.second;
    }
    QString remark = QStringLiteral("会员套餐交费:") + moneyText(paidTotal);
    const QList<QStringList> items = m_ctrl.queryRows(
        QStringLiteral("select ifnull(b.name,a.xiangmuname), sum(a.bencishu) from temphuiyuantaocan a "
                       "left join fuwuxiangmu b on a.xiangmuID=b.ID where a.bencishu>0 group by a.xiangmuID"));
    for (const QStringList &it : items)
        remark += QStringLiteral(" ") + it.value(0) + QStringLiteral(":")
                  + numberText(parseNumber(it.value(1)));

    TransactionScope tx;
    // One row per method, all under one document number; only the first
    // carries the amount due and the debt.
    for (int i = 0; i < payments.size(); ++i) {
        dbctrlstruct row;
        row.table = QStringLiteral("huiyuanjiaofei");
        row.values = QStringList{docId, m_memberId, now, QStringLiteral("套餐交费"),
                                 i == 0 ? moneyText(m_due) : QStringLiteral("0"),
                                 moneyText(payments.at(i).second), QStringLiteral("0"),
                                 QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                 i == 0 ? moneyText(debt) : QStringLiteral("0"), payments.at(i).first,
                                 ui->comboBox->currentText(), login, remark};
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(row));
    }

    m_ctrl.execSql(QStringLiteral("delete from huiyuantaocan where huiyuanID=") + idLit);
    m_ctrl.execSql(
        QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) "
                       "select huiyuanID,xiangmuID,ROUND(sum(zongcishu),3),ROUND(sum(shengyucishu),3),"
                       "ROUND(sum(xiaofeicishu),3) from temphuiyuantaocan where huiyuanID=")
        + idLit + QStringLiteral(" group by xiangmuID"));
    m_ctrl.writeLog(login, QStringLiteral("会员套餐"));

    // One row per item bought; the balance column repeats the member's balance
    // as it stands, the count column gives the item's uses now left.
    const QString tail = QStringLiteral(",") + sqlLiteral(login) + QStringLiteral(",")
                         + sqlLiteral(QStringLiteral("消费单：") + docId);
    m_ctrl.execSql(
        QString::fromUtf8(kLedgerColumns) + QStringLiteral(" select ") + idLit + QStringLiteral(",")
        + sqlLiteral(now)
        + QStringLiteral(",'会员套餐充值',a.xiangmuID,0,0,ROUND(sum(a.bencishu),3),0,"
                         "(select ifnull(shengyujine,0) from huiyuan where ID=")
        + idLit + QStringLiteral("),ifnull(b.shengyucishu,0)") + tail
        + QStringLiteral(" from temphuiyuantaocan a LEFT JOIN huiyuantaocan b on  a.xiangmuID=b.xiangmuID "
                         "and b.huiyuanID=")
        + idLit + QStringLiteral(" where  a.bencishu>0 and a.huiyuanID=") + idLit
        + QStringLiteral(" GROUP BY a.xiangmuID"));

    if (card > 0) {
        // Paid from the card: the balance goes down and the ledger says so.
        const QString cardText = moneyText(card);
        m_ctrl.execSql(QStringLiteral("update huiyuan set shengyujine=ROUND(ifnull(shengyujine,0)-")
                       + cardText + QStringLiteral(",2) where ID=") + idLit);
        m_ctrl.execSql(
            QString::fromUtf8(kLedgerColumns) + QStringLiteral(" select ") + idLit + QStringLiteral(",")
            + sqlLiteral(now) + QStringLiteral(",'会员套餐交费','',0,") + cardText
            + QStringLiteral(",0,0,(select ifnull(shengyujine,0) from huiyuan where ID=") + idLit
            + QStringLiteral("),ifnull((select dangshikaneicishu from huiyuanyuebiandong where huiyuanid=")
            + idLit + QStringLiteral(" order by ID desc LIMIT 1),0),") + sqlLiteral(login)
            + QStringLiteral(",") + sqlLiteral(QStringLiteral("交费单：") + docId));
    }

    const bool landed = tx.commit();
    // The lists were re-run when the payment rows went in, before the balance
    // and the packages changed; show them as they now stand.
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanjiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    if (!landed) {
        ctrlUiClass::showInfo(QStringLiteral("套餐续费保存失败，本次操作未保存"), this);
        return;
    }
    accept();
}

void taocanxufeidlg::on_toolButton_6_clicked()
{
    reject();
}
