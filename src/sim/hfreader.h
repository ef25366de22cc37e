#pragma once

#include "sim/hfcards.h"
#include "sim/simcommand.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

// The HF reader personality: its own settings and the cards in its field.
class HfReader
{
public:
    HfReader();

    SimAnswer answer(const SimCommand &command);

    // Reader settings.
    uint8_t address = 0x00;
    QByteArray serialNumber = QByteArray::fromHex("2024000000000001");
    uint8_t baudCode = 0x00;
    QByteArray led, ledR, buzzer; // period and count of the last setting
    uint8_t readingMode = 0x02;   // 0x01 active, 0x02 passive

    // The field. With cardsPresent false no card answers.
    bool cardsPresent = true;
    MifareCard mifare;
    UltralightCard ultralight;
    QList<Iso15693Tag> iso15693;
    int selected15693 = -1;
    TypeBCard typeB;
    IdCard idCard;

private:
    SimAnswer system(const SimCommand &c);
    SimAnswer mifareBlocks(const SimCommand &c);
    SimAnswer mifareValue(const SimCommand &c);
    SimAnswer mifareCardNumber(const SimCommand &c);
    SimAnswer halt();
    SimAnswer ultralightCommand(const SimCommand &c);
    SimAnswer typeBCommand(const SimCommand &c);
    SimAnswer idCardCommand(const SimCommand &c);
    SimAnswer iso15693Command(const SimCommand &c);
    SimAnswer iso15693Inventory(const SimCommand &c);

    // Wakes the Mifare card for a request of the given kind; false when it does not answer.
    bool wakeMifare(bool all);
    bool wakeUltralight(bool all);
};
