#include "addhuiyuandlg.h"
#include "ui_addhuiyuandlg.h"

#include "dialogkeys.h"

#include "addhuiyuankadlg.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "fukuandlg.h"
#include "huiyuandlg.h"
#include "operatorsession.h"
#include "prompt.h"
#include "amounts.h"
#include "dbfailure.h"
#include "transactionscope.h"
#include "memberwriter.h"
#include "choicelists.h"
#include "membersummary.h"
#include "packagedraft.h"
#include "sqltext.h"

#include <QDateEdit>

namespace {
void plainBox(const QString &text, QWidget *parent)
{
    PromptRequest r;
    r.text = text;
    r.buttons = QStringList{QStringLiteral("确定")};
    r.parent = parent;
    Prompt::ask(r);
}

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
    DialogKeys::setMainAction(this, ui->toolButton);
    // Unknown until the cashier says: a hurried entry records no sex and no
    // birthday rather than 男 and today (and a birthday greeting every year).
    ui->comboBox->addItems(QStringList{QString(), QStringLiteral("男"), QStringLiteral("女")});
    const QDate today = QDate::currentDate();
    for (QDateEdit *e : {ui->dateEdit, ui->dateEdit_2}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setMinimumDate(QDate(1900, 1, 1));
        // A member without a stored date shows a blank field instead of a made-up date.
        e->setSpecialValueText(QStringLiteral(" "));
    }
    ui->dateEdit->setDate(ui->dateEdit->minimumDate());
    ui->dateEdit_2->setDate(today.addYears(1));

    m_ctrl.setupView(readDbset(), ui->tableView, QStringLiteral("临时会员套餐"));
    fillAdvisers();

    // One entry per package code: two packages of one name are two packages.
    const QList<QVariantList> packages = ChoiceLists::packages();
    ctrlUiClass::fillComboFromRows(ui->comboBox_4, packages);
    for (const QVariantList &r : packages)
        m_packageIds << r.value(0).toString();
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
    PackageDraft::clear();
    m_ctrl.clearViews();
    delete ui;
}

void addhuiyuandlg::fillAdvisers()
{
    // The combo's own item data only carries numeric ids; employee codes are
    // typed ("A01"), so the codes are kept beside it.
    const QList<QVariantList> employees = ChoiceLists::employees();
    ctrlUiClass::fillComboFromRows(ui->comboBox_2, employees);
    m_adviserIds.clear();
    for (const QVariantList &r : employees)
        m_adviserIds << r.value(0).toString();
}

void addhuiyuandlg::fillCardTypes()
{
    const bool wasReady = m_ready;
    m_ready = false;
    ui->comboBox_3->clear();
    ui->comboBox_3->addItems(ChoiceLists::cardTypeNames());
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
        if (const auto stored = MemberSummary::formFields(row.at(0))) {
            m_storedBirthday = stored->birthday;
            m_storedExpiry = stored->expiry;
            ui->lineEdit_4->setText(stored->password1);
            ui->lineEdit_5->setText(stored->password2);
            adviser = stored->adviserId;
            ui->textEdit->setPlainText(stored->remark);
        }
        setDateFromText(ui->dateEdit, m_storedBirthday, &m_shownBirthday);
        setDateFromText(ui->dateEdit_2, m_storedExpiry, &m_shownExpiry);
        selectAdviser(adviser, row.at(10));
        ui->tabWidget->hide();
        ui->lineEdit->setEnabled(false);
        return;
    }
    m_mode = 1;
    ui->lineEdit->setText(QString::number(MemberSummary::nextNumber()));
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
        // The card is issued while the payment dialog is still open, so that a
        // refusal leaves the cashier's payment in it.
        if (!issueCard()) {
            if (auto *pay = qobject_cast<fukuanDlg *>(sender()))
                pay->keepOpen();
        }
        return;
    }
    emit DlgSend(key, value);
}

