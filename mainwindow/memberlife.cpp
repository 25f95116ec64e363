// A member's life in the shop, in the main window: the visit notes (顾客档案,
// F10 or the member panel's button) and the warnings they carry, shown in the
// member panel whenever a member is chosen; the card upgrade (会员卡升级).
#include "memberlife.h"
#include "operatorsession.h"
#include "ui_mainwindow.h"

#include "frontdesk.h"
#include "ctrluiclass.h"
#include "chongzhiguizedlg.h"
#include "daijinquandlg.h"
#include "gukedangandlg.h"
#include "huiyuankashengjidlg.h"
#include "jifenduihuandlg.h"
#include "taocanyouxiaoqidlg.h"
#include "ledgertypes.h"
#include "visitnotes.h"
#include "visitwarninglabel.h"

#include <QShortcut>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// A button of this area; beside `neighbour` (after it, in its row) when one is given.
QToolButton *memberLifeButton(QWidget *parent, const char *name, const QString &text, const QString &tip,
                              QToolButton *neighbour = nullptr)
{
    auto *b = new QToolButton(neighbour ? neighbour->parentWidget() : parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(tip);
    if (!neighbour)
        return b;
    b->setMinimumSize(neighbour->minimumSize());
    for (QBoxLayout *box : neighbour->parentWidget()->findChildren<QBoxLayout *>())
        if (box->indexOf(neighbour) >= 0) {
            box->insertWidget(box->indexOf(neighbour) + 1, b);
            break;
        }
    return b;
}
} // namespace

MemberLife::MemberLife(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk)
    : MainPage(window, form, ctrl), m_desk(desk)
{
}

void MemberLife::setup()
{
    connect(m_desk, &FrontDesk::memberChanged, this, &MemberLife::showMemberWarnings);
    auto *notes = memberLifeButton(ui->groupBox, "toolButton_visitNotes", QStringLiteral("顾客档案（F10）"),
                                   QStringLiteral("当前会员的顾客档案：服务内容、配方、使用产品、过敏与注意；"
                                                  "在“会员消费”中选中一张消费单时，档案记在该单下"));
    auto *upgrade = memberLifeButton(ui->groupBox, "toolButton_cardUpgrade", QStringLiteral("会员卡升级"),
                                     QStringLiteral("把当前会员的会员卡换成另一种，补交差价，卡内金额与折扣随新卡"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(notes);
    buttons->addWidget(upgrade);
    buttons->addStretch();
    if (auto *rows = ui->groupBox->findChild<QVBoxLayout *>(QStringLiteral("layout_12"))) {
        rows->addWidget(new VisitWarningLabel(ui->groupBox));
        rows->addLayout(buttons);
    }
    connect(notes, &QToolButton::clicked, this, &MemberLife::openVisitNotes);
    connect(new QShortcut(QKeySequence(Qt::Key_F10), m_window), &QShortcut::activated, this, &MemberLife::openVisitNotes);
    connect(upgrade, &QToolButton::clicked, this, &MemberLife::openCardUpgrade);
    // 充值规则, then 代金券, after the card type list's 修改.
    QToolButton *rules = memberLifeButton(m_window, "toolButton_topUpRules", QStringLiteral("充值规则"),
                                          QStringLiteral("每种会员卡的“充X送Y”，充值时自动带出赠送金额"), ui->toolButton_150);
    connect(rules, &QToolButton::clicked, this, &MemberLife::openTopUpRules);
    connect(memberLifeButton(m_window, "toolButton_vouchers", QStringLiteral("代金券"),
                             QStringLiteral("有编号的代金券：发放、售出、作废，已发、已用和未用的金额"), rules),
            &QToolButton::clicked, this, &MemberLife::openVouchers);
    // 套餐有效期 beside 退套餐.
    connect(memberLifeButton(m_window, "toolButton_packageExpiry", QStringLiteral("套餐有效期"),
                             QStringLiteral("查看与延期当前会员的套餐到期日期（需店长授权），设置过期套餐能否使用"),
                             ui->toolButton_21),
            &QToolButton::clicked, this, &MemberLife::openPackageExpiry);
    // The points tab's two buttons, which did nothing, redeem and void.
    ui->toolButton_22->setText(QStringLiteral("积分兑换"));
    ui->toolButton_23->setText(QStringLiteral("作废兑换"));
    ui->toolButton_22->setToolTip(QStringLiteral("用当前会员的积分兑换产品、服务次数或储值"));
    ui->toolButton_23->setToolTip(QStringLiteral("在积分兑换窗口的兑换记录中选择要作废的兑换单"));
    connect(ui->toolButton_22, &QToolButton::clicked, this, &MemberLife::openPointsRedemption);
    connect(ui->toolButton_23, &QToolButton::clicked, this, &MemberLife::openPointsRedemption);
}

void MemberLife::openVisitNotes()
{
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty() || id == QLatin1String(kWalkInId)) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员，散客没有顾客档案"), m_window);
        return;
    }
    // A sale chosen in 会员消费 is the visit the note is written from.
    QString saleId;
    if (ui->tableView->selectionModel() && ui->tableView->selectionModel()->hasSelection()) {
        const QVariantMap row = m_ctrl->rowMap(QStringLiteral("会员消费"), ui->tableView->currentIndex().row());
        saleId = row.value(QStringLiteral("消费单号")).toString();
    }
    gukedangandlg dlg;
    dlg.setup(id, m_desk->member().name, saleId, saleId.isEmpty() ? QString() : VisitNotes::saleStylist(saleId));
    dlg.exec();
    showMemberWarnings();
}

