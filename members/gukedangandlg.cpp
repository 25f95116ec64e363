#include "gukedangandlg.h"
#include "ui_gukedangandlg.h"

#include "ctrluiclass.h"
#include "operatorsession.h"
#include "prompt.h"
#include "workinghours.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
enum Column { DateCol, EmployeeCol, ServiceCol, FormulaCol, WarningCol, PicturesCol, ColumnCount };

// A picture as the note keeps it: read with its orientation, no side longer
// than kPictureSide, as JPEG (PNG when it has transparency). Empty when the
// file is not a picture.
QByteArray pictureBytes(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return QByteArray();
    const int side = gukedangandlg::kPictureSide;
    if (image.width() > side || image.height() > side)
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (image.hasAlphaChannel())
        image.save(&buffer, "PNG");
    else
        image.save(&buffer, "JPG", 85);
    return out;
}

QIcon iconOf(const QByteArray &bytes)
{
    QImage image;
    image.loadFromData(bytes);
    return QIcon(QPixmap::fromImage(image.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
} // namespace

gukedangandlg::gukedangandlg(QWidget *parent) : QDialog(parent), ui(new Ui::gukedangandlg)
{
    ui->setupUi(this);
    ui->tableWidget_notes->setColumnCount(ColumnCount);
    ui->tableWidget_notes->setHorizontalHeaderLabels(
        {QStringLiteral("服务日期"), QStringLiteral("员工"), QStringLiteral("服务内容"), QStringLiteral("配方"),
         QStringLiteral("过敏与注意"), QStringLiteral("图片")});
    ui->tableWidget_notes->horizontalHeader()->setStretchLastSection(true);
    ui->tableWidget_notes->verticalHeader()->hide();
    ui->splitter->setStretchFactor(0, 3);
    ui->splitter->setStretchFactor(1, 2);
    ui->comboBox_pictureKind->addItems({QStringLiteral("服务前"), QStringLiteral("服务后"), QStringLiteral("其他")});
    ui->comboBox_employee->addItem(QString(), QString());
    for (const WorkingDay &e : WorkingHours::day(QDate::currentDate()))
        ui->comboBox_employee->addItem(e.name, e.employeeId);
    ui->label_member->setStyleSheet(QStringLiteral("font-weight:bold"));
    ui->label_warnings->setStyleSheet(QStringLiteral("color:rgb(192,0,0);font-weight:bold"));
    connect(ui->lineEdit_search, &QLineEdit::returnPressed, this, &gukedangandlg::on_toolButton_search_clicked);
    connect(ui->listWidget_pictures, &QListWidget::itemDoubleClicked, this,
            &gukedangandlg::on_toolButton_viewPicture_clicked);
}

gukedangandlg::~gukedangandlg()
{
    delete ui;
}

void gukedangandlg::setup(const QString &memberId, const QString &memberName, const QString &saleId,
                          const QString &employeeId)
{
    m_memberId = memberId;
    m_saleId = saleId;
    ui->label_member->setText(QStringLiteral("%1（%2）").arg(memberName, memberId));
    reload();
    on_toolButton_new_clicked();
    if (!employeeId.isEmpty()) {
        const int i = ui->comboBox_employee->findData(employeeId);
        if (i >= 0)
            ui->comboBox_employee->setCurrentIndex(i);
    }
}

void gukedangandlg::reload(const QString &select)
{
    m_notes = VisitNotes::find(m_memberId, ui->lineEdit_search->text());
    QTableWidget *t = ui->tableWidget_notes;
    const QSignalBlocker quiet(t);
    t->clearContents();
    t->setRowCount(m_notes.size());
    int chosen = -1;
    for (int r = 0; r < m_notes.size(); ++r) {
        const VisitNote &n = m_notes.at(r);
        const QString cells[] = {n.date, n.employeeName, n.service, n.formula, n.warning,
                                 n.pictureCount ? QString::number(n.pictureCount) : QString()};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            if (c == WarningCol && !n.warning.isEmpty())
                item->setForeground(QColor(192, 0, 0));
            t->setItem(r, c, item);
        }
        if (n.id == select)
            chosen = r;
    }
    t->resizeColumnsToContents();
    if (chosen >= 0)
        t->selectRow(chosen);
    showWarnings();
}

void gukedangandlg::showWarnings()
{
    const QStringList w = VisitNotes::warnings(m_memberId);
    ui->label_warnings->setText(w.isEmpty() ? QString() : QStringLiteral("注意：") + w.join(QStringLiteral("；")));
}

void gukedangandlg::showNote(const VisitNote &n)
{
    m_noteId = n.id;
    ui->dateEdit_date->setDate(n.date.isEmpty() ? QDate::currentDate() : QDate::fromString(n.date, Qt::ISODate));
    const int e = ui->comboBox_employee->findData(n.employeeId);
    if (e >= 0) {
        ui->comboBox_employee->setCurrentIndex(e);
    } else if (!n.employeeId.isEmpty()) {
        // A stylist who has left keeps their name on the notes they wrote.
        ui->comboBox_employee->addItem(n.employeeName, n.employeeId);
        ui->comboBox_employee->setCurrentIndex(ui->comboBox_employee->count() - 1);
    } else {
        ui->comboBox_employee->setCurrentIndex(0);
    }
    ui->lineEdit_service->setText(n.service);
    ui->plainTextEdit_formula->setPlainText(n.formula);
    ui->lineEdit_products->setText(n.products);
    ui->lineEdit_warning->setText(n.warning);
    ui->lineEdit_remark->setText(n.remark);
    m_saved = n.id.isEmpty() ? QList<VisitPicture>() : VisitNotes::pictures(n.id);
    m_added.clear();
    m_removed.clear();
    ui->toolButton_delete->setEnabled(!n.id.isEmpty());
    QString title = n.id.isEmpty() ? QStringLiteral("新建档案")
                                   : QStringLiteral("档案 %1（%2 记录）").arg(n.id, n.operatorName);
    if (!n.saleId.isEmpty())
        title += QStringLiteral("  消费单：") + n.saleId;
    ui->groupBox_note->setTitle(title);
    showPictures();
}

void gukedangandlg::showPictures()
{
    ui->listWidget_pictures->clear();
    for (const VisitPicture &p : m_saved) {
        if (m_removed.contains(p.number))
            continue;
        auto *item = new QListWidgetItem(iconOf(p.bytes), p.kind, ui->listWidget_pictures);
        item->setData(Qt::UserRole, p.number);
        item->setToolTip(p.fileName);
    }
    for (int i = 0; i < m_added.size(); ++i) {
        const VisitPicture &p = m_added.at(i);
        auto *item = new QListWidgetItem(iconOf(p.bytes), p.kind + QStringLiteral("（未保存）"), ui->listWidget_pictures);
        item->setData(Qt::UserRole, -1 - i);
        item->setToolTip(p.fileName);
    }
}

void gukedangandlg::on_tableWidget_notes_itemSelectionChanged()
{
    const int r = ui->tableWidget_notes->currentRow();
    if (r >= 0 && r < m_notes.size() && ui->tableWidget_notes->selectionModel()->hasSelection())
        showNote(VisitNotes::note(m_notes.at(r).id));
}

void gukedangandlg::on_toolButton_search_clicked()
{
    reload(m_noteId);
}

void gukedangandlg::on_toolButton_new_clicked()
{
    {
        const QSignalBlocker quiet(ui->tableWidget_notes);
        ui->tableWidget_notes->clearSelection();
    }
    VisitNote n;
    n.saleId = m_saleId;
    showNote(n);
    ui->lineEdit_service->setFocus();
}

void gukedangandlg::on_toolButton_save_clicked()
{
    VisitNote n;
    n.id = m_noteId;
    n.memberId = m_memberId;
    n.date = ui->dateEdit_date->date().toString(Qt::ISODate);
    n.employeeId = ui->comboBox_employee->currentData().toString();
    n.service = ui->lineEdit_service->text();
    n.formula = ui->plainTextEdit_formula->toPlainText();
    n.products = ui->lineEdit_products->text();
    n.warning = ui->lineEdit_warning->text();
    n.remark = ui->lineEdit_remark->text();
    n.saleId = m_noteId.isEmpty() ? m_saleId : QString();
    n.operatorName = operatorSession().loginName;
    const LedgerResult r = VisitNotes::save(n, m_added, m_removed);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    reload(r.documentId);
    showNote(VisitNotes::note(r.documentId));
}

void gukedangandlg::on_toolButton_delete_clicked()
{
    if (m_noteId.isEmpty())
        return;
    if (!ctrlUiClass::askYesNo(QStringLiteral("是否删除这条顾客档案（连同图片）？"), this))
        return;
    const LedgerResult r = VisitNotes::remove(m_noteId, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    m_noteId.clear();
    reload();
    on_toolButton_new_clicked();
}

void gukedangandlg::on_toolButton_close_clicked()
{
    accept();
}

void gukedangandlg::on_toolButton_addPicture_clicked()
{
    const QString path = Prompt::openFileName(this, QStringLiteral("选择图片"), QString(),
                                              QStringLiteral("图片 (*.jpg *.jpeg *.png *.bmp)"));
    if (path.isEmpty())
        return;
    int kept = m_added.size();
    for (const VisitPicture &p : m_saved)
        kept += m_removed.contains(p.number) ? 0 : 1;
    if (kept >= VisitNotes::kMaxPicturesPerNote) {
        ctrlUiClass::showInfo(QStringLiteral("每条档案最多%1张图片").arg(VisitNotes::kMaxPicturesPerNote), this);
        return;
    }
    VisitPicture p;
    p.kind = ui->comboBox_pictureKind->currentText();
    p.fileName = QFileInfo(path).fileName();
    p.bytes = pictureBytes(path);
    if (p.bytes.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("无法读取图片“%1”，请选择 JPG、PNG 或 BMP 图片").arg(p.fileName), this);
        return;
    }
    m_added << p;
    showPictures();
}

void gukedangandlg::on_toolButton_removePicture_clicked()
{
    QListWidgetItem *item = ui->listWidget_pictures->currentItem();
    if (!item)
        return;
    const int key = item->data(Qt::UserRole).toInt();
    if (key > 0)
        m_removed << key;
    else
        m_added.removeAt(-1 - key);
    showPictures();
}

void gukedangandlg::on_toolButton_viewPicture_clicked()
{
    QListWidgetItem *item = ui->listWidget_pictures->currentItem();
    if (!item)
        return;
    const int key = item->data(Qt::UserRole).toInt();
    QByteArray bytes;
    for (const VisitPicture &p : m_saved)
        if (p.number == key)
            bytes = p.bytes;
    if (key < 0 && -1 - key < m_added.size())
        bytes = m_added.at(-1 - key).bytes;
    QImage image;
    if (!image.loadFromData(bytes))
        return;
    QDialog view(this);
    view.setObjectName(QStringLiteral("pictureView"));
    view.setWindowTitle(item->text());
    auto *box = new QVBoxLayout(&view);
    auto *scroll = new QScrollArea(&view);
    auto *label = new QLabel;
    label->setPixmap(QPixmap::fromImage(image.scaled(1100, 650, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    scroll->setWidget(label);
    box->addWidget(scroll);
    view.resize(qMin(image.width(), 1100) + 40, qMin(image.height(), 650) + 40);
    view.exec();
}
