#include "importsamples.h"

#include "csvexport.h"
#include "xlsxfile.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTextCodec>

namespace ImportSamples {

namespace {

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        *error = path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return true;
}

const char *const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "林"};
const char *const kGiven[] = {"芳", "娜", "敏", "静", "丽", "强", "磊", "洋", "艳", "勇", "军", "杰", "娟", "涛", "明", "超", "秀英", "小红", "建华", "晓燕"};

} // namespace

bool write(const QString &folder, int members, int faulty, quint64 seed, QStringList *written, Faults *faults,
           QString *error)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    QRandomGenerator rng{quint32(seed)};
    QTextCodec *gbk = QTextCodec::codecForName("GB18030");

    // Service items and products: what the members' packages name.
    const QStringList itemHeader{QStringLiteral("项目编号"), QStringLiteral("项目名称"), QStringLiteral("所属类别"),
                                 QStringLiteral("服务时间"), QStringLiteral("单价"), QStringLiteral("成本价")};
    const QList<QStringList> items{
        {"F001", "洗剪吹", "美发", "30", "38", "8"},       {"F002", "烫发", "美发", "90", "268", "60"},
        {"F003", "染发", "美发", "90", "198", "45"},       {"F004", "头皮护理", "养护", "45", "128", "20"},
        {"F005", "面部护理", "美容", "60", "168", "30"},   {"F006", "精油推背", "养生", "60", "158", "25"},
    };
    QString itemsCsv = CsvExport::line(itemHeader);
    for (const QStringList &i : items)
        itemsCsv += CsvExport::line(i);
    const QString itemsPath = dir.filePath(QStringLiteral("服务项目导入示例.csv"));
    if (!save(itemsPath, gbk->fromUnicode(itemsCsv), error))
        return false;
    const QStringList productHeader{QStringLiteral("产品编号"), QStringLiteral("产品名称"), QStringLiteral("条码"),
                                    QStringLiteral("类别"), QStringLiteral("单位"), QStringLiteral("规格"),
                                    QStringLiteral("进价"), QStringLiteral("售价")};
    QString productsCsv = CsvExport::line(productHeader);
    productsCsv += CsvExport::line({"P001", "洗发水", "06901234500011", "洗护", "瓶", "500ml", "25", "68"});
    productsCsv += CsvExport::line({"P002", "护发精油", "06901234500028", "洗护", "瓶", "100ml", "40", "128"});
    productsCsv += CsvExport::line({"P003", "发蜡", "06901234500035", "造型", "盒", "80g", "15", "45"});
    const QString productsPath = dir.filePath(QStringLiteral("产品导入示例.csv"));
    if (!save(productsPath, gbk->fromUnicode(productsCsv), error))
        return false;

    // Card types, discounts written as shops write them: what the members' rows name.
    const QStringList cardHeader{QStringLiteral("会员卡名称"), QStringLiteral("卡内金额"), QStringLiteral("售价"),
                                 QStringLiteral("服务折扣"), QStringLiteral("产品折扣"), QStringLiteral("套餐折扣"),
                                 QStringLiteral("备注")};
    QString cardsCsv = CsvExport::line(cardHeader);
    cardsCsv += CsvExport::line({"金卡", "1000", "800", "8.8折", "0.95", "0.9", "充800送200"});
    cardsCsv += CsvExport::line({"银卡", "500", "450", "95折", "1", "1", ""});
    cardsCsv += CsvExport::line({"白金卡", "3000", "2400", "0.8", "0.9", "0.85", "年卡"});
    const QString cardsPath = dir.filePath(QStringLiteral("会员卡类型导入示例.csv"));
    if (!save(cardsPath, gbk->fromUnicode(cardsCsv), error))
        return false;

    // Members: the faults spread over the sheet, one kind after another.
    const QStringList header{QStringLiteral("会员卡号"), QStringLiteral("姓名"), QStringLiteral("性别"),
                             QStringLiteral("手机号码"), QStringLiteral("生日"), QStringLiteral("卡类型"),
                             QStringLiteral("卡内余额"), QStringLiteral("赠送余额"), QStringLiteral("积分"),
                             QStringLiteral("欠款"), QStringLiteral("套餐次数"), QStringLiteral("备注")};
    QList<int> faultAt;
    for (int k = 0; k < faulty && members > 0; ++k)
        faultAt << 1 + (k * members) / qMax(1, faulty) + (members / qMax(1, faulty)) / 2;
    QList<QStringList> rows;
    for (int i = 0; i < members; ++i) {
        const QString id = QStringLiteral("%1").arg(10001 + i, 6, 10, QLatin1Char('0'));
        const QString name = QString::fromUtf8(kSurnames[rng.bounded(16)]) + QString::fromUtf8(kGiven[rng.bounded(20)]);
        const QString phone = QStringLiteral("13%1%2").arg(rng.bounded(10)).arg(i, 8, 10, QLatin1Char('0'));
        const QString birthday = QStringLiteral("%1-%2-%3")
                                     .arg(1960 + int(rng.bounded(45)))
                                     .arg(1 + int(rng.bounded(12)), 2, 10, QLatin1Char('0'))
                                     .arg(1 + int(rng.bounded(28)), 2, 10, QLatin1Char('0'));
        const qint64 balance = qint64(rng.bounded(200000));
        QStringList uses;
        const int n = int(rng.bounded(3));
        for (int u = 0; u < n; ++u)
            uses << items.at(int(rng.bounded(items.size()))).at(1) + QStringLiteral(":%1").arg(1 + rng.bounded(12));
        uses.removeDuplicates();
        // Two items of the same name would be one; keep the first of each.
        QStringList seen, kept;
        for (const QString &u : uses) {
            const QString item = u.section(QLatin1Char(':'), 0, 0);
            if (!seen.contains(item)) {
                seen << item;
                kept << u;
            }
        }
        QStringList row{id,
                        name,
                        rng.bounded(4) ? QStringLiteral("女") : QStringLiteral("男"),
                        phone,
                        birthday,
                        rng.bounded(3) ? QStringLiteral("金卡") : QStringLiteral("银卡"),
                        QStringLiteral("%1.%2").arg(balance / 100).arg(balance % 100, 2, 10, QLatin1Char('0')),
                        rng.bounded(5) ? QStringLiteral("0") : QStringLiteral("%1").arg(10 * (1 + rng.bounded(20))),
                        QString::number(rng.bounded(3000)),
                        rng.bounded(12) ? QStringLiteral("0") : QStringLiteral("%1.50").arg(rng.bounded(300)),
                        kept.join(QLatin1Char(';')),
                        QString()};
        const int sheetRow = i + 2;
        const int fault = faultAt.indexOf(sheetRow);
        if (fault >= 0) {
            row[11] = QStringLiteral("（示例错误）");
            switch (fault % 10) {
            case 0: row[1].clear(); break;                                          // missing name
            case 1: row[6] = QStringLiteral("一百"); break;                         // balance not a number
            case 2: row[6] = QStringLiteral("12.345"); break;                       // three decimals
            case 3: row[5] = QStringLiteral("钻石卡"); break;                       // unknown card type
            case 4: row[4] = QStringLiteral("1990-02-30"); break;                   // no such date
            case 5: row[10] = QStringLiteral("美甲:3"); break;                      // unknown item
            case 6: row[3] = rows.first().at(3); break;                             // phone of row 2
            case 7: row[2] = QStringLiteral("未知"); break;                         // sex
            case 8: row[9] = QStringLiteral("-20"); break;                          // negative debt
            case 9: row[8] = QStringLiteral("abc"); break;                          // points not a number
            }
        }
        rows << row;
    }
    if (faults)
        faults->rows = faultAt;
    QString csv = CsvExport::line(header);
    for (const QStringList &r : rows)
        csv += CsvExport::line(r);
    const QString csvPath = dir.filePath(QStringLiteral("会员导入示例.csv"));
    if (!save(csvPath, gbk->fromUnicode(csv), error))
        return false;

    QList<XlsxFile::Column> columns;
    for (const QString &h : header)
        columns << XlsxFile::Column{h, QStringList{QStringLiteral("卡内余额"), QStringLiteral("赠送余额"),
                                                   QStringLiteral("欠款")}
                                               .contains(h)
                                           ? XlsxFile::CellKind::Money
                                       : h == QStringLiteral("生日") ? XlsxFile::CellKind::Date
                                                                     : XlsxFile::CellKind::Text};
    XlsxFile::Writer w(columns, QStringLiteral("会员"));
    for (const QStringList &r : rows)
        w.addRow(r);
    const QString xlsxPath = dir.filePath(QStringLiteral("会员导入示例.xlsx"));
    if (!w.save(xlsxPath, error))
        return false;
    if (written)
        *written = QStringList{itemsPath, productsPath, csvPath, xlsxPath, cardsPath};
    return true;
}

} // namespace ImportSamples
