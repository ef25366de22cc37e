#pragma once

#include "pagekit/page.h"
#include "protocol/request.h"

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

    // The wait field (Edit22) as a decimal integer; throws UserError when it is not one.
    int pauseMs() const;

    QComboBox *baudRateList{};
    QLineEdit *addressEdit{}, *serialNumberEdit{}, *ledPeriodEdit{}, *ledCountEdit{}, *ledRPeriodEdit{},
        *ledRCountEdit{}, *buzzerPeriodEdit{}, *buzzerCountEdit{}, *pauseEdit{};
    QPushButton *setBaudRateButton{}, *readAddressButton{}, *setAddressButton{}, *readSerialNumberButton{},
        *setSerialNumberButton{}, *ledButton{}, *ledRButton{}, *buzzerButton{};
    QPushButton *activeReadingButton{}, *passiveReadingButton{};

    struct Command;
    // The commands the buttons send with the page's current fields (throw UserError for a field
    // that is not its number of hex bytes).
    protocol::Request identityRequest() const;
    protocol::Request addressRequest() const;
    protocol::Request baudRequest() const;
    protocol::Request serialRequest() const;
    // name: the row's label ("led", "led-R", "buzzer"), which the messages use.
    protocol::Request signalRequest(int which, const QString &name, const QLineEdit *period,
                                    const QLineEdit *count) const;
    protocol::Request ledRequest() const;
    protocol::Request ledRRequest() const;
    protocol::Request buzzerRequest() const;

private:
    void run(const Command &command);

protected:
    void build() override;
};
