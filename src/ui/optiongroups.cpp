#include "ui/optiongroups.h"

#include "pagekit/widgets.h"

#include <QGridLayout>
#include <QVBoxLayout>

OptionGroups::OptionGroups(QWidget *parent)
{
    readingStateGroup = ui::group("GroupBox4", QStringLiteral("读卡状态切换"), parent);
    readWriteRadio = ui::radio("RadioButton3", QStringLiteral("读写状态"), true);
    echoRadio = ui::radio("RadioButton4", QStringLiteral("USB数据调试状态状态            "));
    autoDetectRadio = ui::radio("RadioButton19", QStringLiteral("自动检测卡状态"));
    auto *l4 = new QVBoxLayout(readingStateGroup);
    l4->addWidget(readWriteRadio);
    l4->addWidget(echoRadio);
    l4->addWidget(autoDetectRadio);

    buzzerGroup = ui::group("GroupBox28", QStringLiteral("蜂鸣器 "), parent);
    bigBuzzerRadio = ui::radio("RadioButton18", QStringLiteral("大蜂鸣器"), true);
    smallBuzzerRadio = ui::radio("RadioButton20", QStringLiteral("小蜂鸣器"));
    customByteEdit = ui::edit("Edit23", QStringLiteral("2B"));
    customByteEdit->setMaximumWidth(60);
    customByteBox = ui::checkBox("CheckBox19", QStringLiteral("增加自定义字节    "));
    auto *l28 = new QGridLayout(buzzerGroup);
    l28->addWidget(bigBuzzerRadio, 0, 0);
    l28->addWidget(smallBuzzerRadio, 0, 1);
    l28->addWidget(customByteEdit, 1, 0);
    l28->addWidget(customByteBox, 1, 1);

    readingStateGroup->setVisible(false);
    buzzerGroup->setVisible(false);
}
