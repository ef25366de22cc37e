#pragma once

#include "pagekit/page.h"
#include "protocol/request.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

// "Prefix &suffix Data Input": the bytes typed around each card number and the output
// parameters of a UHF reader. Every button sends one setting; one table drives them all.
class OutputDevicePage : public Page
{
    Q_OBJECT
public:
    explicit OutputDevicePage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("Prefix &suffix Data Input"); }

    void Button43Click(); // prefix
    void Button50Click(); // suffix
    void Button30Click(); // search card interval
    void Button35Click(); // card filter number
    void Button41Click(); // output interfaces
    void Button71Click(); // USB virtual serial port
    void Button51Click(); // baud rate
    void Button56Click(); // serial end symbol
    void Button62Click(); // RF power
    void Button58Click(); // Wiegand format
    void Button59Click(); // Wiegand value position
    void Button60Click(); // Wiegand low-level pulse width
    void Button61Click(); // Wiegand idle level

    QLineEdit *prefix1Edit{}, *prefix2Edit{}, *prefix3Edit{}, *prefix4Edit{}; // prefix bytes
    QLineEdit *suffix1Edit{}, *suffix2Edit{}, *suffix3Edit{}, *suffix4Edit{}; // suffix bytes
    QLineEdit *intervalEdit{}, *filterEdit{}, *endSymbolEdit{}, *rfPowerEdit{}, *wiegandFormatEdit{},
        *wiegandPositionEdit{}, *wiegandPulseEdit{}, *wiegandIdleEdit{};
    QRadioButton *serialOpenRadio{}, *serialCloseRadio{}, *wiegandOpenRadio{}, *wiegandCloseRadio{}, *usbOpenRadio{},
        *usbCloseRadio{};
    QComboBox *baudRateList{};
    QPushButton *prefixButton{}, *suffixButton{}, *intervalButton{}, *filterButton{}, *interfacesButton{},
        *usbSerialButton{}, *baudRateButton{}, *endSymbolButton{}, *rfPowerButton{}, *wiegandFormatButton{},
        *wiegandPositionButton{}, *wiegandPulseButton{}, *wiegandIdleButton{};

private:
    using ButtonMember = QPushButton *OutputDevicePage::*;
    // The command a button sends with the page's current fields (throws UserError).
    protocol::Request requestFor(ButtonMember button) const;
    void buildAffixGroup();
    void buildDeviceGroup();
    void send(ButtonMember button);

protected:
    void build() override;
};
