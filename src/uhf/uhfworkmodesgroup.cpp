#include "uhf/uhfworkmodesgroup.h"

UhfWorkModesGroup::UhfWorkModesGroup(PageHost &host, QWidget *parent) : QGroupBox(parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox38"));
}