void MemberLife::showMemberWarnings()
{
    auto *label = ui->groupBox->findChild<VisitWarningLabel *>(QStringLiteral("label_visitWarnings"));
    if (!label)
        return;
    const MemberSummary &m = m_desk->member();
    if (m.notesRead && !m.walkIn)
        label->showWarnings(m.warnings);
    else
        label->showFor(m.id);
}

void MemberLife::openCardUpgrade()
{
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty() || id == QLatin1String(kWalkInId)) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员，散客没有会员卡"), m_window);
        return;
    }
    huiyuankashengjidlg dlg;
    dlg.setup(id);
    if (dlg.exec() != QDialog::Accepted)
        return;
    // The balance, points, payment and the card type's discounts are new.
    m_window->refreshByTable(QStringLiteral("huiyuanjiaofei"));
    m_desk->showCounterStatus(QStringLiteral("会员卡已升级  升级单：%1").arg(dlg.documentId()), dlg.documentId());
}

void MemberLife::openTopUpRules()
{
    if (!atWorkMayChangeSettings(m_window))
        return;
    chongzhiguizedlg dlg;
    dlg.setup(m_ctrl->currentRowValues(QStringLiteral("会员卡信息")).value(0));
    dlg.exec();
}

void MemberLife::openPackageExpiry()
{
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty() || id == QLatin1String(kWalkInId)) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), m_window);
        return;
    }
    taocanyouxiaoqidlg dlg;
    dlg.setup(id, m_desk->member().name, m_ctrl->currentRowValues(QStringLiteral("会员套餐")).value(1));
    dlg.exec();
    m_window->refreshMemberViews(id);
}

void MemberLife::openPointsRedemption()
{
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty() || id == QLatin1String(kWalkInId)) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员，散客没有积分"), m_window);
        return;
    }
    jifenduihuandlg dlg;
    dlg.setup(id, m_desk->member().name);
    dlg.exec();
    if (dlg.lastDocument().isEmpty())
        return;
    m_window->refreshByTable(QStringLiteral("huiyuanjiaofei")); // points, balance, uses and payments are new
    // The status line still named the figures of the counter's last document,
    // and stored value given for points changes the balance it shows. F9 keeps
    // printing that document: a redemption has no receipt.
    m_desk->showCounterStatus(m_desk->counterFeedback(dlg.lastAction(), dlg.lastDocument(), id));
}

void MemberLife::openVouchers()
{
    if (!atWorkMayChangeSettings(m_window))
        return;
    daijinquandlg dlg;
    dlg.exec();
    if (!dlg.lastDocument().isEmpty())
        m_window->refreshByTable(QStringLiteral("huiyuanjiaofei")); // a sold batch is takings
}
