#pragma once

#include "ui/page.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

// "系统命令": the HF reader's own settings (address, baud rate, serial number, LED, LED-R,
// buzzer), its active and passive card reading, and the pause of the HF repeat loops.
class SystemPage : public Page
{
    Q_OBJECT
public:
    explicit SystemPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("系统命令"); }

    void Button12Click(); // set baud rate
    void Button4Click();  // read address
    void Button11Click(); // set address
    void Button14Click(); // read serial number
    void Button13Click(); // set serial number
    void Button20Click(); // LED
    void Button23Click(); // LED-R
    void Button21Click(); // buzzer
    void Button52Click(); // active card reading
    void Button53Click(); // passive card reading
    void Edit22Change();

    // Edit22 as a decimal integer; throws UserError when it is not one.
    int pauseMs() const;

    // The code byte of a baud rate text ("9600" -> "00"); empty for any other text.
    static QString baudCode(const QString &text);

    QComboBox *ComboBox5;
    QLineEdit *Edit4, *Edit9, *Edit30, *Edit31, *Edit11, *Edit12, *Edit33, *Edit34, *Edit22;
    QPushButton *Button12, *Button4, *Button11, *Button14, *Button13, *Button20, *Button23, *Button21;
    QPushButton *Button52, *Button53;

    struct Command;

private:
    void run(const Command &command);
};
