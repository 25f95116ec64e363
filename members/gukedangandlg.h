#ifndef GUKEDANGANDLG_H
#define GUKEDANGANDLG_H

#include <QDialog>

#include "visitnotes.h"

namespace Ui {
class gukedangandlg;
}

// 顾客档案: a member's visit notes, newest first, searchable; the note chosen
// on the left is edited on the right, with its pictures.
class gukedangandlg : public QDialog
{
    Q_OBJECT
public:
    explicit gukedangandlg(QWidget *parent = nullptr);
    ~gukedangandlg() override;

    // saleId: the sale the note is written from (its first stylist is
    // proposed); empty at the counter.
    void setup(const QString &memberId, const QString &memberName, const QString &saleId = QString(),
               const QString &employeeId = QString());
    QString currentNoteId() const { return m_noteId; }
    // The longest side a picture keeps; larger ones are scaled down before saving.
    static constexpr int kPictureSide = 1280;

private slots:
    void on_toolButton_search_clicked();
    void on_toolButton_new_clicked();
    void on_toolButton_save_clicked();
    void on_toolButton_delete_clicked();
    void on_toolButton_close_clicked();
    void on_toolButton_addPicture_clicked();
    void on_toolButton_removePicture_clicked();
    void on_toolButton_viewPicture_clicked();
    void on_tableWidget_notes_itemSelectionChanged();

private:
    void reload(const QString &select = QString());
    void showNote(const VisitNote &note);
    void showPictures();
    void showWarnings();

    Ui::gukedangandlg *ui;
    QString m_memberId;
    QString m_saleId;
    QString m_noteId;
    QList<VisitNote> m_notes;          // the list as shown
    QList<VisitPicture> m_saved;       // the note's pictures in the database
    QList<VisitPicture> m_added;       // chosen, not saved yet
    QList<int> m_removed;              // saved ones to remove at the save
};

#endif
