#include "shezhitichengdlg.h"
#include "shopconnection.h"
#include "ui_shezhitichengdlg.h"
#include "dbfailure.h"

#include "dbrecords.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "ruleslists.h"
#include "rulevalues.h"
#include "sqllog.h"
#include "sqltext.h"
#include "tichengcanshudlg.h"
#include "transactionscope.h"

namespace {
const QString kView = QStringLiteral("提成策略明细临时表");
const QStringList kModes = {QStringLiteral("轮单提成"), QStringLiteral("点单提成"),
                            QStringLiteral("其他提成")};
const QString kUniformSuffix = QStringLiteral(" and yuangongleixing='所有员工' GROUP BY yuangongleixing ");
const QString kByTypeSuffix = QStringLiteral(" and yuangongleixing!='所有员工' GROUP BY yuangongleixing ");
} // namespace

shezhitichengDlg::shezhitichengDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::shezhitichengDlg)
{
    ui->setupUi(this);
    const DbsetMap map = readDbset();
    m_ctrl.execSql(dbsetEntry<tempCreateTableinfo>(map, QStringLiteral("temptichengshezhi_db")).SqlStr);
    m_ctrl.execSql(dbsetEntry<tempCreateTableinfo>(map, QStringLiteral("temptichengliebiao2_db")).SqlStr);
    // The working copy may survive a crash of an earlier session: start empty.
    m_ctrl.execSql(QStringLiteral("delete from temptichengshezhi"));
    fillItemList2(QStringLiteral("temptichengliebiao2"), QStringLiteral("服务项目"),
                  QStringLiteral("插入临时列表 temptichengliebiao故障"));
    // Empty until the item is known (the base statement alone would aggregate everything).
    m_ctrl.setupViewWith(map, ui->tableView, kView, QStringLiteral(" and 1=0 GROUP BY yuangongleixing"));
    m_ctrl.fillCombo(ui->comboBox, QStringLiteral("提成类型设置"), QStringLiteral("xml"));
    for (QLineEdit *edit : {ui->lineEdit_5, ui->lineEdit_6, ui->lineEdit_7})
        connect(edit, &QLineEdit::returnPressed, ui->toolButton_2, &QToolButton::click);
    m_linkGeneration = ShopLink::generation(); // the working rows are on this connection
}

shezhitichengDlg::~shezhitichengDlg()
{
    dropWorkTables();
    delete ui;
}

void shezhitichengDlg::done(int result)
{
    dropWorkTables();
    QDialog::done(result);
}

void shezhitichengDlg::dropWorkTables()
{
    if (m_tablesDropped)
        return;
    m_tablesDropped = true;
    m_ctrl.clearViews(); // a live model would keep the table locked
    m_ctrl.execSql(QStringLiteral("drop table temptichengshezhi"));
    m_ctrl.execSql(QStringLiteral("drop table temptichengliebiao2"));
}

bool shezhitichengDlg::uniform() const
{
    return ui->radioButton->isChecked();
}

void shezhitichengDlg::init(int mode, const QStringList &row)
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

    const QString id = sqlEsc(m_id);
    const QString type = sqlEsc(m_type);
    if (!m_ctrl.execSql(QStringLiteral("insert into temptichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner) "
                                       "select b.xiangmuID ,b.type, yuangongleixing as 员工类型,tichengfangshi as 提成方式,jisuanfanshi , tichengbili ,tichengjiner  "
                                       "from tichengshezhi a , temptichengliebiao2 b where  a.xiangmuleixing=b.type and a.xiangmuID=b.xiangmuID and a.xiangmuID='")
                        + id + QStringLiteral("' and b.type='") + type + QStringLiteral("' ")))
        qCWarning(lcSql).noquote() << QStringLiteral("插入临时列表 tempqichengshezhi故障");

    const QList<QStringList> pivot = m_ctrl.queryRows(
        QStringLiteral("select yuangongleixing as 员工类型,jisuanfanshi as 提成方式,"
                       "ROUND(MAX(CASE tichengfangshi WHEN '轮单提成' THEN  tichengbili  END),3)'轮单提成比例' ,"
                       "ROUND(MAX(CASE tichengfangshi WHEN '轮单提成' THEN  tichengjiner  END),3)'轮提单成金额',"
                       "ROUND(MAX(CASE tichengfangshi WHEN '点单提成' THEN  tichengbili  END),3)'点单提成比例',"
                       "ROUND(MAX(CASE tichengfangshi WHEN '点单提成' THEN  tichengjiner END),3)'点单提成金额',"
                       "ROUND(MAX(CASE tichengfangshi WHEN '其他提成' THEN  tichengbili  END),3)'其他提成比例',"
                       "ROUND(MAX(CASE tichengfangshi WHEN '其他提成' THEN  tichengjiner  END),3)'其他提成金额' "
                       "from temptichengshezhi a , temptichengliebiao2 b where a.xiangmuleixing=b.type and a.xiangmuID=b.xiangmuID and a.xiangmuID='")
        + id + QStringLiteral("' and b.type='") + type + QStringLiteral("'  GROUP BY yuangongleixing"));

    if (pivot.size() == 1 && pivot.first().value(0) == RuleWords::allEmployees()) {
        ui->radioButton->setChecked(true);
        fillUniformFields(pivot.first().value(1), pivot.first());
    } else {
        if (pivot.isEmpty())
            ui->radioButton->setChecked(true);
        else
            ui->radioButton_2->setChecked(true);
        on_comboBox_currentTextChanged(ui->comboBox->currentText());
    }
    showDetail();
}

