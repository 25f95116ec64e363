#include "addxiaofeidlg.h"
#include "ui_addxiaofeidlg.h"

#include "fuwuxiaofeidlg.h"
#include "lianhefukuandlg.h"
#include "operatorsession.h"
#include "shangpindlg.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QDoubleValidator>
#include <QThread>
#include <cmath>

namespace {

const QString kCard = QStringLiteral("储蓄卡");
const QString kServiceView = QStringLiteral("消费明细临时表服务");
const QString kProductView = QStringLiteral("消费明细临时表产品");
const QString kPackageView = QStringLiteral("套餐消费");
const QString kPackageSuffix = QStringLiteral("where a.xiangmuID=b.ID GROUP BY xiangmuID");

qint64 inCents(double value)
{
    return qRound64(value * 100.0);
}

double cents(double value)
{
    return double(inCents(value)) / 100.0;
}

// Sale IDs key every row of a sale; two checkouts must never share one.
QString uniqueSaleId()
{
    static QString last;
    QString serial = ctrlUiClass::serialNow();
    while (serial <= last) {
        QThread::usleep(200);
        serial = ctrlUiClass::serialNow();
    }
    last = serial;
    return QStringLiteral("xf_") + serial;
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + sqlEsc(text) + QLatin1Char('\'');
}

} // namespace

AddXiaofeiDlg::AddXiaofeiDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::AddXiaofeiDlg)
{
    ui->setupUi(this);

    const DbsetMap map = readDbset();
    const QString create = dbsetEntry<tempCreateTableinfo>(map, QStringLiteral("tempxiaofeimingxi_db")).SqlStr;
    if (!create.isEmpty())
        m_db.execSql(create);
    // Lines left behind by a checkout that never closed (a crash, a power cut)
    // belong to no sale; they must not slip into this one.
    m_db.execSql(QStringLiteral("delete from tempxiaofeimingxi"));
    m_db.execSql(QStringLiteral("delete from temptichengmingxi"));
    m_db.execSql(QStringLiteral("delete from temphuiyuantaocanxiaofei"));

    m_db.setupView(map, ui->tableView, kServiceView);
    m_db.setupView(map, ui->tableView_2, kProductView);
    m_db.setupViewWith(map, ui->tableView_3, kPackageView, kPackageSuffix);
    m_db.fillCombo(ui->comboBox, QStringLiteral("付款方式"), QStringLiteral("xml"));

    ui->label_26->setStyleSheet(QStringLiteral("#label_26{color:rgb(255,0,0)}"));
    ui->label_30->setStyleSheet(QStringLiteral("#label_30{color:rgb(255,100,0)}"));
    ui->label_7->setStyleSheet(QStringLiteral("#label_7{color:rgb(100,250,0)}"));

    m_saleId = uniqueSaleId();

    // Any amount from nothing up; a minus sign is never accepted.
    auto *validator = new QDoubleValidator(0.0, 1.0e9, 2, ui->lineEdit_4);
    validator->setNotation(QDoubleValidator::StandardNotation);
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::RejectGroupSeparator);
    validator->setLocale(plain);
    ui->lineEdit_4->setValidator(validator);

    ui->lineEdit->setText(QStringLiteral("0"));
    ui->label_24->setText(QStringLiteral("0000"));
    ui->label_26->setText(QStringLiteral("0000"));
    ui->lineEdit_4->setText(QStringLiteral("0"));
    ui->label_30->setText(QStringLiteral("000000"));
    ui->toolButton_4->hide();
    ui->toolButton_7->hide();
    updateButtons();
}

AddXiaofeiDlg::~AddXiaofeiDlg()
{
    m_db.execSql(QStringLiteral("delete from tempxiaofeimingxi"));
    m_db.execSql(QStringLiteral("delete from temphuiyuantaocanxiaofei"));
    m_db.execSql(QStringLiteral("delete from temptichengmingxi"));
    m_db.clearViews();
    delete ui;
}

void AddXiaofeiDlg::setHuiyuanInfo(const QStringList &info)
{
    QLabel *labels[] = {ui->label_12, ui->label_10, ui->label_8, ui->label_11, ui->label_9, ui->label_7};
    for (int i = 0; i < info.size() && i < 6; ++i)
        labels[i]->setText(info.at(i));

    const QString id = ui->label_12->text();
    m_db.execSql(QStringLiteral("insert into temphuiyuantaocanxiaofei(huiyuanID,xiangmuID,zongcishu,shengyucishu,"
                                "xiaofeicishu,bencixiaofeicishu) select huiyuanID as 会员ID,xiangmuID as 项目ID, "
                                "ROUND(sum(zongcishu),3) as 总次数 ,ROUND(sum(shengyucishu),3) as 剩余次数 ,"
                                "xiaofeicishu as 消费次数,0  as 本次消费 from  huiyuantaocan a where huiyuanID =")
                 + quoted(id) + QStringLiteral(" GROUP BY xiangmuID "));
    refreshPackages();

    if (id == QStringLiteral("0000") && ui->label_10->text() == QStringLiteral("散客"))
        ui->comboBox->setCurrentText(QStringLiteral("支付宝"));
    updateButtons();
}

