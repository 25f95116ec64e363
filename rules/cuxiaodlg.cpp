#include "cuxiaodlg.h"
#include "shopconnection.h"
#include "ui_cuxiaodlg.h"
#include "dbfailure.h"

#include "cuxiaocanshudlg.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "ruleslists.h"
#include "rulevalues.h"
#include "sqllog.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QDate>

namespace {
const QString kView = QStringLiteral("促销策略明细临时表");
const QString kUniformSuffix = QStringLiteral(" and huiyuanleixing='所有会员' GROUP BY huiyuanleixing ");
const QString kByTypeSuffix = QStringLiteral(" and huiyuanleixing!='所有会员' GROUP BY huiyuanleixing ");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
} // namespace

cuxiaoDlg::cuxiaoDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::cuxiaoDlg)
{
    ui->setupUi(this);
    const DbsetMap map = readDbset();
    m_ctrl.execSql(dbsetEntry<tempCreateTableinfo>(map, QStringLiteral("tempcuxiaoliebiao2_db")).SqlStr);
    m_ctrl.execSql(dbsetEntry<tempCreateTableinfo>(map, QStringLiteral("tempcuxiaoshezhi_db")).SqlStr);
    // The working copy may survive a crash of an earlier session: start empty.
    m_ctrl.execSql(QStringLiteral("delete from tempcuxiaoshezhi"));
    fillItemList2(QStringLiteral("tempcuxiaoliebiao2"), QStringLiteral("项目"),
                  QStringLiteral("插入临时列表 tempcuxiaoliebiao故障"));
    m_ctrl.setupViewWith(map, ui->tableView, kView, QStringLiteral(" and 1=0"));
    m_ctrl.fillCombo(ui->comboBox, QStringLiteral("促销类型设置"), QStringLiteral("xml"));
    ui->dateEdit->setDisplayFormat(kDateFormat);
    ui->dateEdit_2->setDisplayFormat(kDateFormat);
    ui->dateEdit->setDate(QDate::currentDate());
    ui->dateEdit_2->setDate(QDate::currentDate().addMonths(1));
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    connect(ui->lineEdit_5, &QLineEdit::returnPressed, ui->toolButton_2, &QToolButton::click);
    m_linkGeneration = ShopLink::generation(); // the working rows are on this connection
}

cuxiaoDlg::~cuxiaoDlg()
{
    dropWorkTables();
    delete ui;
}

void cuxiaoDlg::done(int result)
{
    dropWorkTables();
    QDialog::done(result);
}

void cuxiaoDlg::dropWorkTables()
{
    if (m_tablesDropped)
        return;
    m_tablesDropped = true;
    m_ctrl.clearViews(); // a live model would keep the table locked
    m_ctrl.execSql(QStringLiteral("drop table tempcuxiaoshezhi"));
    m_ctrl.execSql(QStringLiteral("drop table tempcuxiaoliebiao2"));
}

bool cuxiaoDlg::uniform() const
{
    return ui->radioButton->isChecked();
}

double cuxiaoDlg::price() const
{
    return parseNumber(ui->lineEdit_3->text());
}

void cuxiaoDlg::init(int mode, const QStringList &row)
{
    m_mode = mode;
    if (row.size() < 5)
        return;
    m_id = row.at(0);
    m_type = row.at(4);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_2->setText(row.at(1));
    ui->lineEdit_3->setText(row.at(2));
    ui->lineEdit_4->setText(row.at(3));
    on_comboBox_currentTextChanged(ui->comboBox->currentText()); // the hint names the price

    const QString id = sqlEsc(m_id);
    const QString type = sqlEsc(m_type);
    if (!m_ctrl.execSql(QStringLiteral("insert into tempcuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner) "
                                       "select b.xiangmuID ,b.type, huiyuanleixing as 员工类型,cuxiaofangshi , cuxiaobili ,cuxiaojiner  "
                                       "from cuxiaoshezhi a , tempcuxiaoliebiao2 b where  a.xiangmuleixing=b.type and a.xiangmuID=b.xiangmuID and a.xiangmuID='")
                        + id + QStringLiteral("' and b.type='") + type + QStringLiteral("' ")))
        qCWarning(lcSql).noquote() << QStringLiteral("插入临时列表tempcuxiaoshezhi故障");

    // The period the item's promotions were saved with, if any.
    const QStringList period = m_ctrl.queryRow(
        QStringLiteral("select MIN(substr(starttime,1,10)), MAX(substr(endtime,1,10)) from cuxiaoshezhi where xiangmuID='")
        + id + QStringLiteral("' and xiangmuleixing='") + type + QStringLiteral("'"));
    const QDate start = QDate::fromString(period.value(0), kDateFormat);
    const QDate end = QDate::fromString(period.value(1), kDateFormat);
    if (start.isValid() && end.isValid()) {
        ui->dateEdit->setDate(start);
        ui->dateEdit_2->setDate(end);
    }

    const QList<QStringList> rows = m_ctrl.queryRows(
        QStringLiteral("select huiyuanleixing as 会员类型,xiaoshoujiage as 单价,cuxiaofangshi as 促销方式,cuxiaobili  as 优惠折扣, cuxiaojiner as 最终售价 "
                       "from tempcuxiaoshezhi a , tempcuxiaoliebiao2 b where a.xiangmuleixing=b.type and  a.xiangmuID=b.xiangmuID"));
    if (rows.size() == 1 && rows.first().value(0) == RuleWords::allMembers()) {
        ui->radioButton->setChecked(true);
        setUniformFields(rows.first().value(2), rows.first().value(3), rows.first().value(4));
    } else if (rows.isEmpty()) {
        ui->radioButton->setChecked(true);
    } else {
        ui->radioButton_2->setChecked(true);
    }
    showDetail();
}

