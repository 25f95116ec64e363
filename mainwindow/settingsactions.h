#ifndef SETTINGSACTIONS_H
#define SETTINGSACTIONS_H

#include "mainpage.h"

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;

// The settings and stock pages' buttons and double-clicks: the edit dialogs
// of service items, products, packages, employees and operators, the stock
// documents, the deletions, and the two rule pages (提成策略, 促销方案) with
// their details. Rows go back through the window's DlgRecv, which writes them
// and re-runs the lists that show the table.
class SettingsActions : public MainPage
{
    Q_OBJECT
public:
    SettingsActions(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl);
    void setup();
    // The delete buttons, each asking for the settings right at the press.
    QList<QAbstractButton *> deleteButtons() const { return m_deleteButtons; }
    // After the navigation opened a settings page: the rule pages' item lists
    // are filled again (the catalogue may have changed) and re-run.
    void pageOpened(const QString &text);

private:
    void openServiceItemDlg(int mode);
    void openProductDlg(int mode);
    void openPackageDlg(int mode);
    void openEmployeeDlg(int mode);
    void openOperatorDlg(int mode);
    void openStockDlg(const QString &kind);
    bool catalogueRow(const QString &view, int mode, const QString &what, QStringList *row);
    void deleteRow(const QString &view);
    // "删除" of the stock page: one correcting movement brings the product's
    // stock to zero; its history stays. row = a row of "产品库存".
    void clearProductStock(const QStringList &row);
    void showRuleDetail(const QString &detail, const QStringList &row);
    void editRules(const QString &list, int row);

    QList<QAbstractButton *> m_deleteButtons; // the declared lists' 删除
};

#endif
