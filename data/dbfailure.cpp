#include "dbfailure.h"
#include "enginedriver.h"
#include "transactionscope.h"

QString dbFailureCause(const QString &errorText)
{
    // SQLite's own English texts, as they reach us through Qt's error text.
    const QString e = errorText.toLower();
    // A shop server's failures.
    if (EngineDriver::isConnectionLost(errorText) || EngineDriver::current().isWorkingTableMissing(errorText))
        return QStringLiteral("原因：与数据库服务器的连接已断开，请检查网络和服务器后再试。");
    // Another desk holds the write lock (the file's, or a row or table on the
    // server) for longer than a cashier should wait.
    if (e.contains(QLatin1String("database is locked")) || e.contains(QLatin1String("database table is locked"))
        || e.contains(QLatin1String("database is busy")) || e.contains(QLatin1String("[sqlstate 55p03]")))
        return QStringLiteral("原因：另一台收银机正在保存，请稍后再试。");
    if (e.contains(QLatin1String("[sqlstate 57014]")))
        return QStringLiteral("原因：数据库服务器在限定的时间内没有完成（可能另一台收银机正在保存），请稍后再试。");
    if (EngineDriver::isRetryable(errorText))
        return QStringLiteral("原因：其他收银台正在同时修改同一会员或同一单据，请再试一次。");
    if (e.contains(QLatin1String("[sqlstate 53100]")))
        return QStringLiteral("原因：数据库服务器的磁盘空间已满，请联系管理人员。");
    if (e.contains(QLatin1String("disk is full")) || e.contains(QLatin1String("no space left")))
        return QStringLiteral("原因：磁盘空间已满，请清理磁盘后再试。");
    if (e.contains(QLatin1String("readonly database")) || e.contains(QLatin1String("read-only"))
        || e.contains(QLatin1String("readonly")))
        return QStringLiteral("原因：数据库文件是只读的，请检查文件和文件夹的写入权限。");
    if (isDamageError(errorText))
        return QStringLiteral("原因：数据库文件已损坏，请立即联系管理人员用备份恢复。");
    if (e.contains(QLatin1String("disk i/o error")) || e.contains(QLatin1String("unable to open database")))
        return QStringLiteral("原因：无法读写数据库文件（磁盘故障或文件被移走），请检查磁盘。");
    return QString();
}

bool isDamageError(const QString &errorText)
{
    const QString e = errorText.toLower();
    return e.contains(QLatin1String("malformed")) || e.contains(QLatin1String("not a database"));
}

QString saveFailureText(const QString &what, const QString &errorText)
{
    // The COMMIT went out and its answer never came back: saying "not saved"
    // would make the cashier charge the customer a second time.
    if (TransactionScope::isOutcomeUnknown(errorText))
        return what + QStringLiteral("：保存时与数据库服务器的连接中断，无法确认本次操作是否已经保存。\n"
                                     "请先在记录中查看，确认没有保存后再做一次，不要重复收款。");
    QString text = what + QStringLiteral("，本次操作未保存");
    // A refusal of the rules (a missing right, say) is its own sentence.
    if (errorText.startsWith(QLatin1String("REFUSED : ")))
        return text + QLatin1Char('\n') + errorText.mid(10);
    const QString cause = dbFailureCause(errorText);
    if (!cause.isEmpty())
        text += QLatin1Char('\n') + cause;
    return text;
}
