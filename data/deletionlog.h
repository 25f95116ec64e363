#ifndef DELETIONLOG_H
#define DELETIONLOG_H

#include <QString>

// The operation-log text every deletion writes, naming what went:
// "删除服务项目  编号：A01  名称：洗发" (each part only where the row has one).
QString deletionLogText(const QString &what, const QString &key, const QString &name = QString());

#endif
