#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

// The two small option groups of the serial page that other pages read: the reply echo
// (GroupBox4) and the buzzer size (GroupBox28). Both stay hidden; their defaults hold.
class OptionGroups
{
public:
    explicit OptionGroups(QWidget *parent);

    QGroupBox *readingStateGroup;
    QGroupBox *buzzerGroup;
    QRadioButton *readWriteRadio;
    QRadioButton *echoRadio;
    QRadioButton *autoDetectRadio;
    QRadioButton *bigBuzzerRadio;
    QRadioButton *smallBuzzerRadio;
    QLineEdit *customByteEdit;
    QCheckBox *customByteBox;
};
