#include "huiyuankachongchi.h"
#include "ui_huiyuankachongchi.h"

#include "dbrecords.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "transactionscope.h"

namespace {
// Empty counts as 0; anything else has to be a number of at least 0.
bool readAmount(const QString &text, double *out)
{
    if (text.trimmed().isEmpty()) {
        *out = 0;
        return true;
    }
    bool ok = false;
    *out = parseNumber(text, &ok);
    return ok;
}
} // namespace

huiyuankachongchi::huiyuankachongchi(QWidget *parent)
    : QDialog(parent), ui(new Ui::huiyuankachongchi)
{
    ui->setupUi(this);
    m_ctrl.fillCombo(ui->comboBox_2, QStringLiteral("续费方式"), QStringLiteral("xml"));
    m_ctrl.fillComboFromSql(ui->comboBox,
                            QStringLiteral("select ID as 员工编号, name as 员工姓名 from yuangong"));
    ui->toolButton_3->hide();
}

huiyuankachongchi::~huiyuankachongchi()
{
    delete ui;
}

void huiyuankachongchi::setup(const QStringList &member)
{
    if (member.size() < 4)
        return;
    ui->label_9->setText(member.at(0));
    ui->label_10->setText(member.at(1));
    ui->label_13->setText(member.at(2));
    ui->label_15->setText(member.at(3));
}

void huiyuankachongchi::updateCredited()
{
    ui->lineEdit_3->setText(moneyText(parseNumber(ui->lineEdit->text())
                                      + parseNumber(ui->lineEdit_2->text())));
}

void huiyuankachongchi::on_lineEdit_textChanged(const QString &text)
{
    updateCredited();
    ui->lineEdit_4->setText(text);
}

void huiyuankachongchi::on_lineEdit_2_textChanged(const QString &)
{
    updateCredited();
}

void huiyuankachongchi::on_toolButton_3_clicked()
{
}

void huiyuankachongchi::on_toolButton_2_clicked()
{
    reject();
}

void huiyuankachongchi::on_toolButton_clicked()
{
    const QString memberId = ui->label_9->text().trimmed();
    const QString idLit = sqlLiteral(memberId);
    if (memberId.isEmpty()
        || m_ctrl.countRows(QStringLiteral("select ID from huiyuan where ID=") + idLit) < 1) {
        ctrlUiClass::showInfo(QStringLiteral("只能给已登记的会员充值，请先选择一个会员"), this);
        return;
    }
    double paidIn = 0, bonus = 0, received = 0;
    if (!readAmount(ui->lineEdit->text(), &paidIn) || !readAmount(ui->lineEdit_2->text(), &bonus)
        || !readAmount(ui->lineEdit_4->text(), &received)) {
        ctrlUiClass::showInfo(QStringLiteral("交费金额、赠送金额和实际付款必须是数字"), this);
        return;
    }
    if (paidIn < 0 || bonus < 0 || received < 0) {
        ctrlUiClass::showInfo(QStringLiteral("金额不能为负数"), this);
        return;
    }
    const double credited = paidIn + bonus;
    if (credited <= 0) {
        ctrlUiClass::showInfo(QStringLiteral("请输入交费金额"), this);
        return;
    }
    if (received > paidIn) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于交费金额，请确认"), this);
        return;
    }
    const double debt = paidIn - received;
    QString debtText = QStringLiteral("0");
    if (debt > 0) {
        debtText = moneyText(debt);
        if (!ctrlUiClass::askYesNo(QStringLiteral("欠款") + debtText + QStringLiteral(",确定吗"), this))
            return;
    }

    const QString login = operatorSession().loginName;
    const QString now = ctrlUiClass::nowText();
    const QString creditedText = moneyText(credited);
    const QString docId = QStringLiteral("CZ") + ctrlUiClass::serialNow();

    TransactionScope tx;
    // A NULL balance counts as 0, so the first top-up leaves the credited amount.
    m_ctrl.execSql(QStringLiteral("update huiyuan set shengyujine=ROUND(ifnull(shengyujine,0)+")
                   + creditedText + QStringLiteral(",2) where ID=") + idLit);
    const QStringList lastCount = m_ctrl.queryRow(
        QStringLiteral("select dangshikaneicishu from huiyuanyuebiandong where huiyuanid=") + idLit
        + QStringLiteral(" order by ID desc LIMIT 1"));
    const QString count = lastCount.isEmpty() || lastCount.at(0).isEmpty() ? QStringLiteral("0")
                                                                           : lastCount.at(0);
    // The ledger states the balance exactly as the member row now holds it.
    m_ctrl.execSql(
        QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,"
                       "xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,cishujianshao,"
                       "dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu)  VALUES(")
        + idLit + QStringLiteral(",") + sqlLiteral(now) + QStringLiteral(",'会员充值',''," ) + creditedText
        + QStringLiteral(",0,0,0,(select ifnull(shengyujine,0) from huiyuan where ID=") + idLit
        + QStringLiteral("),") + numberText(parseNumber(count)) + QStringLiteral(",")
        + sqlLiteral(login) + QStringLiteral(",") + sqlLiteral(QStringLiteral("充值单：") + docId)
        + QStringLiteral(" )"));

    dbctrlstruct payment;
    payment.table = QStringLiteral("huiyuanjiaofei");
    payment.values = QStringList{docId, memberId, now, QStringLiteral("会员充值"), moneyText(paidIn),
                                 moneyText(received), moneyText(bonus), moneyText(bonus),
                                 creditedText, creditedText, debtText, ui->comboBox_2->currentText(),
                                 ui->comboBox->currentText(), login,
                                 QStringLiteral("会员卡充值:") + creditedText};
    emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(payment));
    m_ctrl.writeLog(login, QStringLiteral("会员卡充值  会员号：") + memberId);

    const bool landed = tx.commit();
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanjiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    if (!landed) {
        ctrlUiClass::showInfo(QStringLiteral("会员充值保存失败，本次操作未保存"), this);
        return;
    }
    accept();
}