// The stored method comes back with the figure that was typed for it: the
// ratio, or the fixed final price (showing a ratio under a fixed-price method
// would save a price of 0.8 on the next 保存).
void cuxiaoDlg::setUniformFields(const QString &method, const QString &ratio, const QString &finalPrice)
{
    const int idx = ui->comboBox->findText(method);
    if (idx >= 0)
        ui->comboBox->setCurrentIndex(idx);
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    if (method == RuleWords::promoPrice())
        ui->lineEdit_5->setText(finalPrice);
    else if (method == RuleWords::promoRatio())
        ui->lineEdit_5->setText(ratio);
    else
        ui->lineEdit_5->clear();
}

void cuxiaoDlg::showDetail()
{
    ui->groupBox_3->setEnabled(uniform());
    m_ctrl.refreshView(kView, uniform() ? kUniformSuffix : kByTypeSuffix);
}

void cuxiaoDlg::on_radioButton_clicked()
{
    showDetail();
}

void cuxiaoDlg::on_radioButton_2_clicked()
{
    // One no-discount row per card type that has no row yet, so choosing this
    // state again adds nothing twice.
    if (!m_id.isEmpty()
        && !m_ctrl.execSql(QStringLiteral("insert into tempcuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner) "
                                          "SELECT b.xiangmuID,b.type,a.name , '无优惠','1',xiaoshoujiage from huiyuanka a,tempcuxiaoliebiao2 b where b.xiangmuID='")
                           + sqlEsc(m_id) + QStringLiteral("' and b.type='") + sqlEsc(m_type)
                           + QStringLiteral("' and not exists (select 1 from tempcuxiaoshezhi t where t.huiyuanleixing=a.name)  GROUP BY a.`name` ")))
        qCWarning(lcSql).noquote() << QStringLiteral("插入临时列表 tempcuxiaoshezhi故障");
    showDetail();
}

void cuxiaoDlg::on_comboBox_currentTextChanged(const QString &method)
{
    ui->lineEdit_5->setEnabled(method == RuleWords::promoRatio() || method == RuleWords::promoPrice());
    if (method == RuleWords::promoRatio())
        ui->label_9->setText(QStringLiteral("按比例促销0.9表示9折，0.85表示85折"));
    else if (method == RuleWords::promoPrice())
        ui->label_9->setText(QStringLiteral("请输入一个固定金额，需要少于") + ui->lineEdit_3->text());
    else
        ui->label_9->clear();
}

void cuxiaoDlg::on_toolButton_clicked()
{
    const QStringList row = m_ctrl.currentRowValues(kView);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择列表中一个促销方式后点击修改"), this);
        return;
    }
    auto *dlg = new cuxiaocanshuDlg;
    connect(dlg, &cuxiaocanshuDlg::DlgSend, this, &cuxiaoDlg::DlgRecv);
    dlg->init(row);
    dlg->exec();
    delete dlg;
}

void cuxiaoDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    on_toolButton_clicked();
}

