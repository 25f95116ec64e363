#include "daorudlg.h"
#include "ui_daorudlg.h"

#include "csvexport.h"
#include "dbsetconfig.h"
#include "dbrecords.h"
#include "ctrluiclass.h"
#include "operatorsession.h"
#include "prompt.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QSet>
#include <QSettings>
#include <QTableWidgetItem>

namespace {

constexpr int kPreviewRows = 20;
const char kImportList[] = "期初导入记录";

const char *existingText(ExistingRows e)
{
    switch (e) {
    case ExistingRows::Skip:
        return "跳过，不导入";
    case ExistingRows::UpdateFields:
        return "更新资料（余额、积分、次数不变）";
    case ExistingRows::Refuse:
        return "作为错误列出";
    }
    return "";
}

// A header as the remembered mapping knows it.
QString headerKey(const QString &header)
{
    QString h = header.trimmed();
    h.replace(QLatin1Char('/'), QLatin1Char('_'));
    h.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return h.isEmpty() ? QStringLiteral("_") : h;
}

} // namespace

DaoruDlg::DaoruDlg(ImportKind kind, QWidget *parent) : QDialog(parent), ui(new Ui::DaoruDlg), m_kind(kind)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("导入") + OpeningImportFields::kindName(kind));
    for (ExistingRows e : {ExistingRows::Skip, ExistingRows::UpdateFields, ExistingRows::Refuse})
        ui->comboBox_existing->addItem(QString::fromUtf8(existingText(e)), int(e));
    const bool members = kind == ImportKind::Members;
    if (!members) {
        ui->comboBox_existing->setItemText(1, QStringLiteral("更新资料"));
        ui->label_existing->setText(kind == ImportKind::CardTypes ? QStringLiteral("已有的（名称相同）：")
                                                                  : QStringLiteral("已有的（编号相同）："));
    }
    ui->label_cardType->setVisible(members);
    ui->comboBox_cardType->setVisible(members);
    if (members) {
        ui->comboBox_cardType->addItem(QStringLiteral("（作为错误列出）"), QString());
        for (const QString &name : OpeningImportWriter::cardTypeNames())
            ui->comboBox_cardType->addItem(name, name);
        // The style's arrow sits over the text: room for the longest item beside it.
        int widest = 0;
        for (int i = 0; i < ui->comboBox_cardType->count(); ++i)
            widest = qMax(widest, ui->comboBox_cardType->fontMetrics().horizontalAdvance(ui->comboBox_cardType->itemText(i)));
        ui->comboBox_cardType->setMinimumWidth(widest + 40);
    }
    ui->tableWidget_mapping->horizontalHeader()->setStretchLastSection(true);
    ui->tableWidget_problems->horizontalHeader()->setStretchLastSection(true);
    m_ctrl = new ctrlUiClass(this);
    m_ctrl->setupView(readDbset(), ui->tableView_imports, QString::fromUtf8(kImportList));
    ui->progressBar->setValue(0);
    ui->pushButton_import->setEnabled(false);
    ui->pushButton_check->setEnabled(false);
    fillImports();
}

DaoruDlg::~DaoruDlg()
{
    // The list's binding points at the view: it goes before the widgets do.
    delete m_ctrl;
    delete ui;
}

QString DaoruDlg::settingsGroup() const
{
    return QStringLiteral("导入列对应/") + OpeningImportFields::kindName(m_kind);
}

void DaoruDlg::on_pushButton_choose_clicked()
{
    const QString start = m_path.isEmpty() ? CsvExport::defaultFolder() : QFileInfo(m_path).absolutePath();
    const QString path = Prompt::openFileName(this, QStringLiteral("选择要导入的文件"), start,
                                              QStringLiteral("表格文件 (*.xlsx *.csv *.txt);;所有文件 (*)"));
    if (!path.isEmpty())
        loadFile(path);
}

