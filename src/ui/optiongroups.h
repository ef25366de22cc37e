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

    QGroupBox *GroupBox4;
    QGroupBox *GroupBox28;
    QRadioButton *RadioButton3;
    QRadioButton *RadioButton4;
    QRadioButton *RadioButton19;
    QRadioButton *RadioButton18;
    QRadioButton *RadioButton20;
    QLineEdit *Edit23;
    QCheckBox *CheckBox19;
};
