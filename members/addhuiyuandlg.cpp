#include "addhuiyuandlg.h"
#include "ui_addhuiyuandlg.h"

#include "addhuiyuankadlg.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "fukuandlg.h"
#include "huiyuandlg.h"
#include "operatorsession.h"
#include "prompt.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QDateEdit>

namespace {
const char *kEmployeeSql = "select ID as 员工编号, name as 员工姓名 from yuangong";
const char *kPackageSql = "select taocanID,name from taocanmingxi group by name";
const char *kCardTypeSql = "select name as 会员卡名称 from huiyuanka";
const char *kLedgerColumns =
    "insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,"
    "yuezengjia,yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,"
    "caozuoyuan,beizhu) ";

void plainBox(const QString &text, QWidget *parent)
{
    PromptRequest r;
    r.text = text;
    r.buttons = QStringList{QStringLiteral("确定")};
    r.parent = parent;
    Prompt::ask(r);
}

QString q(const QString &text) { return sqlLiteral(text); }

// A date field left blank (its minimum) stores no date.
QString issueDate(const QDateEdit *edit)
{
    if (edit->date() == edit->minimumDate())
        return QString();
    return edit->text() + QStringLiteral(" 00:00:00");
}
} // namespace

addhuiyuandlg::addhuiyuandlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addhuiyuandlg)
{
    ui->setupUi(this);
    ui->comboBox->addItems(QStringList{QStringLiteral("男"), QStringLiteral("女")});
    const QDate today = QDate::currentDate();
    for (QDateEdit *e : {ui->dateEdit, ui->dateEdit_2}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setMinimumDate(QDate(1900, 1, 1));
        // A member without a stored date shows a blank field instead of a made-up date.
        e->setSpecialValueText(QStringLiteral(" "));
    }
    ui->dateEdit->setDate(today);
    ui->dateEdit_2->setDate(today.addYears(1));

    m_ctrl.setupView(readDbset(), ui->tableView, QStringLiteral("临时会员套餐"));
    fillAdvisers();

    m_ctrl.fillComboFromSql(ui->comboBox_4, QString::fromUtf8(kPackageSql));
    for (const QStringList &r : m_ctrl.queryRows(QString::fromUtf8(kPackageSql)))
        m_packageIds << r.value(0);
    ui->comboBox_4->addItem(QStringLiteral("无"));
    m_packageIds << QStringLiteral("0");

    fillCardTypes();
    ui->lineEdit_13->setEnabled(operatorSession().xiugaibankajiage != QStringLiteral("否"));

    m_ready = true;
    ui->comboBox_4->setCurrentIndex(ui->comboBox_4->count() - 1);
    on_comboBox_4_currentTextChanged(ui->comboBox_4->currentText());
    on_comboBox_3_currentTextChanged(ui->comboBox_3->currentText());
}

addhuiyuandlg::~addhuiyuandlg()
{
    m_ctrl.execSql(QStringLiteral("delete  from  temphuiyuantaocan"));
    m_ctrl.clearViews();
    delete ui;
}

void addhuiyuandlg::fillAdvisers()
{
    // The combo's own item data only carries numeric ids; employee codes are
    // typed ("A01"), so the codes are kept beside it.
    m_ctrl.fillComboFromSql(ui->comboBox_2, QString::fromUtf8(kEmployeeSql));
    m_adviserIds.clear();
    for (const QStringList &r : m_ctrl.queryRows(QString::fromUtf8(kEmployeeSql)))
        m_adviserIds << r.value(0);
}

void addhuiyuandlg::fillCardTypes()
{
    const bool wasReady = m_ready;
    m_ready = false;
    m_ctrl.fillCombo(ui->comboBox_3, QString::fromUtf8(kCardTypeSql), QStringLiteral("db"));
    m_ready = wasReady;
}

QString addhuiyuandlg::adviserId() const
{
    const int i = ui->comboBox_2->currentIndex();
    if (i < 0 || i >= m_adviserIds.size())
        return QStringLiteral("0");
    return m_adviserIds.at(i);
}

