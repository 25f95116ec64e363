#include "topupofferhint.h"

#include "amounts.h"
#include "topupoffers.h"

#include <QLayout>
#include <QLineEdit>

TopUpOfferHint::TopUpOfferHint(QWidget *dialog, QLineEdit *paidIn, QLineEdit *bonus, const QString &memberId)
    : QLabel(dialog), m_bonus(bonus), m_memberId(memberId)
{
    setObjectName(QStringLiteral("label_topUpOffer"));
    setStyleSheet(QStringLiteral("color:rgb(230,90,0);font-weight:bold"));
    setWordWrap(true);
    if (auto *box = qobject_cast<QBoxLayout *>(dialog->layout()))
        box->insertWidget(1, this);
    connect(paidIn, &QLineEdit::textChanged, this, &TopUpOfferHint::paidInChanged);
    paidInChanged(paidIn->text());
}

void TopUpOfferHint::paidInChanged(const QString &text)
{
    const MoneyInput paid = parseMoneyInput(text, QString());
    const TopUpOffer o = TopUpOffers::offerFor(m_memberId, paid.ok ? paid.cents : 0);
    setVisible(o.ruled);
    if (!o.ruled)
        return;
    m_bonus->setText(o.found ? centsText(o.tier.bonusCents) : QStringLiteral("0"));
    setText(o.found ? QStringLiteral("充值优惠：") + o.text() + QStringLiteral("（赠送可改少，改多需要系统设置权限）")
                    : QStringLiteral("充值优惠：未达到充值规则"));
}
