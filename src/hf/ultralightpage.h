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

    QRadioButton *serialIdleRadio{}, *serialAllRadio{}, *readIdleRadio{}, *readAllRadio{}, *writeIdleRadio{},
        *writeAllRadio{};
    QListWidget *readPageList{}, *writePageList{};
    QLineEdit *pageDataEdit{};
    QPushButton *readSerialButton{}, *haltButton{}, *readButton{}, *writeButton{};
    QCheckBox *readSerialRepeatBox{}, *readRepeatBox{}, *writeRepeatBox{};

private:
    QWidget *buildSerialRows();
    QWidget *buildReadWrite();

protected:
    void build() override;
};
