#ifndef IMPORTSAMPLES_H
#define IMPORTSAMPLES_H

#include <QString>
#include <QStringList>

// Sample files for the 导入 dialog, as a shop moving in brings them: its
// members (GB18030 CSV, as Excel saves "CSV" on a Chinese system, and the same
// rows as .xlsx), its service items, its products and its card types. A
// number of the member rows are faulty on purpose, one fault each, so the
// check has something to list; the written files are named in `written`:
// items, products, members (CSV), members (.xlsx), card types.
namespace ImportSamples {

struct Faults
{
    QList<int> rows;        // the spreadsheet rows that carry a fault (header = row 1)
};

// members rows with `faulty` of them wrong; the card types 金卡/银卡 of the card-type
// sample and the items of the service-item sample are what the member rows refer to.
bool write(const QString &folder, int members, int faulty, quint64 seed, QStringList *written, Faults *faults,
           QString *error);

} // namespace ImportSamples

#endif
