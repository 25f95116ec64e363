#include "helpdlg.h"
#include "ui_helpdlg.h"

#include <QFile>

HelpDlg::HelpDlg(const QString &onlineUrl, QWidget *parent) : QDialog(parent), ui(new Ui::HelpDlg)
{
    ui->setupUi(this);
    QFile manual(QStringLiteral(":/manual/manual.md"));
    if (manual.open(QIODevice::ReadOnly))
        ui->textBrowser->setMarkdown(QString::fromUtf8(manual.readAll()));
    else
        ui->textBrowser->setPlainText(QStringLiteral("使用说明没有随程序安装，请联系技术支持。"));
    if (!onlineUrl.isEmpty())
        ui->label_online->setText(QStringLiteral("在线手册：<a href=\"%1\">%1</a>").arg(onlineUrl.toHtmlEscaped()));
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

HelpDlg::~HelpDlg()
{
    delete ui;
}
