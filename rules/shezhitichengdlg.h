#ifndef SHEZHITICHENGDLG_H
#define SHEZHITICHENGDLG_H

#include <QDialog>
#include <QModelIndex>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"
#include "ledgertypes.h"

namespace Ui {
class shezhitichengDlg;
}

// "服务提成设置": the commission rules of one item, edited in the working table
// temptichengshezhi and saved as a whole. Either three "所有员工" rules (one per
// mode) or three rules per employee category.
class shezhitichengDlg : public QDialog
{
    Q_OBJECT
public:
    explicit shezhitichengDlg(QWidget *parent = nullptr);
    ~shezhitichengDlg() override;

    // mode 2 = edit; row = the item's row of "提成策略临时列表"
    // (ID, name, price, cost price, type, remark)
    void init(int mode, const QStringList &row);

    void done(int result) override;

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QVariant value); // an employee type edited in 提成方式设置

private slots:
    void on_radioButton_clicked();   // 所有员工统一提成
    void on_radioButton_2_clicked(); // 指定员工类型提成
    void on_comboBox_currentTextChanged(const QString &method);
    void on_toolButton_clicked();    // 修改
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_toolButton_2_clicked();  // 保存
    void on_toolButton_3_clicked();  // 退出

private:
    bool uniform() const;
    void showDetail();
    void seedCategoryRules();
    void fillUniformFields(const QString &method, const QStringList &values);
    bool saveUniform();
    bool saveByType();
    bool saved(const LedgerResult &result); // told when it failed
    void dropWorkTables();

    Ui::shezhitichengDlg *ui;
    ctrlUiClass m_ctrl;
    int m_linkGeneration = 0; // ShopLink::generation() when the working rows were filled
    int m_mode = 0;
    QString m_id;
    QString m_type;
    bool m_tablesDropped = false;
};

#endif
