// libFuzzer target for the dbset.xml reader: any bytes must give a map or an
// empty map, never a crash or a hang. Built by scripts/fuzz-readdbset.sh.
#include <QCoreApplication>
#include <QFile>
#include <QString>

#include "dbsetconfig.h"
#include "dbrecords.h"

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QStringLiteral("/tmp/fuzz-dbset-%1.xml").arg(getpid());
    static bool registered = (registerRecordTypes(), true);
    (void)registered;
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    const DbsetMap map = readDbset(path);
    // Touch every entry the way callers do.
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        (void)dbsetEntry<TableViewinfo>(map, it.key()).row_name.size();
        (void)dbsetEntry<ComBoxinfo>(map, it.key()).row_name.size();
    }
    return 0;
}