bool DaoruDlg::loadFile(const QString &path)
{
    Sheet sheet = SheetReader::readFile(path);
    if (!sheet.ok()) {
        ctrlUiClass::showInfo(sheet.error, this);
        return false;
    }
    m_sheet = sheet;
    m_path = path;
    ui->lineEdit_file->setText(QDir::toNativeSeparators(path));
    const QString how = sheet.encoding == QLatin1String("xlsx")
                            ? QStringLiteral("Excel 工作簿")
                            : QStringLiteral("CSV，%1 编码，分隔符“%2”")
                                  .arg(sheet.encoding, sheet.separator == QLatin1Char('\t') ? QStringLiteral("Tab")
                                                                                           : QString(sheet.separator));
    ui->label_fileInfo->setText(QStringLiteral("%1：%2 列，%3 行数据").arg(how).arg(sheet.header.size()).arg(sheet.rows.size()));

    // The first rows as they are in the file.
    ui->tableWidget_preview->clear();
    ui->tableWidget_preview->setColumnCount(sheet.header.size());
    ui->tableWidget_preview->setHorizontalHeaderLabels(sheet.header);
    const int shown = qMin(kPreviewRows, sheet.rows.size());
    ui->tableWidget_preview->setRowCount(shown);
    QStringList numbers;
    for (int r = 0; r < shown; ++r) {
        numbers << QString::number(sheet.rowNumbers.value(r));
        for (int c = 0; c < sheet.header.size(); ++c)
            ui->tableWidget_preview->setItem(r, c, new QTableWidgetItem(sheet.rows.at(r).value(c)));
    }
    ui->tableWidget_preview->setVerticalHeaderLabels(numbers);

    // Each column's field: what was chosen for this header last time, else the guess.
    const QMap<int, QString> guessed = OpeningImportFields::guess(m_kind, sheet.header);
    QSettings settings;
    settings.beginGroup(settingsGroup());
    const QList<ImportField> fields = OpeningImportFields::fields(m_kind);
    ui->tableWidget_mapping->setRowCount(sheet.header.size());
    for (int c = 0; c < sheet.header.size(); ++c) {
        ui->tableWidget_mapping->setItem(c, 0, new QTableWidgetItem(sheet.header.at(c)));
        ui->tableWidget_mapping->setItem(c, 1, new QTableWidgetItem(sheet.rows.value(0).value(c)));
        auto *box = new QComboBox(ui->tableWidget_mapping);
        box->setObjectName(QStringLiteral("comboBox_field_%1").arg(c));
        box->addItem(QStringLiteral("（不导入）"), QString());
        for (const ImportField &f : fields)
            box->addItem(f.caption + (f.required ? QStringLiteral(" *") : QString()), f.key);
        QString key = guessed.value(c);
        const QString prefix = QString::fromLatin1(kUsesColumnPrefix);
        if (m_kind == ImportKind::Members) {
            // A column of one item's uses: offered under that item's name.
            const QString item = key.startsWith(prefix) ? key.mid(prefix.size()) : sheet.header.at(c).trimmed();
            if (!item.isEmpty())
                box->addItem(QStringLiteral("次数：") + item, prefix + item);
        }
        const QVariant remembered = settings.value(headerKey(sheet.header.at(c)));
        if (remembered.isValid() && box->findData(remembered.toString()) >= 0)
            key = remembered.toString();
        box->setCurrentIndex(qMax(0, box->findData(key)));
        ui->tableWidget_mapping->setCellWidget(c, 2, box);
    }
    ui->tableWidget_mapping->resizeColumnsToContents();
    ui->tableWidget_mapping->horizontalHeader()->setStretchLastSection(true);
    ui->tableWidget_problems->setRowCount(0);
    ui->label_summary->clear();
    ui->progressBar->setValue(0);
    ui->pushButton_check->setEnabled(true);
    ui->pushButton_import->setEnabled(true);
    ui->tabWidget->setCurrentWidget(ui->tab_mapping);
    return true;
}

