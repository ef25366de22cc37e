#pragma once

#include "pagekit/page.h"
#include "protocol/mifare.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

// "S50/S70": blocks and value blocks of ISO14443-A memory cards, halt, the card number, and
// the device address of every later HF frame.
class S50Page : public Page
{
    Q_OBJECT
public:
    explicit S50Page(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("S50/S70"); }

    void Button8Click();  // read blocks
    void Button9Click();  // write blocks
    void Button16Click(); // halt
    void Button29Click(); // read the card number
    void Button26Click(); // initialise a value block
    void Button10Click(); // increment
    void Button15Click(); // decrement
    void RadioButton1Click();
    void RadioButton2Click();

    // Read row.
    QRadioButton *reqi{}, *reqa{}, *keya{}, *keyb{};
    QComboBox *ComboBox3{}, *ComboBox6{}, *ComboBox4{};
    QPushButton *Button8{};
    QCheckBox *CheckBox2{};
    // Write row.
    QRadioButton *reqii{}, *reqaa{}, *keyaa{}, *keybb{};
    QComboBox *ComboBox7{}, *ComboBox8{}, *ComboBox9{};
    QLineEdit *Edit3{};
    QPushButton *Button9{};
    QCheckBox *CheckBox1{};
    // Halt and card number.
    QPushButton *Button16{}, *Button29{};
    QRadioButton *reql5{}, *reqa5{}, *nohalt{}, *yeshalt{};
    QCheckBox *CheckBox4{};
    // Value rows: initialise, increment, decrement.
    QPushButton *Button26{}, *Button10{}, *Button15{};
    // Address choice and the write-then-read repeat.
    QRadioButton *RadioButton2{}, *RadioButton1{};
    QCheckBox *CheckBox12{};

private:
    // The controls of one value operation and what its command and result lines differ in.
    struct ValueRow {
        protocol::mifare::ValueOp op{};
        QRadioButton *all{}, *keyB{};
        QLineEdit *sector{}, *amount{}, *key{};
        bool showsRemaining = false;
    };
    void valueOperation(const ValueRow &row);
    void addressClick();
    QWidget *buildReadRow();
    QWidget *buildWriteRow();
    QWidget *buildCardNumberRow();
    QWidget *buildValueRow(int index);

    ValueRow values_[3];

protected:
    void build() override;
};
