#pragma once

#include "pagekit/page.h"

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

    // Added to Edit61 between two passes of the automatic loop.
    static constexpr int kLoopExtraMs = 100;
    static constexpr int kMaxLoopPauseMs = 3600000;

    // Reader mode switch.
    QRadioButton *RadioButton30{}, *RadioButton31{}, *RadioButton32{}, *RadioButton33{}, *RadioButton36{};
    QLineEdit *Edit65{}, *Edit66{}, *Edit67{}, *Edit68{};
    QPushButton *Button69{}, *Button72{};

    // Write EPC card number.
    QLineEdit *Edit54{}, *Edit62{}, *Edit63{}, *Edit61{};
    QRadioButton *Forward{}, *reverse{};
    QPushButton *Button65{}, *Button67{}, *Button66{}, *Button70{};
    QCheckBox *CheckBox20{};

    // Never shown: the EPC found by Read, the EPC found by Write's inventory, the EPC
    // written last.
    QLineEdit *Edit53{}, *Edit60{}, *epcbuf{};

private:
    QGroupBox *buildModeGroup();
    QGroupBox *buildWriteGroup();
    void log(const QString &text);
    // The inventory of Readsnr and Read, with their lines; the EPC shown, or empty.
    QByteArray readsnr();
    // The access password of Edit63 as 4 bytes (throws UserError).
    QByteArray accessPassword() const;
    int loopPauseMs() const;
    void showLoopState();

protected:
    void build() override;
};
