#include "huiyuandlg.h"
#include "ui_huiyuandlg.h"

#include "ctrluiclass.h"
#include "dbsetconfig.h"

#include <QTimer>

huiyuanDlg::huiyuanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::huiyuanDlg), m_ctrl(new ctrlUiClass(this)), m_typing(new QTimer(this))
{
    ui->setupUi(this);
    // The list follows the typing once the cashier pauses: a hundred thousand
    // members are searched by statement, never loaded first.
    m_typing->setSingleShot(true);
    m_typing->setInterval(200);
    connect(m_typing, &QTimer::timeout, this, &huiyuanDlg::search);
    connect(ui->lineEdit, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    ui->lineEdit->installEventFilter(this);
    ui->toolButton->setToolTip(QStringLiteral("选中（回车）"));
    ui->toolButton_2->setToolTip(QStringLiteral("取消（Esc）"));
}

huiyuanDlg::~huiyuanDlg()
{
    m_ctrl->clearViews();
    delete ui;
}

void huiyuanDlg::setData(const QString &viewName, const QString &suffix)
{
    open(viewName);
    m_ctrl->refreshView(viewName, suffix);
    if (m_ctrl->viewRowCount(viewName) > 0)
        ui->tableView->selectRow(0);
}

void huiyuanDlg::setData(const QString &viewName, const ViewFilter &filter)
{
    open(viewName);
    m_ctrl->refreshView(viewName, filter);
    if (m_ctrl->viewRowCount(viewName) > 0)
        ui->tableView->selectRow(0);
}

void huiyuanDlg::open(const QString &viewName)
{
    m_name = viewName;
    m_search = PickerSearch(viewName);
    setWindowTitle(viewName);
    if (m_search.isValid()) {
        ui->label->setText(viewName == QStringLiteral("会员选择") ? QStringLiteral("查询会员：") : QStringLiteral("查询："));
        ui->lineEdit->setPlaceholderText(viewName == QStringLiteral("会员选择")
                                             ? QStringLiteral("卡号、姓名、电话或姓名拼音首字母")
                                             : QStringLiteral("编号、名称或拼音首字母"));
    }
    ui->lineEdit->setEnabled(m_search.isValid());
    ui->lineEdit->setFocus();
    // Both callers run the list with their filter next.
    m_ctrl->bindView(readDbset(), ui->tableView, viewName);
}

void huiyuanDlg::reply()
{
    const QStringList row = m_ctrl->currentRowValues(m_name);
    // Nothing chosen: stay open rather than answer with an empty row.
    if (row.isEmpty())
        return;
    emit DlgSend(m_name, QVariant(row));
    accept();
}

void huiyuanDlg::on_toolButton_clicked()
{
    reply();
}

void huiyuanDlg::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        ui->tableView->setCurrentIndex(index);
    reply();
}

void huiyuanDlg::on_toolButton_2_clicked()
{
    reject();
}

void huiyuanDlg::search()
{
    m_typing->stop();
    if (!m_search.isValid())
        return;
    m_ctrl->refreshView(m_name, m_search.filter(ui->lineEdit->text()));
    if (m_ctrl->viewRowCount(m_name) > 0)
        ui->tableView->selectRow(0);
}

// Enter: the row whose code is exactly the text, else the chosen row.
void huiyuanDlg::on_lineEdit_returnPressed()
{
    if (m_typing->isActive())
        search();
    const QString code = m_search.exactCode(ui->lineEdit->text());
    if (!code.isEmpty()) {
        for (int r = 0; r < m_ctrl->viewRowCount(m_name); ++r)
            if (m_ctrl->rowValues(m_name, r).value(0) == code) {
                ui->tableView->selectRow(r);
                break;
            }
    }
    reply();
}

bool huiyuanDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->lineEdit && PickerSearch::walkList(ui->tableView, m_ctrl->viewRowCount(m_name), event))
        return true;
    return QDialog::eventFilter(watched, event);
}