void addhuiyuandlg::selectAdviser(const QString &id, const QString &name)
{
    int i = id.isEmpty() ? -1 : m_adviserIds.indexOf(id);
    if (i < 0 && !name.isEmpty())
        i = ui->comboBox_2->findText(name);
    if (i < 0) {
        // An adviser who is no longer on the staff list stays as stored.
        ui->comboBox_2->insertItem(0, name.isEmpty() ? id : name);
        m_adviserIds.insert(0, id);
        i = 0;
    }
    ui->comboBox_2->setCurrentIndex(i);
}

void addhuiyuandlg::setDateFromText(QDateEdit *edit, const QString &text, QDate *shown)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QDate::fromString(t.section(QLatin1Char(' '), 0, 0), QStringLiteral("yyyy-M-d"));
    if (!d.isValid())
        d = edit->minimumDate(); // shown blank
    edit->setDate(d);
    *shown = edit->date();
}

QString addhuiyuandlg::dateForSave(QDateEdit *edit, const QDate &shown, const QString &stored) const
{
    if (edit->date() == shown)
        return stored;
    if (edit->date() == edit->minimumDate())
        return QString();
    return edit->text();
}

void addhuiyuandlg::setup(int mode, const QStringList &row)
{
    m_mode = mode;
    if (mode == 2 && row.size() > 12) {
        ui->lineEdit->setText(row.at(0));
        ui->lineEdit_2->setText(row.at(1));
        ui->comboBox->setCurrentText(row.at(2));
        ui->lineEdit_3->setText(row.at(4));
        ui->lineEdit_6->setText(row.at(7));
        ui->lineEdit_7->setText(row.at(8));
        ui->lineEdit_8->setText(row.at(9));
        ui->lineEdit_9->setText(row.at(11));
        ui->lineEdit_10->setText(row.at(12));
        m_storedBirthday = row.at(3);
        m_storedExpiry = row.at(5);
        QString adviser;
        // What the list does not show (or shows reformatted) is taken from the
        // member's row itself, so that saving the edit keeps it unchanged.
        const QStringList stored = m_ctrl.queryRow(
            QStringLiteral("select birthday,daoqi_time,password1,password2,guwenrenyuan,beizhu "
                           "from huiyuan where ID=") + q(row.at(0)));
        if (stored.size() == 6) {
            m_storedBirthday = stored.at(0);
            m_storedExpiry = stored.at(1);
            ui->lineEdit_4->setText(stored.at(2));
            ui->lineEdit_5->setText(stored.at(3));
            adviser = stored.at(4);
            ui->textEdit->setPlainText(stored.at(5));
        }
        setDateFromText(ui->dateEdit, m_storedBirthday, &m_shownBirthday);
        setDateFromText(ui->dateEdit_2, m_storedExpiry, &m_shownExpiry);
        selectAdviser(adviser, row.at(10));
        ui->tabWidget->hide();
        ui->lineEdit->setEnabled(false);
        return;
    }
    m_mode = 1;
    const QStringList maxId = m_ctrl.queryRow(QStringLiteral("SELECT Max(ID+0) from huiyuan "));
    qlonglong next = 1;
    if (!maxId.isEmpty() && !maxId.at(0).isEmpty())
        next = static_cast<qlonglong>(parseNumber(maxId.at(0))) + 1;
    ui->lineEdit->setText(QString::number(next));
    ui->lineEdit->setEnabled(false);
}

void addhuiyuandlg::DlgRecv(const QString &key, const QVariant &value)
{
    if (key == QStringLiteral("员工管理")) {
        const QStringList row = value.toStringList();
        if (row.size() > 2)
            ui->lineEdit_11->setText(row.at(0));
        return;
    }
    if (key == QStringLiteral("收款")) {
        m_payment = value.toStringList();
        return;
    }
    emit DlgSend(key, value);
}

void addhuiyuandlg::on_comboBox_3_currentTextChanged(const QString &cardType)
{
    if (!m_ready)
        return;
    const QStringList r = m_ctrl.queryRow(
        QStringLiteral("select kaneijine as 卡内金额,jiage as 交费金额,fuwuzekou as 服务折扣,"
                       "chanpinzekou as 产品折扣 from huiyuanka where name='")
        + sqlEsc(cardType) + QStringLiteral("'"));
    // No row, or two card types of one name: nothing is taken from either,
    // and the save refuses until a real card type is chosen.
    m_cardFound = r.size() >= 4;
    ui->lineEdit_12->setText(m_cardFound ? r.at(0) : QString());
    ui->lineEdit_12->setEnabled(false);
    ui->lineEdit_13->setText(m_cardFound ? r.at(1) : QString());
    ui->label_22->setText(m_cardFound ? r.at(2) : QString());
    ui->label_23->setText(m_cardFound ? r.at(3) : QString());
}

