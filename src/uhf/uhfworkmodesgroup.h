#pragma once

#include "protocol/request.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class PageHost;

// The UHF module's work modes over the serial line (GroupBox38): USB HID mode, the reading
// mode, the memory sector read in active mode, and the card memory picture.
class UhfWorkModesGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit UhfWorkModesGroup(PageHost &host, QWidget *parent = nullptr);

    void Button75Click(); // Setting: the selected reading mode
    void Button76Click(); // Setting: USB HID mode
    void Button77Click(); // Sector: the card memory structure window

    // The memory-sector frame as built from the sector, password, address and length fields
    // (throws UserError for a field that is not its number of hex bytes).
    protocol::Request sectorRequest() const;
    // The line the log shows for it: the frame's head, the field texts as typed, its checksum.
    QString sectorLine(const protocol::Request &request) const;

    QRadioButton *singleEpcRadio, *passiveRadio, *multipleEpcRadio, *tidRadio, *memorySectorRadio;
    QLineEdit *sectorEdit, *sectorPasswordEdit, *sectorAddressEdit, *sectorLengthEdit;
    QPushButton *readingModeButton, *usbHidButton, *cardMemoryButton;

private:
    // Sends a module frame and returns the block that answered it: empty when none came
    // within the wait or the block is too short to hold the status byte.
    QByteArray exchange(const protocol::Request &request);
    void log(const QString &text);

    PageHost &host_;
};
