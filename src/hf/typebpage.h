#pragma once

#include "pagekit/page.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

// "ISO14443B": type B card request, Attrib and send data, and the resident identity card's
// ID number and file ID, with their repeat modes.
class TypeBPage : public Page
{
    Q_OBJECT
public:
    explicit TypeBPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("ISO14443B"); }

    void Button31Click(); // card request
    void Button33Click(); // Attrib
    void Button36Click(); // send data
    void Button19Click(); // read ID number
    void Button22Click(); // read file ID number

    // The line send data adds for an error code; empty for a code it does not list.
    static QString sendDataStatus(const QString &code);

    QPushButton *requestButton{}, *anticollisionButton{}, *attribButton{}, *resetButton{}, *sendDataButton{},
        *idNumberButton{}, *fileIdButton{};
    QCheckBox *requestRepeatBox{}, *idNumberRepeatBox{}, *fileIdRepeatBox{};
    QLineEdit *cardIdEdit{}, *dataEdit{};

private:
    void readIdCard(bool fileId);

protected:
    void build() override;
};
