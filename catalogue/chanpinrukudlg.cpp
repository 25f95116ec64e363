#include "chanpinrukudlg.h"
#include "ui_chanpinrukudlg.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

#include "addkucundlg.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "sqltext.h"

namespace {
const char *kProducts = "产品信息";
const int kCodeColumn = 2;
}

chanpinrukuDlg::chanpinrukuDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::chanpinrukuDlg), m_ctrl(new ctrlUiClass(this)), m_typing(new QTimer(this))
{
    ui->setupUi(this);
    // The product list follows the typing, as the checkout's pickers do.
    m_typing->setSingleShot(true);
    m_typing->setInterval(150);
    connect(m_typing, &QTimer::timeout, this, &chanpinrukuDlg::reload);
    connect(ui->lineEdit, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    ui->lineEdit->installEventFilter(this);
}

chanpinrukuDlg::~chanpinrukuDlg()
{
    m_ctrl->clearViews();
    delete ui;
}

void chanpinrukuDlg::setData(const QString &kind)
{
    m_kind = kind;
    const bool in = kind == QStringLiteral("入库明细");
    m_docId = (in ? QStringLiteral("入库ID: rk") : QStringLiteral("出库ID: ck")) + ctrlUiClass::serialNow();
    m_today = ctrlUiClass::todayText();
    ui->label_2->setText(m_docId);
    setWindowTitle(in ? QStringLiteral("产品入库") : QStringLiteral("产品出库"));
    ui->label_3->setText(in ? QStringLiteral("入库类型：") : QStringLiteral("出库类型："));
    ui->label_4->setText(in ? QStringLiteral("双击选择你需要入库的产品") : QStringLiteral("双击选择你需要出库的产品"));
    m_ctrl->fillCombo(ui->comboBox, in ? QStringLiteral("入库类型") : QStringLiteral("出库类型"), QStringLiteral("xml"));
    // "所有类型" only switches the type filter of the query pages off; it is
    // no reason a document line can have.
    const int all = ui->comboBox->findText(QStringLiteral("所有类型"));
    if (all >= 0)
        ui->comboBox->removeItem(all);
    if (ui->comboBox->count() > 0)
        ui->comboBox->setCurrentIndex(0);

    const DbsetMap map = readDbset();
    m_ctrl->setupDeclaredView(map, ui->tableView, QString::fromUtf8(kProducts));
    m_ctrl->refreshView(QString::fromUtf8(kProducts), ViewFilter());
    m_ctrl->setupDeclaredView(map, ui->tableView_2, m_kind);
    m_ctrl->refreshView(m_kind, linesFilter());
    // Code and name first on screen; the row keeps its column order.
    QHeaderView *header = ui->tableView->horizontalHeader();
    header->moveSection(header->visualIndex(2), 0);
    header->moveSection(header->visualIndex(4), 1);
}

// The document's own lines (the list's declaration joins them to their products).
ViewFilter chanpinrukuDlg::linesFilter() const
{
    return ViewFilter(QStringLiteral("a.rukuID=?"), {m_docId});
}

void chanpinrukuDlg::reload()
{
    m_typing->stop();
    const QString typed = ui->lineEdit->text();
    m_ctrl->refreshView(QString::fromUtf8(kProducts), m_search.filter(typed));
    if (m_ctrl->viewRowCount(QString::fromUtf8(kProducts)) > 0)
        ui->tableView->selectRow(0);
    m_ctrl->refreshView(m_kind, linesFilter());
}

void chanpinrukuDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    addLineFor(m_ctrl->currentRowValues(QString::fromUtf8(kProducts)));
}

// Enter in the search field: the product with exactly that code or barcode,
// else the one chosen in the list.
void chanpinrukuDlg::searchEntered()
{
    reload();
    const QString products = QString::fromUtf8(kProducts);
    const QString code = m_search.exactCode(ui->lineEdit->text());
    for (int r = 0; !code.isEmpty() && r < m_ctrl->viewRowCount(products); ++r)
        if (m_ctrl->rowValues(products, r).value(kCodeColumn) == code)
            ui->tableView->selectRow(r);
    addLineFor(m_ctrl->currentRowValues(products));
    ui->lineEdit->clear();
    ui->lineEdit->setFocus();
}

bool chanpinrukuDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != ui->lineEdit)
        return QDialog::eventFilter(watched, event);
    if (PickerSearch::walkList(ui->tableView, m_ctrl->viewRowCount(QString::fromUtf8(kProducts)), event))
        return true;
    // Enter here adds a line; it must not reach 完成, the dialog's default button.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            searchEntered();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void chanpinrukuDlg::addLineFor(const QStringList &productRow)
{
    QStringList row = productRow;
    if (row.size() < 10)
        return;
    row[0] = m_docId;
    row[1] = m_today;
    row[6] = ui->comboBox->currentText();
    row[7] = operatorSession().loginName;
    addkucunDlg *dlg = new addkucunDlg;
    connect(dlg, &addkucunDlg::DlgSend, this, &chanpinrukuDlg::DlgRecv);
    dlg->setData(1, row, m_kind);
    dlg->setOpensDocument(!m_docRegistered);
    if (dlg->exec() == QDialog::Accepted && !dlg->savedDocumentId().isEmpty()) {
        // The number is now this desk's; it changes only when another desk had taken it.
        m_docId = dlg->savedDocumentId();
        m_docRegistered = true;
        ui->label_2->setText(m_docId);
    }
    delete dlg;
    reload();
}

void chanpinrukuDlg::on_tableView_2_doubleClicked(const QModelIndex &)
{
    QStringList row = m_ctrl->currentRowValues(m_kind);
    if (row.size() < 10)
        return;
    row[0] = m_docId;
    row[1] = m_today;
    addkucunDlg *dlg = new addkucunDlg;
    connect(dlg, &addkucunDlg::DlgSend, this, &chanpinrukuDlg::DlgRecv);
    dlg->setData(2, row, m_kind);
    dlg->exec();
    delete dlg;
    reload();
}

void chanpinrukuDlg::DlgRecv(QString key, QVariant value)
{
    emit DlgSend(key, value);
    reload();
}

void chanpinrukuDlg::on_toolButton_clicked()
{
    accept();
}
