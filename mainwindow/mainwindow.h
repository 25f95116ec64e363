#ifndef MAINWINDOW_H
#define MAINWINDOW_H

// Placeholder shell: opens the database and answers the generic requests until
// the full main window replaces it.

#include <QMainWindow>
#include <memory>

#include "ctrluiclass.h"
#include "tableregistry.h"

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    void DlgRecv(const QString &key, const QVariant &value);

private:
    ctrlUiClass m_ctrl;
    std::unique_ptr<TableRegistry> m_registry;
};

#endif
