#include "shangpindlg.h"
#include "ui_shangpindlg.h"

#include "fuwuxiaofeidlg.h"

shangpinDlg::shangpinDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::shangpinDlg)
{
    ui->setupUi(this);
}

shangpinDlg::~shangpinDlg()
{
    m_db.clearViews();
    delete ui;
}

void shangpinDlg::setup(const QString &cardName, const QString &mode, const QString &saleId)
{
    m_cardName = cardName;
    m_mode = mode;
    m_saleId = saleId;
    setWindowTitle(mode);
    m_db.setupView(readDbset(), ui->tableView, mode);
    ui->toolButton->setEnabled(false);
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

    auto *editor = new FuwuxiaofeiDlg;
    connect(editor, &FuwuxiaofeiDlg::DlgSend, this, &shangpinDlg::DlgRecv);
    editor->setup(row, m_mode, m_saleId);
    editor->exec();
    delete editor;
    accept();
}