void cuxiaoDlg::DlgRecv(QVariant value)
{
    const QStringList row = value.toStringList();
    if (row.size() < 3)
        return;
    const QString method = row.at(1);
    double v = 0;
    checkPromotionValue(method, price(), row.at(2), &v); // the sender has refused bad figures already
    QString ratio, finalPrice;
    promotionFigures(method, price(), v, &ratio, &finalPrice);
    if (!m_ctrl.execSql(QStringLiteral("UPDATE tempcuxiaoshezhi SET cuxiaofangshi = '") + sqlEsc(method)
                        + QStringLiteral("' ,cuxiaobili=") + ratio + QStringLiteral(",cuxiaojiner=") + finalPrice
                        + QStringLiteral(" WHERE huiyuanleixing='") + sqlEsc(row.at(0)) + QStringLiteral("'")))
        qCWarning(lcSql).noquote() << QStringLiteral("修改临时列表 tempcuxiaoshezhi故障");
    // In the uniform state the fields are what gets saved: keep them in step.
    if (uniform() && row.at(0) == RuleWords::allMembers())
        setUniformFields(method, ratio, finalPrice);
    showDetail();
}

void cuxiaoDlg::on_toolButton_2_clicked()
{
    if (m_id.isEmpty())
        return;
    if (save())
        accept();
}

bool cuxiaoDlg::save()
{
    const QDate startDate = ui->dateEdit->date();
    const QDate endDate = ui->dateEdit_2->date();
    if (startDate > endDate) {
        ctrlUiClass::showInfo(QStringLiteral("促销开始日期不能晚于结束日期"), this);
        return false;
    }
    const QString start = startDate.toString(kDateFormat);
    const QString end = endDate.toString(kDateFormat);
    const QString method = ui->comboBox->currentText();
    QString ratio, finalPrice;
    if (uniform()) {
        double v = 0;
        const QString problem = checkPromotionValue(method, price(), ui->lineEdit_5->text(), &v);
        if (!problem.isEmpty()) {
            ctrlUiClass::showInfo(problem, this);
            ui->lineEdit_5->setFocus();
            return false;
        }
        promotionFigures(method, price(), v, &ratio, &finalPrice);
    }

    const QString id = sqlEsc(m_id);
    const QString type = sqlEsc(m_type);
    // Its working rows were on the connection before a reconnect: saving them
    // now would replace the item's rules with nothing.
    if (ShopLink::generation() != m_linkGeneration) {
        ctrlUiClass::showInfo(ShopLink::staleWindowText(), this);
        return false;
    }
    TransactionScope tx;
    // The settings right is looked up inside the save, whatever reached this dialog.
    if (!OperatorStore::requireSettingsRight(operatorSession().loginName)) {
        ctrlUiClass::showInfo(OperatorStore::noRightText(), this);
        return false;
    }
    if (!m_ctrl.execSql(QStringLiteral("delete from cuxiaoshezhi where xiangmuID='") + id
                        + QStringLiteral("' and xiangmuleixing='") + type + QStringLiteral("'")))
        qCWarning(lcSql).noquote() << QStringLiteral("删除临时列表 tempqichengshezhi故障");
    bool ok = true;
    if (uniform()) {
        // A stored "所有会员" row copied in at opening is replaced, never doubled.
        m_ctrl.execSql(QStringLiteral("delete from tempcuxiaoshezhi where huiyuanleixing='所有会员'"));
        m_ctrl.execSql(QStringLiteral("insert into tempcuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner) "
                                      "SELECT b.xiangmuID,b.type,'所有会员' , '")
                       + sqlEsc(method) + QStringLiteral("','") + ratio + QStringLiteral("','") + finalPrice
                       + QStringLiteral("' from tempcuxiaoliebiao2 b where b.xiangmuID='") + id
                       + QStringLiteral("' and b.type='") + type + QStringLiteral("'  "));
        // An item that vanished from the catalogue meanwhile yields no row.
        ok = m_ctrl.countRows(QStringLiteral("select 1 from tempcuxiaoshezhi where huiyuanleixing='所有会员'")) == 1;
    }
    if (!m_ctrl.execSql(QStringLiteral("insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,starttime,endtime,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner) "
                                       "select xiangmuID,xiangmuleixing,'")
                        + start + QStringLiteral("','") + end
                        + QStringLiteral("',huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner  from tempcuxiaoshezhi  where huiyuanleixing")
                        + (uniform() ? QStringLiteral("=") : QStringLiteral("!=")) + QStringLiteral("'所有会员' ")))
        qCWarning(lcSql).noquote() << QStringLiteral("插入列表cuxiaoshezhi故障");
    m_ctrl.writeLog(operatorSession().loginName, QStringLiteral("促销设置  项目：") + m_id);
    if (!ok)
        tx.rollback();
    if (!ok || !tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存促销设置失败"), tx.firstError()), this);
        return false;
    }
    return true;
}

void cuxiaoDlg::on_toolButton_3_clicked()
{
    reject();
}
