#ifndef VISITNOTES_H
#define VISITNOTES_H

#include "ledgertypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

// 顾客档案: what was done at a member's visit, so that the next stylist finds
// last time's colour formula and nobody forgets an allergy. Notes move no
// money; each change is one transaction with its log row.
//
// Pictures live in the shop's database (gukedangantupian, the image as base64
// text): they are in every copy of mochenxinxi.db the program and the owner
// make, and mochen-migrate carries them to a server like any other column.
// The window scales a picture down before it comes here, so a note stays small.

struct VisitNote
{
    QString id;           // DA…; empty for a new note
    QString memberId;
    QString date;         // yyyy-MM-dd of the visit
    QString employeeId;   // the stylist
    QString service;      // 服务内容: what was done
    QString formula;      // 配方: colour formula and the like
    QString products;     // 使用产品
    QString warning;      // 过敏与注意: shown at the counter whenever the member is chosen
    QString remark;
    QString saleId;       // the sale the note was written from; empty at the counter
    QString operatorName;
    // Read back only.
    QString employeeName;
    QString writtenAt;
    int pictureCount = 0;
};

struct VisitPicture
{
    int number = 0;       // 1, 2, … within the note; 0 for a picture not yet saved
    QString kind;         // 服务前 / 服务后 / 其他
    QString fileName;     // the file it was chosen from, for the cashier
    QByteArray bytes;     // the image file's bytes (JPEG or PNG)
};

class VisitNotes
{
public:
    // The largest picture kept, after the window scaled it.
    static constexpr int kMaxPictureBytes = 2 * 1024 * 1024;
    static constexpr int kMaxPicturesPerNote = 6;

    // A new note (id empty) or the change of one, with pictures to add and
    // picture numbers to remove, as one transaction with its log row.
    static LedgerResult save(const VisitNote &note, const QList<VisitPicture> &added = {},
                             const QList<int> &removed = {});
    static LedgerResult remove(const QString &noteId, const QString &operatorName);

    // The member's notes, newest visit first; with a text, only those that
    // mention it in any field. memberId empty: every member's (at most `limit`).
    static QList<VisitNote> find(const QString &memberId, const QString &text = QString(), int limit = 200);
    static VisitNote note(const QString &noteId);
    static QList<VisitPicture> pictures(const QString &noteId);
    // The member's warnings, newest first, each once; empty when there are none.
    static QStringList warnings(const QString &memberId);
    // Adds one note's warning as warnings() lists them: trimmed, each once.
    static void addWarning(QStringList &warnings, const QString &text);
    // The stylist of a sale's first service line (the one a note from that
    // sale proposes); empty when it has none.
    static QString saleStylist(const QString &saleId);
};

#endif
