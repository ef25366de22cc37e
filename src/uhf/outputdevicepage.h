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

    QLineEdit *Edit24{}, *Edit25{}, *Edit26{}, *Edit27{}; // prefix bytes
    QLineEdit *Edit44{}, *Edit45{}, *Edit46{}, *Edit47{}; // suffix bytes
    QLineEdit *Edit29{}, *Edit35{}, *Edit37{}, *Edit52{}, *Edit39{}, *Edit40{}, *Edit42{}, *Edit51{};
    QRadioButton *RadioButton23{}, *RadioButton24{}, *RadioButton25{}, *RadioButton26{}, *RadioButton27{},
        *RadioButton28{};
    QComboBox *ComboBox20{};
    QPushButton *Button43{}, *Button50{}, *Button30{}, *Button35{}, *Button41{}, *Button71{}, *Button51{}, *Button56{},
        *Button62{}, *Button58{}, *Button59{}, *Button60{}, *Button61{};

private:
    // The command a button sends with the page's current fields (throws UserError).
    protocol::Request requestFor(const QString &button) const;
    void buildAffixGroup();
    void buildDeviceGroup();
    void send(const char *button);

protected:
    void build() override;
};
