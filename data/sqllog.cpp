#include "sqllog.h"

Q_LOGGING_CATEGORY(lcSql, "mochen.sql")
