#ifndef FUWUXIAOFEIDLG_H
#define FUWUXIAOFEIDLG_H

#include <QDialog>
#include <QVariant>

#include "basket.h"
#include "lineprices.h"
#include "ctrluiclass.h"

namespace Ui { class FuwuxiaofeiDlg; }

// Line editor of the checkout: prices one service or product line (or records
// a use of a prepaid package item), collects the line's commission employees
// and stores the line in the sale's working table.
class FuwuxiaofeiDlg : public QDialog
{
    Q_OBJECT
public:
    explicit FuwuxiaofeiDlg(QWidget *parent = nullptr);
    ~FuwuxiaofeiDlg() override;

    // row: the picked view row with the card name appended; mode: "服务项目选择",
    // "产品选择" or "套餐消费".
    // Each call starts a new line (the editor may be set up again after a save).
    void setup(const QStringList &row, const QString &mode, const QString &saleId);
    QString lineKey() const { return m_lineKey; }
    // Stores the line as set up, quantity 1, without showing the editor (a
    // scanned code). The same checks apply; true when the line was added.
    bool addAtOnce();

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);
    void reject() override;

private slots:
    void on_toolButton_clicked();
    void on_toolButton_3_clicked();
    void on_groupBox_3_clicked();
    void on_toolButton_4_clicked();
    void on_toolButton_5_clicked();
    void on_lineEdit_3_textChanged(const QString &text);
    void on_lineEdit_4_textChanged(const QString &text);

private:
    bool packageMode() const { return m_mode == QStringLiteral("套餐消费"); }
    QString lineType() const;
    void recomputeTotal();
    void refreshEmployees();
    void applyOffer(qint64 pickedListCents);
    qint64 lineAmountCents() const; // unit price × quantity as typed, 0 when not valid
    // The operator's limits on the price and the shop's stock: a sentence when
    // the line may not be stored, "" when it may (the cashier may have been asked).
    QString priceAndStockRefusal(qint64 listCents, qint64 unitCents, int quantity);

    Ui::FuwuxiaofeiDlg *ui;
    ctrlUiClass m_db;
    Basket m_basket{QString()};
    QString m_mode;
    QString m_cardName;
    QString m_saleId;
    QString m_lineKey;
    bool m_filling = false; // setup() is filling the fields
    bool m_saved = false;
    qint64 m_offeredCents = -1; // the unit price the card or a promotion gives
    LinePrices::Offer m_offer;
};

#endif