QStringList DaoruDlg::mapping() const
{
    QStringList out;
    for (int c = 0; c < ui->tableWidget_mapping->rowCount(); ++c) {
        auto *box = qobject_cast<QComboBox *>(ui->tableWidget_mapping->cellWidget(c, 2));
        out << (box ? box->currentData().toString() : QString());
    }
    return out;
}

void DaoruDlg::setMapping(int column, const QString &fieldKey)
{
    if (auto *box = qobject_cast<QComboBox *>(ui->tableWidget_mapping->cellWidget(column, 2)))
        box->setCurrentIndex(qMax(0, box->findData(fieldKey)));
}

void DaoruDlg::rememberMapping() const
{
    QSettings settings;
    settings.beginGroup(settingsGroup());
    const QStringList keys = mapping();
    for (int c = 0; c < keys.size() && c < m_sheet.header.size(); ++c)
        settings.setValue(headerKey(m_sheet.header.at(c)), keys.at(c));
}

OpeningImport DaoruDlg::build() const
{
    QMap<int, QString> map;
    const QStringList keys = mapping();
    for (int c = 0; c < keys.size(); ++c)
        if (!keys.at(c).isEmpty())
            map.insert(c, keys.at(c));
    OpeningImport im = OpeningImportWriter::fromSheet(m_kind, m_sheet, map);
    im.fileName = QFileInfo(m_path).fileName();
    im.existing = ExistingRows(ui->comboBox_existing->currentData().toInt());
    im.defaultCardType = ui->comboBox_cardType->currentData().toString();
    im.operatorName = operatorSession().name;
    return im;
}

void DaoruDlg::showProblems(const ImportCheck &check)
{
    ui->tableWidget_problems->setRowCount(check.problems.size());
    for (int i = 0; i < check.problems.size(); ++i) {
        const RowProblem &p = check.problems.at(i);
        ui->tableWidget_problems->setItem(i, 0, new QTableWidgetItem(QString::number(p.row)));
        ui->tableWidget_problems->setItem(i, 1, new QTableWidgetItem(p.column));
        ui->tableWidget_problems->setItem(i, 2, new QTableWidgetItem(p.reason));
    }
    ui->tableWidget_problems->resizeColumnToContents(0);
    ui->tableWidget_problems->resizeColumnToContents(1);
    QSet<int> rows;
    for (const RowProblem &p : check.problems)
        rows.insert(p.row);
    const QString counts = QStringLiteral("可新增 %1 条，更新 %2 条，跳过 %3 条").arg(check.added).arg(check.updated).arg(check.skipped);
    if (check.ok())
        ui->label_summary->setText(QStringLiteral("检查通过：%1。尚未写入，请点“导入”。").arg(counts));
    else
        ui->label_summary->setText(QStringLiteral("有 %1 行不能导入（共 %2 处问题，见“检查结果”）；其余行%3。请改正文件后重新选择，"
                                                  "或删去这些行。")
                                       .arg(rows.size())
                                       .arg(check.problems.size())
                                       .arg(counts));
}

void DaoruDlg::on_pushButton_check_clicked()
{
    if (m_sheet.header.isEmpty())
        return;
    const ImportCheck check = OpeningImportWriter::dryRun(build());
    rememberMapping();
    showProblems(check);
    if (!check.ok())
        ui->tabWidget->setCurrentWidget(ui->tab_problems);
}

void DaoruDlg::setBusy(bool busy)
{
    m_busy = busy;
    for (QWidget *w : {static_cast<QWidget *>(ui->pushButton_choose), static_cast<QWidget *>(ui->pushButton_template),
                       static_cast<QWidget *>(ui->pushButton_check), static_cast<QWidget *>(ui->pushButton_import),
                       static_cast<QWidget *>(ui->pushButton_close), static_cast<QWidget *>(ui->pushButton_takeBack),
                       // An export would run inside the import's transaction and hold it behind its file question.
                       static_cast<QWidget *>(ui->pushButton_export), static_cast<QWidget *>(ui->pushButton_exportImports),
                       static_cast<QWidget *>(ui->tableWidget_mapping), static_cast<QWidget *>(ui->comboBox_existing),
                       static_cast<QWidget *>(ui->comboBox_cardType)})
        w->setEnabled(!busy);
    ui->pushButton_cancel->setEnabled(busy);
}