// Puts a pivot row (type, method, percentage and amount per mode) into the
// uniform fields. A fixed-amount rule shows its amounts: showing the (zero)
// percentages would make the next save wipe the amounts.
void shezhitichengDlg::fillUniformFields(const QString &method, const QStringList &values)
{
    const int idx = ui->comboBox->findText(method);
    if (idx >= 0)
        ui->comboBox->setCurrentIndex(idx);
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    const int offset = method == RuleWords::byAmount() ? 1 : 0;
    ui->lineEdit_5->setText(values.value(2 + offset));
    ui->lineEdit_6->setText(values.value(4 + offset));
    ui->lineEdit_7->setText(values.value(6 + offset));
}

void shezhitichengDlg::showDetail()
{
    ui->groupBox_3->setEnabled(uniform());
    m_ctrl.refreshView(kView, uniform() ? kUniformSuffix : kByTypeSuffix);
}

void shezhitichengDlg::on_radioButton_clicked()
{
    showDetail();
}

void shezhitichengDlg::on_radioButton_2_clicked()
{
    seedCategoryRules();
    showDetail();
}

// One zero-percentage rule per employee category and mode, for the categories
// and modes that have none yet, so choosing this state again adds nothing twice.
void shezhitichengDlg::seedCategoryRules()
{
    if (m_id.isEmpty())
        return;
    for (const QString &mode : kModes) {
        m_ctrl.execSql(QStringLiteral("insert into temptichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner) select '")
                       + sqlEsc(m_id) + QStringLiteral("' ,'") + sqlEsc(m_type) + QStringLiteral("', mingchen,'")
                       + mode + QStringLiteral("','按比例提成' , 0 ,0  from leibie where leibiestr='员工类别'"
                                               " and not exists (select 1 from temptichengshezhi t where t.yuangongleixing=leibie.mingchen and t.tichengfangshi='")
                       + mode + QStringLiteral("') GROUP BY mingchen"));
    }
}

void shezhitichengDlg::on_comboBox_currentTextChanged(const QString &method)
{
    const bool takesPart = method != RuleWords::noCommission();
    ui->lineEdit_5->setEnabled(takesPart);
    ui->lineEdit_6->setEnabled(takesPart);
    ui->lineEdit_7->setEnabled(takesPart);
    const QString unit = method == RuleWords::byAmount() ? QStringLiteral("元")
                         : method == RuleWords::byRatio() ? QStringLiteral("%")
                                                          : QString();
    ui->label_9->setText(unit);
    ui->label_10->setText(unit);
    ui->label_11->setText(unit);
}

void shezhitichengDlg::on_toolButton_clicked()
{
    const QStringList row = m_ctrl.currentRowValues(kView);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个提成设置！"), this);
        return;
    }
    auto *dlg = new tichengcanshuDlg;
    connect(dlg, &tichengcanshuDlg::DlgSend, this, &shezhitichengDlg::DlgRecv);
    dlg->init(row);
    dlg->exec();
    delete dlg;
}

void shezhitichengDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    on_toolButton_clicked();
}

void shezhitichengDlg::DlgRecv(QVariant value)
{
    const QStringList row = value.toStringList();
    if (row.size() < 5)
        return;
    const QString type = sqlEsc(row.at(0));
    const QString method = row.at(1);
    for (int i = 0; i < kModes.size(); ++i) {
        double v = 0;
        checkCommissionValue(row.at(2 + i), &v); // the sender has refused bad figures already
        QString sql;
        if (method == RuleWords::byRatio())
            sql = QStringLiteral("UPDATE temptichengshezhi SET jisuanfanshi = '") + sqlEsc(method)
                  + QStringLiteral("' ,tichengbili=") + numberText(v) + QStringLiteral(",tichengjiner=0");
        else if (method == RuleWords::byAmount())
            sql = QStringLiteral("UPDATE temptichengshezhi SET jisuanfanshi = '") + sqlEsc(method)
                  + QStringLiteral("' ,tichengjiner=") + moneyText(v) + QStringLiteral(", tichengbili=0");
        else
            sql = QStringLiteral("UPDATE temptichengshezhi SET jisuanfanshi = '") + sqlEsc(method)
                  + QStringLiteral("' ,tichengjiner=0 ,tichengbili=0");
        sql += QStringLiteral(" WHERE tichengfangshi = '") + kModes.at(i)
               + QStringLiteral("' and yuangongleixing='") + type + QStringLiteral("'");
        if (!m_ctrl.execSql(sql))
            qCWarning(lcSql).noquote() << QStringLiteral("修改临时列表 tempqichengshezhi故障");
    }
    // In the uniform state the fields are what gets saved: keep them in step.
    if (uniform() && row.at(0) == RuleWords::allEmployees()) {
        const int idx = ui->comboBox->findText(method);
        if (idx >= 0)
            ui->comboBox->setCurrentIndex(idx);
        ui->lineEdit_5->setText(row.at(2));
        ui->lineEdit_6->setText(row.at(3));
        ui->lineEdit_7->setText(row.at(4));
    }
    showDetail();
}

