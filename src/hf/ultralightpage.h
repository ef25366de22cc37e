#pragma once

#include "pagekit/page.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

// "Ultralight": the serial number, halt, reading four pages and writing one page of
// ISO14443-A cards with 4-byte pages.
class UltralightPage : public Page
{
    Q_OBJECT
public:
    explicit UltralightPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("Ultralight"); }

    void Button55Click(); // read the serial number
    void Button17Click(); // halt
    void Button18Click(); // read four pages
    void Button54Click(); // write one page

    QRadioButton *Uli{}, *Ula{}, *Ulii{}, *Ulaa{}, *Uliii{}, *Ulaaa{};
    QListWidget *ListBox1{}, *ListBox2{};
    QLineEdit *Edit56{};
    QPushButton *Button55{}, *Button17{}, *Button18{}, *Button54{};
    QCheckBox *CheckBox8{}, *CheckBox9{}, *CheckBox10{};

private:
    QWidget *buildSerialRows();
    QWidget *buildReadWrite();

protected:
    void build() override;
};
