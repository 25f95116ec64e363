#include "dbrecords.h"
#include "dbsetconfig.h"

void registerRecordTypes()
{
    qRegisterMetaType<dbctrlstruct>("dbctrlstruct");
    qRegisterMetaType<dbctrlsqlstruct>("dbctrlsqlstruct");
    qRegisterMetaType<redbctrlstruct>("redbctrlstruct");
    qRegisterMetaType<ComboBoxdata>("ComboBoxdata");
    qRegisterMetaType<Tableinfo>("Tableinfo");
    qRegisterMetaType<CreateTableinfo>("CreateTableinfo");
    qRegisterMetaType<tempCreateTableinfo>("tempCreateTableinfo");
    qRegisterMetaType<CreateTriggerinfo>("CreateTriggerinfo");
    qRegisterMetaType<ComBoxinfo>("ComBoxinfo");
    qRegisterMetaType<TableViewinfo>("TableViewinfo");
    qRegisterMetaType<Softwareinfo>("Softwareinfo");
}