void DaoruDlg::on_pushButton_import_clicked()
{
    if (m_sheet.header.isEmpty())
        return;
    const OpeningImport im = build();
    const ImportCheck check = OpeningImportWriter::dryRun(im);
    rememberMapping();
    showProblems(check);
    if (check.added + check.updated == 0) {
        ui->tabWidget->setCurrentWidget(check.ok() ? ui->tab_mapping : ui->tab_problems);
        ctrlUiClass::showInfo(check.ok() ? QStringLiteral("文件中没有需要导入的行。")
                                         : QStringLiteral("有 %1 处问题，没有可以导入的行，没有导入任何数据。请按“检查结果”改正文件后再导入。")
                                               .arg(check.problems.size()),
                              this);
        return;
    }
    if (!check.ok()) {
        ui->tabWidget->setCurrentWidget(ui->tab_problems);
        QSet<int> rows;
        for (const RowProblem &p : check.problems)
            rows.insert(p.row);
        PromptRequest ask;
        ask.title = QStringLiteral("警告");
        ask.text = QStringLiteral("有 %1 行不能导入（见“检查结果”）。\n只导入其余的行（新增 %2 条，更新 %3 条）吗？")
                       .arg(rows.size())
                       .arg(check.added)
                       .arg(check.updated);
        ask.buttons = QStringList{QStringLiteral("是"), QStringLiteral("否")};
        ask.parent = this;
        ask.defaultButton = 1;
        if (Prompt::ask(ask) != 0)
            return;
    }
    m_cancelled = false;
    setBusy(true);
    ui->progressBar->setRange(0, qMax(1, im.kind == ImportKind::Members ? im.members.size() : im.items.size()));
    ui->progressBar->setValue(0);
    ui->label_summary->setText(QStringLiteral("正在导入…（可点“取消导入”，取消后不会写入任何数据）"));
    // The rows go in batches; between them the window takes its events, so it
    // paints the bar and hears the cancel button.
    const LedgerResult r = OpeningImportWriter::write(im, [this](int done, int total) {
        ui->progressBar->setMaximum(total);
        ui->progressBar->setValue(done);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !m_cancelled;
    });
    setBusy(false);
    fillImports();
    if (!r.ok) {
        ui->progressBar->setValue(0);
        ui->label_summary->setText(m_cancelled ? QStringLiteral("导入已取消，没有写入任何数据。") : r.error);
        ctrlUiClass::showInfo(m_cancelled ? QStringLiteral("导入已取消，没有写入任何数据。") : r.error, this);
        return;
    }
    QString done = QStringLiteral("导入完成：新增 %1 条，更新 %2 条，跳过 %3 条。导入单号：%4")
                       .arg(check.added)
                       .arg(check.updated)
                       .arg(check.skipped)
                       .arg(r.documentId);
    if (!check.ok())
        done += QStringLiteral("\n未导入的行见“检查结果”。");
    ui->label_summary->setText(done);
    emit DlgSend(QStringLiteral("刷新数据列表"),
                 QVariant::fromValue(dbctrlstruct{OpeningImportFields::tableOf(m_kind), {}}));
    ctrlUiClass::showInfo(done, this);
}

void DaoruDlg::on_pushButton_cancel_clicked()
{
    m_cancelled = true;
}

void DaoruDlg::reject()
{
    // Closing the window while rows go in is a cancel, never half an import.
    if (m_busy) {
        m_cancelled = true;
        return;
    }
    QDialog::reject();
}

