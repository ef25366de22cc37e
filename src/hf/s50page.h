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
    QRadioButton *readIdleRadio{}, *readAllRadio{}, *readKeyARadio{}, *readKeyBRadio{};
    QComboBox *readStartList{}, *readCountList{}, *readKeyList{};
    QPushButton *readButton{};
    QCheckBox *readRepeatBox{};
    // Write row.
    QRadioButton *writeIdleRadio{}, *writeAllRadio{}, *writeKeyARadio{}, *writeKeyBRadio{};
    QComboBox *writeStartList{}, *writeCountList{}, *writeKeyList{};
    QLineEdit *writeDataEdit{};
    QPushButton *writeButton{};
    QCheckBox *writeRepeatBox{};
    // Halt and card number.
    QPushButton *haltButton{}, *cardNumberButton{};
    QRadioButton *cardNumberIdleRadio{}, *cardNumberAllRadio{}, *noHaltRadio{}, *haltRadio{};
    QCheckBox *cardNumberRepeatBox{};
    // Value rows: initialise, increment, decrement.
    QPushButton *initValueButton{}, *incrementButton{}, *decrementButton{};
    // Address choice and the write-then-read repeat.
    QRadioButton *address10Radio{}, *address11Radio{};
    QCheckBox *writeReadRepeatBox{};

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