void addhuiyuandlg::on_comboBox_3_currentTextChanged(const QString &cardType)
{
    if (!m_ready)
        return;
    // No row, or two card types of one name: nothing is taken from either,
    // and the save refuses until a real card type is chosen.
    const auto terms = ChoiceLists::cardTerms(cardType);
    m_cardFound = terms.has_value();
    ui->lineEdit_12->setText(m_cardFound ? terms->balance : QString());
    ui->lineEdit_12->setEnabled(false);
    ui->lineEdit_13->setText(m_cardFound ? terms->price : QString());
    ui->label_22->setText(m_cardFound ? terms->serviceDiscount : QString());
    ui->label_23->setText(m_cardFound ? terms->productDiscount : QString());
}

// The package is the one at the chosen index, by its code; every item it holds
// is listed, also one no longer in the catalogue, since the member is credited
// with all of them.
void addhuiyuandlg::on_comboBox_4_currentTextChanged(const QString &)
{
    if (!m_ready)
        return;
    const QString code = m_packageIds.value(ui->comboBox_4->currentIndex(), QStringLiteral("0"));
    PackageDraft::listPackage(ui->lineEdit->text(), code);
    m_ctrl.refreshView(QStringLiteral("临时会员套餐"), QStringLiteral(" "));
    ui->label_26->setText(PackageDraft::packagePrice(code));
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
    // asked to pay; the writer checks again inside its transaction.
    if (!validateCommon())
        return;
    if (!m_cardFound) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个有效的会员卡类型"), this);
        return;
    }
    const MoneyInput price = parseMoneyInput(ui->lineEdit_13->text(), QStringLiteral("交费金额"), true);
    if (price.notNumber || price.cents < 0) {
        ctrlUiClass::showInfo(QStringLiteral("交费金额必须是不小于0的数字"), this);
        return;
    }
    if (!price.ok) {
        ctrlUiClass::showInfo(price.error, this);
        return;
    }
    const QString memberId = ui->lineEdit->text().trimmed();
    if (MemberSummary::exists(memberId)) {
        ctrlUiClass::showInfo(QStringLiteral("会员编号已经存在，请重新打开会员编辑"), this);
        return;
    }
    const qint64 due = price.cents + parseMoneyInput(ui->label_26->text(), QString()).cents;

    m_payment.clear();
    m_issued = false;
    auto *pay = new fukuanDlg;
    connect(pay, &fukuanDlg::DlgSend, this, &addhuiyuandlg::DlgRecv);
    pay->setData(QStringList{centsText(due)});
    pay->exec();
    delete pay;
    if (!m_issued)
        return;
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuan");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    accept();
}

bool addhuiyuandlg::issueCard()
{
    if (m_payment.size() < 3)
        return false;
    CardIssue c;
    c.memberId = ui->lineEdit->text().trimmed();
    c.name = ui->lineEdit_2->text().trimmed();
    c.sex = ui->comboBox->currentText();
    c.birthday = issueDate(ui->dateEdit);
    c.phone = ui->lineEdit_3->text();
    c.expiry = issueDate(ui->dateEdit_2);
    c.password1 = ui->lineEdit_4->text();
    c.password2 = ui->lineEdit_5->text();
    c.height = ui->lineEdit_6->text();
    c.age = ui->lineEdit_7->text();
    c.withinCode = ui->lineEdit_8->text();
    c.adviser = adviserId();
    c.address = ui->lineEdit_9->text();
    c.referrer = ui->lineEdit_10->text();
    c.remark = ui->textEdit->toPlainText();
    c.cardType = ui->comboBox_3->currentText();
    c.employeeId = ui->lineEdit_11->text().trimmed();
    c.packageId = m_packageIds.value(ui->comboBox_4->currentIndex(), QStringLiteral("0"));
    c.priceCents = parseMoneyInput(ui->lineEdit_13->text(), QString()).cents;
    c.receivedCents = parseMoneyInput(m_payment.at(0), QString()).cents;
    c.method = m_payment.at(2);
    c.operatorName = operatorSession().loginName;
    const LedgerResult r = MemberWriter::issueCard(c);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return false;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!r.notice.isEmpty())
        ctrlUiClass::showInfo(r.notice, this);
    m_issued = true;
    m_documentId = r.documentId;
    return true;
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
    // The opener writes the row inside this scope: a failure keeps what was typed.
    TransactionScope tx;
    emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(req));
    if (!tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存失败"), tx.firstError()), this);
        return;
    }
    accept();
}
