#include "changelogtext.h"

namespace {
struct Kind
{
    const char *table;
    const char *what;
    const char *keys[2];     // columns naming the row
    const char *captions[2]; // their captions in the log
};

const Kind kKinds[] = {
    {"chanpin", "产品", {"ID", nullptr}, {"产品编号", nullptr}},
    {"fuwuxiangmu", "服务项目", {"ID", nullptr}, {"项目编号", nullptr}},
    {"taocanmingxi", "套餐", {"taocanID", "xiangmuID"}, {"套餐编号", "项目编号"}},
    {"yuangong", "员工", {"ID", nullptr}, {"员工编号", nullptr}},
    {"huiyuanka", "会员卡类型", {"name", nullptr}, {"卡类型", nullptr}},
    {"chanpinrukumingxi", "库存明细", {"rukuID", "chanpinID"}, {"单号", "产品编号"}},
};
} // namespace

QString ChangeLogText::text(bool isAdd, const QString &table, const QStringList &columns, const QStringList &values)
{
    for (const Kind &k : kKinds) {
        if (table != QLatin1String(k.table))
            continue;
        QString what = QString::fromUtf8(k.what);
        if (table == QLatin1String("chanpinrukumingxi")) {
            const QString doc = values.value(columns.indexOf(QStringLiteral("rukuID")));
            if (doc == QLatin1String("000000"))
                return QString(); // the zero movement of a new product: its add is logged
            what = doc.startsWith(QStringLiteral("出库")) ? QStringLiteral("出库明细") : QStringLiteral("入库明细");
        }
        QString text = (isAdd ? QStringLiteral("增加") : QStringLiteral("修改")) + what;
        for (int i = 0; i < 2 && k.keys[i]; ++i) {
            const int at = columns.lastIndexOf(QLatin1String(k.keys[i]));
            if (at >= 0)
                text += QStringLiteral("  ") + QString::fromUtf8(k.captions[i]) + QStringLiteral("：") + values.value(at);
        }
        return text;
    }
    return QString();
}
