#pragma once

#include "link/usbtransport.h"
#include "sim/faultplan.h"
#include "sim/hfreader.h"
#include "sim/keyboardreader.h"
#include "sim/uhfmodule.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

// A reader in process behind the USB transport. Each frame written is checked (header,
// LEN, check byte, trailer) and answered at once in the reply layout
// AA ADDR LEN STATUS DATA... XOR BB; read() hands that answer over once.
class SimulatedReader : public QObject, public SyncUsbTransport
{
    Q_OBJECT
public:
    enum class Personality { Keyboard, Hf };

    // "keyboard" (also the empty name) or "hf"; nothing for any other name.
    static std::optional<Personality> personalityFromName(const QString &name);
    static QString personalityName(Personality p);

    explicit SimulatedReader(Personality personality = Personality::Keyboard, QObject *parent = nullptr);

    int write(const QByteArray &frame) override;
    QByteArray read(int timeoutMs) override;
    QString description() const override;

    Personality personality() const { return personality_; }

    // The reply a frame gets, without the one-shot faults; empty for silence.
    QByteArray answerFrame(const QByteArray &frame);

    // Faults for the next command (shared with the serial module when one is attached).
    FaultPlan &faults() { return faults_; }
    void failNextWith(uint8_t code);
    void silenceNext();
    void damageNext();

    // State for inspection and for a trainer's changes.
    UhfModule &uhf() { return uhf_; }
    HfReader &hf() { return hf_; }
    KeyboardReader &keyboard() { return keyboard_; }
    QString currentEpc() const; // upper-case hex, empty without a tag
    const QStringList &tagLog() const { return uhf_.tagLog(); }
    QByteArray mifareBlock(int block) const;
    QStringList iso15693Uids() const; // as the inventory shows them, E0 first
    int framesReceived() const { return framesReceived_; }
    const QByteArray &lastFrame() const { return lastFrame_; }

    // Builds a reply frame for the given reader address.
    static QByteArray replyFrame(uint8_t address, uint8_t status, const QByteArray &data);

signals:
    // Something in the field or the settings changed (after every command, too).
    void changed();

private:
    uint8_t address() const;

    Personality personality_;
    UhfModule uhf_;
    HfReader hf_;
    KeyboardReader keyboard_;
    FaultPlan faults_;
    QByteArray pending_;
    QByteArray lastFrame_;
    int framesReceived_ = 0;
};
