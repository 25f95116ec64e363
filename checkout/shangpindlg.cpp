#include "shangpindlg.h"
#include "ui_shangpindlg.h"

#include "fuwuxiaofeidlg.h"

#include <QLayout>
#include <QTimer>

shangpinDlg::shangpinDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::shangpinDlg), m_typing(new QTimer(this))
{
    ui->setupUi(this);
    // The list follows the typing, once the cashier pauses.
    m_typing->setSingleShot(true);
    m_typing->setInterval(150);
    connect(m_typing, &QTimer::timeout, this, &shangpinDlg::search);
    connect(ui->lineEdit, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    ui->lineEdit->installEventFilter(this);
    ui->toolButton->setToolTip(QStringLiteral("选中（回车）"));
    ui->toolButton_2->setToolTip(QStringLiteral("取消（Esc）"));
}

shangpinDlg::~shangpinDlg()
{
    delete m_editor;
    m_db.clearViews();
    delete ui;
}

void shangpinDlg::bind(const QString &mode)
{
    // A checkout keeps its picker for the next line: the list is bound once
    // and keeps its column widths; only its rows are read again.
    if (m_mode == mode && m_db.boundView(mode) == ui->tableView)
        return;
    m_mode = mode;
    m_search = PickerSearch(mode);
    setWindowTitle(mode);
    ui->lineEdit->setPlaceholderText(mode == QStringLiteral("产品选择")
                                         ? QStringLiteral("产品编号、条码、名称或拼音首字母，回车选中")
                                         : QStringLiteral("项目编号、名称或拼音首字母，回车选中"));
    m_db.setupDeclaredView(readDbset(), ui->tableView, mode);
}

void shangpinDlg::prepare(const QString &mode)
{
    bind(mode);
    // The whole list, its columns sized from its rows, as its first setup reads it.
    m_db.refreshView(mode, m_search.filter(QString()));
    FuwuxiaofeiDlg *editor = lineEditor();
    for (QDialog *d : {static_cast<QDialog *>(this), static_cast<QDialog *>(editor)}) {
        d->ensurePolished();
        if (d->layout())
            d->layout()->activate();
    }
}

void shangpinDlg::setup(const QString &cardName, const QString &mode, const QString &saleId, const QString &typed)
{
    m_typing->stop();
    m_cardName = cardName;
    m_saleId = saleId;
    bind(mode);
    ui->lineEdit->setText(typed);
    m_db.refreshView(mode, m_search.filter(typed));
    if (m_db.viewRowCount(mode) > 0)
        ui->tableView->selectRow(0);
    ui->toolButton->setEnabled(m_db.viewRowCount(mode) > 0);
    ui->lineEdit->setFocus();
}

void shangpinDlg::search()
{
    m_typing->stop();
    m_db.refreshView(m_mode, m_search.filter(ui->lineEdit->text()));
    const bool any = m_db.viewRowCount(m_mode) > 0;
    if (any)
        ui->tableView->selectRow(0);
    ui->toolButton->setEnabled(any);
}

QStringList shangpinDlg::rowOf(const QString &code)
{
    m_db.refreshView(m_mode, m_search.filter(code));
    for (int r = 0; r < m_db.viewRowCount(m_mode); ++r) {
        const QStringList row = m_db.rowValues(m_mode, r);
        if (row.value(0) == code) {
            ui->tableView->selectRow(r);
            return row;
        }
    }
    return QStringList();
}

bool shangpinDlg::addByCode(const QString &typed)
{
    const QString code = m_search.exactCode(typed);
    if (code.isEmpty())
        return false;
    QStringList row = rowOf(code);
    if (row.isEmpty())
        return false; // a code the list does not offer (an item switched off)
    row << m_cardName;
    FuwuxiaofeiDlg *editor = lineEditor();
    editor->setup(row, m_mode, m_saleId);
    editor->addAtOnce();
    return true;
}

// Enter: a code or barcode that names one item adds it at once; otherwise
// the row chosen in the list goes to the line editor.
void shangpinDlg::on_lineEdit_returnPressed()
{
    if (m_typing->isActive())
        search();
    if (addByCode(ui->lineEdit->text())) {
        accept();
        return;
    }
    if (m_db.viewRowCount(m_mode) > 0)
        pickCurrent();
}

// Up and down in the search field walk the list, so the hands stay on the keys.
bool shangpinDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->lineEdit && PickerSearch::walkList(ui->tableView, m_db.viewRowCount(m_mode), event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void shangpinDlg::DlgRecv(QString key, QVariant value)
{
    // The line editor talks to the checkout through us.
    emit DlgSend(key, value);
}

void shangpinDlg::on_tableView_clicked(const QModelIndex &)
{
    ui->toolButton->setEnabled(true);
}

void shangpinDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    pickCurrent();
}

void shangpinDlg::on_toolButton_clicked()
{
    pickCurrent();
}

void shangpinDlg::on_toolButton_2_clicked()
{
    reject();
}

void shangpinDlg::pickCurrent()
{
    QStringList row = m_db.currentRowValues(m_mode);
    if (row.isEmpty())
        return; // nothing chosen yet: stay open
    row << m_cardName;

    FuwuxiaofeiDlg *editor = lineEditor();
    editor->setup(row, m_mode, m_saleId);
    editor->exec();
    accept();
}

// One line editor for every line picked here: built and styled once.
FuwuxiaofeiDlg *shangpinDlg::lineEditor()
{
    if (!m_editor) {
        m_editor = new FuwuxiaofeiDlg;
        connect(m_editor, &FuwuxiaofeiDlg::DlgSend, this, &shangpinDlg::DlgRecv);
    }
    return m_editor;
}
