#include "ui/connectiongroup.h"

ConnectionGroup::ConnectionGroup(PageHost &host, QWidget *parent)
    : QGroupBox(QStringLiteral("Communication information"), parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox1"));
}

ConnectionGroup::~ConnectionGroup() = default;

void ConnectionGroup::Send232HEX(const QString &) {}

void ConnectionGroup::PageControl1Change() {}

void ConnectionGroup::FormClose() {}