void DaoruDlg::on_pushButton_close_clicked()
{
    reject();
}

// A workbook or CSV file to write; a name without either suffix becomes a workbook.
QString DaoruDlg::askSavePath(const QString &caption, const QString &name)
{
    const QString suggested = CsvExport::defaultFolder() + QLatin1Char('/') + OpeningImportFields::kindName(m_kind) + name
                              + QStringLiteral(".xlsx");
    QString path = Prompt::saveFileName(this, caption, suggested, QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (!path.isEmpty() && !path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)
        && !path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    return path;
}

void DaoruDlg::on_pushButton_template_clicked()
{
    const QString path = askSavePath(QStringLiteral("保存导入模板"), QStringLiteral("导入模板"));
    if (path.isEmpty())
        return;
    QString error;
    if (!OpeningImportFields::saveTemplate(m_kind, path, &error)) {
        ctrlUiClass::showInfo(QStringLiteral("模板没有保存：%1\n%2").arg(path, error), this);
        return;
    }
    QString hint;
    if (m_kind == ImportKind::Members)
        hint = QStringLiteral("\n套餐次数写成“项目:次数”，多个项目用分号隔开，如“剪发:10;烫发:2”；"
                              "也可以每个项目一列，表头写“次数:项目名称”。");
    else if (m_kind == ImportKind::CardTypes)
        hint = QStringLiteral("\n折扣写成 0.9（九折）、1（不打折），也可以写“9折”“8.8折”。");
    ctrlUiClass::showInfo(QStringLiteral("模板已保存在%1！").arg(path) + hint, this);
}

void DaoruDlg::on_pushButton_export_clicked()
{
    const QString path = askSavePath(QStringLiteral("导出为导入格式"), QStringLiteral("资料"));
    if (path.isEmpty())
        return;
    QString error;
    const int rows = OpeningImportWriter::exportSheet(m_kind, path, &error);
    if (rows < 0) {
        ctrlUiClass::showInfo(QStringLiteral("导出失败，文件没有保存：%1\n%2").arg(path, error), this);
        return;
    }
    ctrlUiClass::showInfo(QStringLiteral("已导出 %1 条，信息已保存在%2！").arg(rows).arg(path), this);
}

void DaoruDlg::fillImports()
{
    m_ctrl->refreshView(QString::fromUtf8(kImportList), QString());
}

void DaoruDlg::on_pushButton_exportImports_clicked()
{
    m_ctrl->exportView(QString::fromUtf8(kImportList), operatorSession().name);
}

void DaoruDlg::on_pushButton_takeBack_clicked()
{
    const QModelIndex current = ui->tableView_imports->currentIndex();
    const QStringList row = current.isValid() && ui->tableView_imports->selectionModel()->isRowSelected(current.row(), QModelIndex())
                                ? m_ctrl->currentRowValues(QString::fromUtf8(kImportList))
                                : QStringList();
    if (row.size() < 2) {
        ctrlUiClass::showInfo(QStringLiteral("请先在导入记录中选择一次导入"), this);
        return;
    }
    const QString id = row.at(0);
    PromptRequest ask;
    ask.title = QStringLiteral("警告");
    ask.text = QStringLiteral("撤销导入 %1？\n这次导入新增的记录将被删除，更新过的资料恢复原样。").arg(id);
    ask.buttons = QStringList{QStringLiteral("是"), QStringLiteral("否")};
    ask.parent = this;
    ask.defaultButton = 1;
    if (Prompt::ask(ask) != 0)
        return;
    const LedgerResult r = OpeningImportWriter::takeBack(id, operatorSession().name);
    fillImports();
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    const QString table = OpeningImportFields::tableOf(OpeningImportFields::kindOfName(row.at(1)));
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{table, {}}));
    ctrlUiClass::showInfo(QStringLiteral("导入 %1 已撤销。").arg(r.documentId), this);
}
