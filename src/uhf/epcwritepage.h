#pragma once

#include "pagekit/page.h"
#include "pagekit/repeatloop.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

// "UHF Write Card": the reader's UHF reading mode, the EPC of the tag in the field, and the
// writing of numbered EPCs tag after tag, by hand or automatically.
class EpcWritePage : public Page
{
    Q_OBJECT
public:
    explicit EpcWritePage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("UHF Write Card"); }

    void Button69Click();   // Set (reader mode)
    void Button72Click();   // Sector
    void Button65Click();   // Readsnr
    void Button67Click();   // Read
    void Button66Click();   // Write
    void CheckBox20Click(); // Automatic card / Stop card
    void Button70Click();   // Clear interface

    // Added to the waiting time between two passes of the automatic loop.
    static constexpr int kLoopExtraMs = 100;
    static constexpr int kMaxLoopPauseMs = 3600000;

    // Reader mode switch.
    QRadioButton *singleCardRadio{}, *passiveRadio{}, *multipleCardsRadio{}, *tidRadio{}, *memorySectorRadio{};
    QLineEdit *sectorEdit{}, *sectorPasswordEdit{}, *sectorAddressEdit{}, *sectorLengthEdit{};
    QPushButton *setModeButton{}, *sectorButton{};

    // Write EPC card number.
    QLineEdit *cardNumberEdit{}, *stepEdit{}, *accessPasswordEdit{}, *waitingTimeEdit{};
    QRadioButton *plusRadio{}, *reverseRadio{};
    QPushButton *readsnrButton{}, *readButton{}, *writeButton{}, *clearButton{};
    QCheckBox *automaticBox{};

    // Never shown: the EPC found by Read, the EPC found by Write's inventory, the EPC
    // written last.
    QLineEdit *readEpcEdit{}, *foundEpcEdit{}, *writtenEpcEdit{};

private:
    QGroupBox *buildModeGroup();
    QGroupBox *buildWriteGroup();
    void log(const QString &text);
    // The inventory of Readsnr and Read, with their lines; the EPC shown, or empty.
    QByteArray readsnr();
    // The access password as 4 bytes (throws UserError).
    QByteArray accessPassword() const;
    int loopPauseMs() const;
    // The automatic loop: Write, then a plain wait of the waiting time and kLoopExtraMs.
    RepeatBox automaticLoop();

protected:
    void build() override;
};