void shezhitichengDlg::on_toolButton_2_clicked()
{
    if (m_mode != 2 && m_mode != 3)
        return;
    if (m_id.isEmpty())
        return;
    const bool saved = uniform() ? saveUniform() : saveByType();
    if (saved)
        accept();
}

bool shezhitichengDlg::saveUniform()
{
    const QString method = ui->comboBox->currentText();
    QStringList figures;
    // Fields stay disabled and empty for "不参与提成": nothing to check then.
    if (method != RuleWords::noCommission()) {
        if (ui->lineEdit_5->text().trimmed().isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("员工编号不能为空"), this);
            return false;
        }
        if (ui->lineEdit_6->text().trimmed().isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("员工名不能为空"), this);
            return false;
        }
    }
    QList<double> values;
    for (QLineEdit *edit : {ui->lineEdit_5, ui->lineEdit_6, ui->lineEdit_7}) {
        double v = 0;
        if (method != RuleWords::noCommission()) {
            const QString problem = checkCommissionValue(edit->text(), &v);
            if (!problem.isEmpty()) {
                ctrlUiClass::showInfo(problem, this);
                edit->setFocus();
                return false;
            }
        }
        values << v;
    }

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
    redbctrlstruct del;
    del.table = QStringLiteral("tichengshezhi");
    del.fields = QStringList{QStringLiteral("xiangmuleixing"), QStringLiteral("xiangmuID")};
    del.values = QStringList{m_type, m_id};
    emit DlgSend(QStringLiteral("删除数据"), QVariant::fromValue(del));
    QStringList bili, jiner;
    for (int i = 0; i < kModes.size(); ++i) {
        const double v = values.at(i);
        bili << (method == RuleWords::byRatio() ? numberText(v) : QStringLiteral("0"));
        jiner << (method == RuleWords::byAmount() ? moneyText(v) : QStringLiteral("0"));
        dbctrlstruct add;
        add.table = QStringLiteral("tichengshezhi");
        add.values = QStringList{m_id, m_type, RuleWords::allEmployees(), kModes.at(i), method,
                                 bili.last(), jiner.last()};
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(add));
    }
    // The rows are written by the opener: make sure exactly the three rules landed
    // before the save is called done.
    const QString item = QStringLiteral(" from tichengshezhi where xiangmuID='") + sqlEsc(m_id)
                         + QStringLiteral("' and xiangmuleixing='") + sqlEsc(m_type) + QStringLiteral("'");
    bool landed = m_ctrl.countRows(QStringLiteral("select 1") + item) == kModes.size();
    for (int i = 0; landed && i < kModes.size(); ++i)
        landed = m_ctrl.countRows(QStringLiteral("select 1") + item
                                  + QStringLiteral(" and yuangongleixing='所有员工' and tichengfangshi='") + kModes.at(i)
                                  + QStringLiteral("' and jisuanfanshi='") + sqlEsc(method)
                                  + QStringLiteral("' and tichengbili=") + bili.at(i)
                                  + QStringLiteral(" and tichengjiner=") + jiner.at(i))
                 == 1;
    if (!landed)
        tx.rollback();
    else
        m_ctrl.writeLog(operatorSession().loginName, QStringLiteral("提成设置  项目：") + m_id);
    if (!landed || !tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存提成设置失败"), tx.firstError()), this);
        return false;
    }
    return true;
}

bool shezhitichengDlg::saveByType()
{
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
    if (!m_ctrl.execSql(QStringLiteral("delete from tichengshezhi where xiangmuID='") + sqlEsc(m_id)
                        + QStringLiteral("' and xiangmuleixing='") + sqlEsc(m_type) + QStringLiteral("'")))
        qCWarning(lcSql).noquote() << QStringLiteral("删除临时列表 tichengshezhi故障");
    if (!m_ctrl.execSql(QStringLiteral("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner) "
                                       "select xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner  "
                                       "from temptichengshezhi  where yuangongleixing!='所有员工' ")))
        qCWarning(lcSql).noquote() << QStringLiteral("插入列表tichengshezhi故障");
    m_ctrl.writeLog(operatorSession().loginName, QStringLiteral("提成设置  项目：") + m_id);
    if (!tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存提成设置失败"), tx.firstError()), this);
        return false;
    }
    return true;
}

void shezhitichengDlg::on_toolButton_3_clicked()
{
    reject();
}