void addhuiyuandlg::on_comboBox_4_currentTextChanged(const QString &package)
{
    if (!m_ready)
        return;
    m_ctrl.execSql(QStringLiteral("delete  from  temphuiyuantaocan"));
    const QString id = ui->lineEdit->text();
    if (!id.isEmpty()) {
        m_ctrl.execSql(
            QStringLiteral("insert into temphuiyuantaocan(huiyuanID,xiangmuID,xiangmuname,yuanjia,"
                           "shengyucishu,youhui,heji,bencishu,shishou,zongcishu,xiaofeicishu)  select ")
            + q(id)
            + QStringLiteral(",a.xiangmuID,b.name,b.xiaoshoujiage,a.fuwucishu,b.xiaoshoujiage,0,"
                             "a.fuwucishu,0,a.fuwucishu,0 from taocanmingxi a,fuwuxiangmu b where  "
                             "a.xiangmuID=b.ID and a.name='")
            + sqlEsc(package) + QStringLiteral("'"));
    }
    m_ctrl.refreshView(QStringLiteral("临时会员套餐"), QStringLiteral(" "));
    const QStringList price = m_ctrl.queryRow(
        QStringLiteral("select zongjia from taocanmingxi a,fuwuxiangmu b where  a.xiangmuID=b.ID "
                       "and a.name='")
        + sqlEsc(package) + QStringLiteral("' GROUP BY taocanID"));
    ui->label_26->setText(price.isEmpty() || price.at(0).isEmpty() ? QStringLiteral("0") : price.at(0));
}

void addhuiyuandlg::on_toolButton_3_clicked()
{
    auto *dlg = new huiyuanDlg;
    connect(dlg, &huiyuanDlg::DlgSend, this, &addhuiyuandlg::DlgRecv);
    dlg->setData(QStringLiteral("员工管理"), QStringLiteral(" "));
    dlg->exec();
    delete dlg;
}

void addhuiyuandlg::on_toolButton_4_clicked()
{
    auto *dlg = new addhuiyuankaDlg;
    connect(dlg, &addhuiyuankaDlg::DlgSend, this, &addhuiyuandlg::DlgRecv);
    dlg->setup(1, QStringList());
    dlg->exec();
    delete dlg;
    const QString previous = ui->comboBox_3->currentText();
    fillCardTypes();
    const int i = ui->comboBox_3->findText(previous);
    if (i >= 0)
        ui->comboBox_3->setCurrentIndex(i);
    on_comboBox_3_currentTextChanged(ui->comboBox_3->currentText());
}

void addhuiyuandlg::on_toolButton_2_clicked()
{
    reject();
}

void addhuiyuandlg::on_toolButton_clicked()
{
    if (m_mode == 2)
        saveEdit();
    else
        saveNew();
}

bool addhuiyuandlg::validateCommon()
{
    if (ui->lineEdit->text().trimmed().isEmpty()) {
        plainBox(QStringLiteral("员工编号不能为空"), this);
        return false;
    }
    if (ui->lineEdit_2->text().trimmed().isEmpty()) {
        plainBox(QStringLiteral("员工名不能为空"), this);
        return false;
    }
    if (ui->lineEdit_4->text() != ui->lineEdit_5->text()) {
        ctrlUiClass::showInfo(QStringLiteral("两次输入的会员密码不一致"), this);
        return false;
    }
    return true;
}

