#include "hf/systempage.h"

#include "link/hextext.h"
#include "ui/widgets.h"

#include <QVBoxLayout>

SystemPage::SystemPage(PageHost &host, QWidget *parent) : Page("TabSheet4", host, parent)
{
    auto *group = ui::group("GroupBox11", QStringLiteral("读卡器硬件状态切换"), body());
    Edit22 = ui::edit("Edit22", QStringLiteral("100"), group);
    auto *l = new QVBoxLayout(group);
    l->addWidget(Edit22);
    auto *layout = new QVBoxLayout(body());
    layout->addWidget(group);
    layout->addStretch(1);
}

int SystemPage::pauseMs() const
{
    return hex::StrToInt(Edit22->text());
}
