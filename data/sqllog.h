#ifndef SQLLOG_H
#define SQLLOG_H

#include <QLoggingCategory>

// Every statement and every failure of the data layer is written here.
Q_DECLARE_LOGGING_CATEGORY(lcSql)

#endif