void addhuiyuandlg::saveNew()
{
    // Everything that can refuse the issue is checked before the customer is
    // asked to pay.
    if (!validateCommon())
        return;
    bool valueOk = false, priceOk = false;
    const double cardValue = parseNumber(ui->lineEdit_12->text(), &valueOk);
    if (!m_cardFound || !valueOk) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个有效的会员卡类型"), this);
        return;
    }
    const QString priceText = ui->lineEdit_13->text().trimmed();
    const double price = priceText.isEmpty() ? 0 : parseNumber(priceText, &priceOk);
    if ((!priceText.isEmpty() && !priceOk) || price < 0) {
        ctrlUiClass::showInfo(QStringLiteral("交费金额必须是不小于0的数字"), this);
        return;
    }
    const QString memberId = ui->lineEdit->text().trimmed();
    if (m_ctrl.countRows(QStringLiteral("select ID from huiyuan where ID=") + q(memberId)) > 0) {
        ctrlUiClass::showInfo(QStringLiteral("会员编号已经存在，请重新打开会员编辑"), this);
        return;
    }
    const double packagePrice = parseNumber(ui->label_26->text());
    const double due = price + packagePrice;

    m_payment.clear();
    auto *pay = new fukuanDlg;
    connect(pay, &fukuanDlg::DlgSend, this, &addhuiyuandlg::DlgRecv);
    pay->setData(QStringList{moneyText(due)});
    const int paid = pay->exec();
    delete pay;
    if (paid != QDialog::Accepted || m_payment.size() < 3)
        return;

    const QString login = operatorSession().loginName;
    const QString now = ctrlUiClass::nowText();
    const QString name = ui->lineEdit_2->text().trimmed();
    const QString valueText = moneyText(cardValue);
    const QString priceMoney = moneyText(price);
    const QString employee = ui->lineEdit_11->text().trimmed();
    const QString packageId = m_packageIds.value(ui->comboBox_4->currentIndex(), QStringLiteral("0"));

    TransactionScope tx;

    dbctrlstruct member;
    member.table = QStringLiteral("huiyuan");
    member.values = QStringList{
        memberId, name, ui->comboBox->currentText(),
        issueDate(ui->dateEdit), ui->lineEdit_3->text(), issueDate(ui->dateEdit_2), now,
        ui->lineEdit_4->text(), ui->lineEdit_5->text(), ui->lineEdit_6->text(),
        ui->lineEdit_7->text(), ui->lineEdit_8->text(), adviserId(), ui->lineEdit_9->text(),
        ui->lineEdit_10->text(), ui->textEdit->toPlainText(), ui->comboBox_3->currentText(),
        employee, packageId, priceMoney, QStringLiteral("0"), valueText, moneyText(price * 0.5)};
    emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(member));

    const QString docId = QStringLiteral("BK") + ctrlUiClass::serialNow();
    QString remark = QStringLiteral("卡内金额:") + valueText;
    const QList<QStringList> items = m_ctrl.queryRows(
        QStringLiteral("select ifnull(b.name,a.xiangmuname), sum(a.bencishu) from temphuiyuantaocan a "
                       "left join fuwuxiangmu b on a.xiangmuID=b.ID where a.bencishu>0 group by a.xiangmuID"));
    for (const QStringList &it : items)
        remark += QStringLiteral(" ") + it.value(0) + QStringLiteral(":") + numberText(parseNumber(it.value(1)));

    dbctrlstruct payment;
    payment.table = QStringLiteral("huiyuanjiaofei");
    payment.values = QStringList{
        docId, memberId, now, QStringLiteral("办卡交费"), priceMoney, m_payment.at(0),
        moneyText(cardValue - price), QStringLiteral("0"), valueText, valueText, m_payment.at(1),
        m_payment.at(2), employee, login, remark};
    emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(payment));

    if (!employee.isEmpty()) {
        dbctrlsqlstruct commission;
        commission.table = QStringLiteral("tichengmingxi");
        commission.select =
            QStringLiteral(" select '") + QStringLiteral("tc") + ctrlUiClass::serialNow()
            + QStringLiteral("','") + sqlEsc(employee) + QStringLiteral("','") + sqlEsc(memberId)
            + QStringLiteral("','") + sqlEsc(name) + QStringLiteral("','") + docId
            + QStringLiteral("' ,jisuanfanshi,  case when jisuanfanshi = '按比例提成' then tichengbili "
                             "else tichengjiner end,'开卡提成'  from tichengshezhi a,yuangong b WHERE "
                             "a.yuangongleixing=b.type and b.ID='")
            + sqlEsc(employee)
            // The rules are kept per item, so several may match the employee's
            // type; one card issue earns one opening commission.
            + QStringLiteral("' and a.tichengfangshi='轮单提成' order by a.rowid LIMIT 1");
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(commission));
    }

    m_ctrl.execSql(
        QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) "
                       "select huiyuanID,xiangmuID,ROUND(sum(zongcishu),3),ROUND(sum(shengyucishu),3),"
                       "ROUND(sum(xiaofeicishu),3) from temphuiyuantaocan where huiyuanID=")
        + q(memberId) + QStringLiteral(" group by xiangmuID"));

    const QString ledgerTail = QStringLiteral(",") + q(login) + QStringLiteral(",")
                               + q(QStringLiteral("交费单：") + docId);
    const int packageRows = m_ctrl.countRows(
        QStringLiteral("select xiangmuID from temphuiyuantaocan where bencishu>0 group by xiangmuID"));
    if (packageRows > 0) {
        m_ctrl.execSql(QString::fromUtf8(kLedgerColumns) + QStringLiteral(" select ") + q(memberId)
                       + QStringLiteral(",") + q(now)
                       + QStringLiteral(",'会员办卡',b.xiangmuID,0,0,ROUND(sum(b.bencishu),3),0,0,"
                                        "ROUND(sum(b.bencishu),3)")
                       + ledgerTail
                       + QStringLiteral(" from temphuiyuantaocan b where  b.bencishu>0 GROUP BY b.xiangmuID"));
        // The opening balance is credited on the last row of the issue: the
        // value put on the card, which is what the balance holds.
        m_ctrl.execSql(QStringLiteral("update huiyuanyuebiandong set yuezengjia=") + valueText
                       + QStringLiteral(",dangshikaneiyue=") + valueText
                       + QStringLiteral(" where ID=(select max(ID) from huiyuanyuebiandong where huiyuanid=")
                       + q(memberId) + QStringLiteral(")"));
    } else {
        m_ctrl.execSql(QString::fromUtf8(kLedgerColumns) + QStringLiteral(" VALUES(") + q(memberId)
                       + QStringLiteral(",") + q(now) + QStringLiteral(",'会员办卡','',") + valueText
                       + QStringLiteral(",0,0,0,") + valueText + QStringLiteral(",0") + ledgerTail
                       + QStringLiteral(")"));
    }
    m_ctrl.writeLog(login, QStringLiteral("增加会员套餐  会员号：") + memberId);

    const bool landed = tx.commit();
    // The lists were re-run as the rows went in; show them as they now stand.
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuan");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    if (!landed) {
        ctrlUiClass::showInfo(QStringLiteral("会员办卡保存失败，本次操作未保存"), this);
        return;
    }
    accept();
}