void AddXiaofeiDlg::openPicker(const QString &mode)
{
    auto *picker = new shangpinDlg;
    connect(picker, &shangpinDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
    picker->setup(ui->label_8->text(), mode, m_saleId);
    picker->exec();
    delete picker;
}

void AddXiaofeiDlg::on_toolButton_3_clicked()
{
    openPicker(QStringLiteral("服务项目选择"));
}

void AddXiaofeiDlg::on_toolButton_6_clicked()
{
    openPicker(QStringLiteral("产品选择"));
}

void AddXiaofeiDlg::on_tableView_3_doubleClicked(const QModelIndex &)
{
    QStringList row = m_db.currentRowValues(kPackageView);
    if (row.isEmpty())
        return;
    row << ui->label_8->text();
    auto *editor = new FuwuxiaofeiDlg;
    connect(editor, &FuwuxiaofeiDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
    editor->setup(row, QStringLiteral("套餐消费"), m_saleId);
    editor->exec();
    delete editor;
}

void AddXiaofeiDlg::DlgRecv(QString key, QVariant value)
{
    if (key == QStringLiteral("刷新数据")) {
        refreshLines();
    } else if (key == QStringLiteral("套餐消费刷新数据")) {
        refreshPackages();
    } else if (key == QStringLiteral("联合付款")) {
        if (value.canConvert<redbctrlstruct>() && value.userType() == qMetaTypeId<redbctrlstruct>()) {
            const redbctrlstruct reply = value.value<redbctrlstruct>();
            Payment payment;
            payment.combined = true;
            payment.unpaid = reply.table;
            payment.methods = reply.fields;
            payment.amounts = reply.values;
            m_committed = commitSale(payment);
        }
    } else {
        emit DlgSend(key, value);
    }
    updateButtons();
}

void AddXiaofeiDlg::refreshLines()
{
    m_db.refreshView(kServiceView, QString());
    m_db.refreshView(kProductView, QString());
    refreshTotals();
}

void AddXiaofeiDlg::refreshPackages()
{
    m_db.refreshView(kPackageView, kPackageSuffix);
    refreshTotals();
}

// Every total is taken from the lines as they stand, so a deleted line never
// leaves its amount behind in the receivable.
void AddXiaofeiDlg::refreshTotals()
{
    const auto single = [this](const QString &sql) {
        const QStringList row = m_db.queryRow(sql);
        return row.isEmpty() ? QString() : row.first();
    };
    ui->label_17->setText(single(QStringLiteral(
        "select ROUND(sum(jine),2) from tempxiaofeimingxi where xiaofeileixing='服务项目'")));
    ui->label_18->setText(single(QStringLiteral(
        "select ROUND(sum(jine),2) from tempxiaofeimingxi where  xiaofeileixing='产品'")));
    const QString money = single(QStringLiteral(
        "select ROUND(sum(jine),2) from tempxiaofeimingxi where xiaofeileixing!='套餐消费'"));
    const QString uses = single(QStringLiteral("select ROUND(sum(bencixiaofeicishu),3) from temphuiyuantaocanxiaofei"));
    ui->label_19->setText(uses);
    // A sale of package uses only shows the uses in 合计; any money line shows money.
    ui->label_20->setText(money.isEmpty() ? uses : money);
    ui->lineEdit->setText(money.isEmpty() ? QStringLiteral("0") : money);
    ui->label_26->setText(money.isEmpty() ? QStringLiteral("0") : money);
    on_lineEdit_4_textChanged(ui->lineEdit_4->text());
}

void AddXiaofeiDlg::updateButtons()
{
    const bool any = parseNumber(ui->label_20->text()) > 0 || parseNumber(ui->lineEdit->text()) > 0
                     || parseNumber(ui->label_19->text()) > 0;
    ui->toolButton_10->setEnabled(any);
    ui->toolButton_11->setEnabled(any);
    ui->toolButton->setEnabled(any);
}

void AddXiaofeiDlg::deleteLine(const QString &lineType, const QString &viewName)
{
    const QStringList row = m_db.currentRowValues(viewName);
    if (row.size() < 4)
        return;
    if (!ctrlUiClass::askYesNo(QStringLiteral("你确定要删除'") + row.at(1) + QStringLiteral("' ?"), this))
        return;
    TransactionScope tx;
    m_db.execSql(QStringLiteral("delete from tempxiaofeimingxi where xiaofeileixing='") + lineType
                 + QStringLiteral("' and xiangmuID=") + quoted(row.at(0)));
    m_db.execSql(QStringLiteral("delete from temptichengmingxi where xiangmuID=") + quoted(row.at(0))
                 + QStringLiteral(" and xiangmumingcheng =") + quoted(row.at(1)));
    if (!tx.commit())
        ctrlUiClass::showInfo(QStringLiteral("删除消费项目失败，本次操作未保存"), this);
    refreshLines();
    updateButtons();
}

void AddXiaofeiDlg::on_toolButton_5_clicked()
{
    deleteLine(QStringLiteral("服务项目"), kServiceView);
}

void AddXiaofeiDlg::on_toolButton_8_clicked()
{
    deleteLine(QStringLiteral("产品"), kProductView);
}

void AddXiaofeiDlg::on_lineEdit_4_textChanged(const QString &text)
{
    const double paid = parseNumber(text);
    const double receivable = parseNumber(ui->label_26->text());
    if (inCents(paid) - inCents(receivable) >= 0)
        ui->label_30->setText(moneyText(paid - receivable));
    else
        ui->label_30->setText(QStringLiteral("欠款") + moneyText(receivable - paid));
}

void AddXiaofeiDlg::on_toolButton_10_clicked()
{
    if (commitSale(Payment()))
        accept();
}

void AddXiaofeiDlg::on_toolButton_11_clicked()
{
    if (parseNumber(ui->lineEdit->text()) <= 0) {
        ctrlUiClass::showInfo(QStringLiteral("消费金额为零或消费的是套餐不需要联合结账"), this);
        return;
    }
    m_committed = false;
    auto *pay = new lianhefukuanDlg;
    connect(pay, &lianhefukuanDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
    pay->setData(QStringList{ui->lineEdit->text(), ui->lineEdit->text(),
                             QStringLiteral("会员卡号：") + ui->label_12->text(), ui->label_7->text()});
    pay->exec();
    delete pay;
    if (m_committed)
        accept();
}

void AddXiaofeiDlg::on_toolButton_2_clicked()
{
    reject();
}

void AddXiaofeiDlg::on_toolButton_clicked()
{
    // Holding a bill is not offered yet.
}

void AddXiaofeiDlg::on_toolButton_7_clicked()
{
}

// Writes the whole sale in one transaction. Every check that can refuse the
// sale runs before the first write; when any statement fails, nothing of the
// sale is kept and the checkout stays open with its lines.
bool AddXiaofeiDlg::commitSale(const Payment &payment)
{
    const QString id = ui->label_12->text();
    const bool walkIn = id == QStringLiteral("0000") || ui->label_10->text() == QStringLiteral("散客");
    const double receivable = cents(parseNumber(ui->label_26->text()));
    const double saleAmount = cents(parseNumber(ui->lineEdit->text()));
    const double signBill = cents(parseNumber(ui->label_24->text()));

    if (m_db.countRows(QStringLiteral("select ID from tempxiaofeimingxi")) == 0) {
        ctrlUiClass::showInfo(QStringLiteral("请先添加消费项目"), this);
        return false;
    }

    double debt = 0;
    QString remark;
    QString method;
    double cardAmount = 0;
    QList<QPair<QString, double>> pays; // header rows: method, amount taken

    if (!payment.combined) {
        const QString paidText = ui->lineEdit_4->text().trimmed();
        bool ok = true;
        const double paid = paidText.isEmpty() ? 0.0 : parseNumber(paidText, &ok);
        if (!ok || paid < 0) {
            ctrlUiClass::showInfo(QStringLiteral("支付金额必须是不小于0的数字"), this);
            return false;
        }
        if (inCents(paid) < inCents(receivable)) {
            if (walkIn) {
                ctrlUiClass::showInfo(QStringLiteral("散客不能欠费"), this);
                return false;
            }
            debt = cents(receivable - paid);
            if (!ctrlUiClass::askYesNo(QStringLiteral("欠款") + moneyText(debt) + QStringLiteral(",确定吗"), this))
                return false;
            remark = QStringLiteral("会员欠费");
        }
        // Change goes back to the customer: the takings (and a card debit) are
        // what the sale costs, never more.
        const double taken = cents(qMin(paid, receivable));
        method = ui->comboBox->currentText();
        pays.append({method, taken});
        if (method == kCard)
            cardAmount = taken;
    } else {
        bool ok = true;
        debt = payment.unpaid.trimmed().isEmpty() ? 0.0 : cents(parseNumber(payment.unpaid, &ok));
        if (!ok || debt < 0) {
            ctrlUiClass::showInfo(QStringLiteral("付款金额合计大于应收金额，请确认"), this);
            return false;
        }
        if (payment.methods.isEmpty() || payment.methods.size() != payment.amounts.size()) {
            ctrlUiClass::showInfo(QStringLiteral("请至少选择一种付款方式"), this);
            return false;
        }
        for (int i = 0; i < payment.methods.size(); ++i) {
            bool amountOk = false;
            const double amount = cents(parseNumber(payment.amounts.at(i), &amountOk));
            if (!amountOk || amount < 0) {
                ctrlUiClass::showInfo(QStringLiteral("付款金额必须是不小于0的数字"), this);
                return false;
            }
            pays.append({payment.methods.at(i), amount});
            if (payment.methods.at(i) == kCard) {
                method = kCard;
                cardAmount = amount;
            }
        }
        if (debt > 0) {
            if (walkIn) {
                ctrlUiClass::showInfo(QStringLiteral("散客不能欠费"), this);
                return false;
            }
            remark = QStringLiteral("会员欠费");
        }
    }

    // The card balance: read now, checked before anything is written.
    const QStringList balanceRow = m_db.queryRow(QStringLiteral("select shengyujine from huiyuan where ID=") + quoted(id));
    const bool hasCard = !balanceRow.isEmpty();
    const double oldBalance = hasCard ? parseNumber(balanceRow.first()) : 0.0;
    if (method == kCard && !hasCard) {
        ctrlUiClass::showInfo(QStringLiteral("散客没有会员卡，请采用别的方式付款"), this);
        return false;
    }
    const bool debit = method == kCard && hasCard;
    double newBalance = oldBalance;
    if (debit) {
        if (inCents(oldBalance) - inCents(cardAmount) < 0) {
            ctrlUiClass::showInfo(QStringLiteral("卡内余额不足请采用别的方式付款"), this);
            return false;
        }
        newBalance = cents(oldBalance - cardAmount);
    }
    const QString balanceText = hasCard ? moneyText(newBalance) : QStringLiteral("0");

    const QString now = ctrlUiClass::nowText();
    const QString op = operatorSession().name;
    const QString qid = quoted(id);
    const QString qop = quoted(op);
    const QString bill = quoted(QStringLiteral("消费单：") + m_saleId);

    TransactionScope tx;

    if (debit) {
        m_db.execSql(QStringLiteral("update huiyuan set shengyujine=") + balanceText + QStringLiteral(" where ID=") + qid);
        if (cardAmount > 0) {
            m_db.execSql(QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,"
                                        "xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,cishujianshao,"
                                        "dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) VALUES(")
                         + qid + ",'" + now + "','会员消费','',0," + moneyText(cardAmount) + ",0,0," + balanceText
                         + ",ifnull((select dangshikaneicishu from huiyuanyuebiandong where huiyuanid=" + qid
                         + " order by ID desc LIMIT 1),0)," + qop + "," + bill + ")");
        }
    }

    m_db.execSql(QStringLiteral("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,"
                                "shuliang,jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu) select ID,"
                                "xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,jine,jifen,")
                 + quoted(ui->comboBox->currentText())
                 + QStringLiteral(",tichengyuangongID,fuwugonghao,beizhu from tempxiaofeimingxi"));

    m_db.execSql(QStringLiteral("insert into tichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,"
                                "tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) select yuangongID,"
                                "xiangmuID,xiangmumingcheng,xiaofeiID,tichengfangshi,jisuanfangshi,tichengbili,"
                                "tichengjine,beizhu,titleID from temptichengmingxi"));

    // One header row per payment method; totals, debt and points stand on the first.
    const QString headerHead = QStringLiteral("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,"
                                              "fukuanfangshi,jine,xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,"
                                              "shengyujine,suodejifen,caozuoyuan,beizhu) select ID,");
    for (int k = 0; k < pays.size(); ++k) {
        const QString amount = moneyText(pays.at(k).second);
        QString sql = headerHead + qid + ",'" + now + "'," + amount + "," + quoted(pays.at(k).first) + "," + amount + ",";
        if (k == 0)
            sql += moneyText(saleAmount) + "," + moneyText(receivable) + "," + moneyText(signBill) + ","
                   + moneyText(debt) + "," + balanceText + ",ROUND(sum(jifen),3),";
        else
            sql += QStringLiteral("0,0,0,0,") + balanceText + QStringLiteral(",0,");
        sql += QStringLiteral("fuwugonghao,") + quoted(remark) + QStringLiteral(" from tempxiaofeimingxi group by ID");
        m_db.execSql(sql);
    }

    // Package uses: taken from the member's rows of the item in the order they
    // were bought, so several rows of one item are never all charged.
    const QList<QStringList> usedItems = m_db.queryRows(
        QStringLiteral("select xiangmuID,bencixiaofeicishu from temphuiyuantaocanxiaofei where bencixiaofeicishu>0"));
    for (const QStringList &used : usedItems) {
        if (used.size() < 2)
            continue;
        double remaining = parseNumber(used.at(1));
        const QList<QStringList> held = m_db.queryRows(
            QStringLiteral("select rowid,shengyucishu from huiyuantaocan where huiyuanID=") + qid
            + QStringLiteral(" and xiangmuID=") + quoted(used.at(0)) + QStringLiteral(" order by rowid"));
        for (int i = 0; i < held.size() && remaining > 0; ++i) {
            const double left = qMax(0.0, parseNumber(held.at(i).value(1)));
            const double take = (i == held.size() - 1) ? remaining : qMin(left, remaining);
            if (take <= 0)
                continue;
            m_db.execSql(QStringLiteral("update huiyuantaocan set xiaofeicishu=ifnull(xiaofeicishu,0)+") + numberText(take)
                         + QStringLiteral(",shengyucishu=shengyucishu-") + numberText(take)
                         + QStringLiteral(" where rowid=") + QString::number(held.at(i).value(0).toLongLong()));
            remaining -= take;
        }
    }

    // Package history: one row per item used, with the uses left after the sale
    // and the balance as the member's ledger last stood (or the card balance).
    m_db.execSql(QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,"
                                "yuezengjia,yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,"
                                "caozuoyuan,beizhu)  select ")
                 + qid + ",'" + now + "','会员套餐消费',a.xiangmuID,0,0,0,a.bencixiaofeicishu,"
                 + "ifnull((select dangshikaneiyue from huiyuanyuebiandong where huiyuanid=" + qid
                 + " order by ID desc LIMIT 1)," + balanceText + "),"
                 + "(select ROUND(sum(b.shengyucishu),3) from huiyuantaocan b where b.xiangmuID=a.xiangmuID and b.huiyuanID="
                 + qid + ")," + qop + "," + bill
                 + " from temphuiyuantaocanxiaofei a where  a.bencixiaofeicishu>0 GROUP BY a.xiangmuID");

    m_db.execSql(QStringLiteral("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,"
                                "jifenjianshao,shengyujifen,caozuoyuan,beizhu) select ")
                 + qid + ",'" + now + "','会员消费',ROUND(sum(jifen),3),0,ROUND(sum(jifen),3)+"
                 + "ifnull((select shengyujifen from huiyuanjifen where huiyuanid=" + qid + " order by ID desc LIMIT 1),0),"
                 + qop + " ,'会员消费' from tempxiaofeimingxi group by ID");
    // The member's own points total grows with the points row, or the panel and
    // the member list would show the points of the card issue for ever.
    if (id != QStringLiteral("0000"))
        m_db.execSql(QStringLiteral("update huiyuan set jifen=ROUND(ifnull(jifen,0)+"
                                    "ifnull((select sum(jifen) from tempxiaofeimingxi),0),3) where ID=")
                     + qid);

    // Stock-out: one row per product, all of its lines together.
    m_db.execSql(QStringLiteral("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,"
                                "rukutype,user,beizhu) select a.ID,'")
                 + now + "','出库明细', a.xiangmuID,a.xiaoshoujiage,-sum(a.shuliang),-sum(a.jine),'产品销售'," + qop
                 + ",'' from xiaofeimingxi a WHERE a.xiaofeileixing='产品' and a.ID=" + quoted(m_saleId)
                 + " GROUP BY a.xiangmuID");

    m_db.execSql(QStringLiteral("delete from tempxiaofeimingxi"));
    m_db.writeLog(op, QStringLiteral("增加会员消费  会员号：") + id);

    if (!tx.commit()) {
        ctrlUiClass::showInfo(QStringLiteral("保存消费记录失败，本次操作未保存"), this);
        refreshLines();
        refreshPackages();
        updateButtons();
        return false;
    }

    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanxiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    return true;
}
