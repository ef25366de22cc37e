#include "ui/optiongroups.h"

#include "pagekit/widgets.h"

#include <QGridLayout>
#include <QVBoxLayout>

OptionGroups::OptionGroups(QWidget *parent)
{
    GroupBox4 = ui::group("GroupBox4", QStringLiteral("读卡状态切换"), parent);
    RadioButton3 = ui::radio("RadioButton3", QStringLiteral("读写状态"), true);
    RadioButton4 = ui::radio("RadioButton4", QStringLiteral("USB数据调试状态状态            "));
    RadioButton19 = ui::radio("RadioButton19", QStringLiteral("自动检测卡状态"));
    auto *l4 = new QVBoxLayout(GroupBox4);
    l4->addWidget(RadioButton3);
    l4->addWidget(RadioButton4);
    l4->addWidget(RadioButton19);

    GroupBox28 = ui::group("GroupBox28", QStringLiteral("蜂鸣器 "), parent);
    RadioButton18 = ui::radio("RadioButton18", QStringLiteral("大蜂鸣器"), true);
    RadioButton20 = ui::radio("RadioButton20", QStringLiteral("小蜂鸣器"));
    Edit23 = ui::edit("Edit23", QStringLiteral("2B"));
    Edit23->setMaximumWidth(60);
    CheckBox19 = ui::checkBox("CheckBox19", QStringLiteral("增加自定义字节    "));
    auto *l28 = new QGridLayout(GroupBox28);
    l28->addWidget(RadioButton18, 0, 0);
    l28->addWidget(RadioButton20, 0, 1);
    l28->addWidget(Edit23, 1, 0);
    l28->addWidget(CheckBox19, 1, 1);

    GroupBox4->setVisible(false);
    GroupBox28->setVisible(false);
}
