#ifndef ADDKUCUNDLG_H
#define ADDKUCUNDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

namespace Ui { class addkucunDlg; }

// One line of a stock document: adds a movement for a product (mode 1) or
// corrects a line of the document (mode 2). Quantities are typed positive;
// stock-out lines are stored negative. When the writer refuses the line (the
// product or the line gone at another desk, a failing disk), the dialog stays
// open with what was typed; after a save it asks its opener to refresh lists.
class addkucunDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addkucunDlg(QWidget *parent = nullptr);
    ~addkucunDlg() override;

    // mode 1: row of "产品信息" with [0] document ID, [1] date, [2] product
    // code, [3] size (guige), [4] name, [5] unit, [6] reason, [7] operator,
    // [9] selling price. mode 2: row of the document's line list with [0]
    // document ID, [1] date, [2]..[5] as above, [6] unit price, [7] quantity,
    // [9] remark, [12] line number. kind: "入库明细" or "出库明细".
    void setData(int mode, const QStringList &row, const QString &kind);
    // The document's first line registers its number (see StockLine).
    void setOpensDocument(bool opens) { m_opensDocument = opens; }
    // The number the saved line went under: the asked one unless another desk had taken it.
    QString savedDocumentId() const { return m_savedDocumentId; }

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void showAmount();

private:
    bool stockOut() const;

    Ui::addkucunDlg *ui;
    int m_mode = 1;
    QStringList m_row;
    QString m_kind;
    bool m_opensDocument = false;
    QString m_savedDocumentId;
};

#endif
