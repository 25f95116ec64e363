#ifndef TAKINGSTREE_H
#define TAKINGSTREE_H

#include "takingsread.h"

class QStandardItemModel;

// The takings of a period as the "综合统计" page and the shift handover show
// them: a two-level tree of 充值交费合计, 消费收银合计, 收银总计 (each with its
// methods), 实际收入 and 虚拟收入.
class TakingsTree
{
public:
    static void build(QStandardItemModel *model, const Takings &takings);
};

#endif