void addhuiyuandlg::saveEdit()
{
    if (!validateCommon())
        return;
    redbctrlstruct req;
    req.table = QStringLiteral("huiyuan");
    req.fields = QStringList{
        QStringLiteral("name"), QStringLiteral("sex"), QStringLiteral("birthday"),
        QStringLiteral("phone"), QStringLiteral("daoqi_time"), QStringLiteral("password1"),
        QStringLiteral("password2"), QStringLiteral("height"), QStringLiteral("age"),
        QStringLiteral("within_code"), QStringLiteral("guwenrenyuan"), QStringLiteral("address"),
        QStringLiteral("jieshaoren"), QStringLiteral("beizhu"), QStringLiteral("ID")};
    req.values = QStringList{
        ui->lineEdit_2->text().trimmed(), ui->comboBox->currentText(),
        dateForSave(ui->dateEdit, m_shownBirthday, m_storedBirthday), ui->lineEdit_3->text(),
        dateForSave(ui->dateEdit_2, m_shownExpiry, m_storedExpiry), ui->lineEdit_4->text(),
        ui->lineEdit_5->text(), ui->lineEdit_6->text(), ui->lineEdit_7->text(),
        ui->lineEdit_8->text(), adviserId(), ui->lineEdit_9->text(), ui->lineEdit_10->text(),
        ui->textEdit->toPlainText(), ui->lineEdit->text()};
    req.whereCount = 1;
    emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(req));
    accept();
}
