#include "sim/simulatedreader.h"

#include "protocol/frames.h"

std::optional<SimulatedReader::Personality> SimulatedReader::personalityFromName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String("keyboard"))
        return Personality::Keyboard;
    if (name == QLatin1String("hf"))
        return Personality::Hf;
    return std::nullopt;
}

QString SimulatedReader::personalityName(Personality p)
{
    return p == Personality::Hf ? QStringLiteral("hf") : QStringLiteral("keyboard");
}

SimulatedReader::SimulatedReader(Personality personality, QObject *parent)
    : QObject(parent), personality_(personality), keyboard_(uhf_)
{
    connect(&uhf_, &UhfModule::changed, this, &SimulatedReader::changed);
}

QString SimulatedReader::description() const
{
    return personality_ == Personality::Hf ? QStringLiteral("simulated HF reader")
                                           : QStringLiteral("simulated keyboard-output UHF reader");
}

uint8_t SimulatedReader::address() const
{
    return personality_ == Personality::Hf ? hf_.address : keyboard_.address;
}

QByteArray SimulatedReader::replyFrame(uint8_t address, uint8_t status, const QByteArray &data)
{
    QByteArray f;
    f.append(char(0xAA));
    f.append(char(address));
    f.append(char(1 + data.size()));
    f.append(char(status));
    f.append(data);
    uint8_t x = 0;
    for (int i = 1; i < f.size(); ++i)
        x ^= uint8_t(f[i]);
    f.append(char(x));
    f.append(char(0xBB));
    return f;
}

QByteArray SimulatedReader::answerFrame(const QByteArray &frame)
{
    // AA ADDR LEN BODY XOR BB, LEN counting the body.
    const int n = int(frame.size());
    const bool framed =
        n >= 5 && uint8_t(frame[0]) == 0xAA && uint8_t(frame[2]) == n - 5 && uint8_t(frame[n - 1]) == 0xBB;
    uint8_t x = 0;
    for (int i = 1; framed && i < n - 2; ++i)
        x ^= uint8_t(frame[i]);
    if (!framed || x != uint8_t(frame[n - 2]))
        return replyFrame(address(), 0x01, QByteArray(1, char(simcode::kBadFrame)));
    if (n == 5) // a frame without a command
        return replyFrame(address(), 0x01, QByteArray(1, char(simcode::kBadLength)));

    const SimCommand command{uint8_t(frame[3]), frame.mid(4, n - 6)};
    const uint8_t replyAddress = address(); // a new address applies from the next frame on
    const SimAnswer a = personality_ == Personality::Hf ? hf_.answer(command) : keyboard_.answer(command);
    if (a.silent)
        return {};
    return replyFrame(replyAddress, a.status, a.data.left(kMaxReplyData));
}

int SimulatedReader::write(const QByteArray &frame)
{
    pending_.clear();
    if (frame.isEmpty())
        return 0;
    if (frame.size() > frames::kMaxFrameBytes)
        return 0; // more than the reader's send buffer holds never reaches it
    ++framesReceived_;
    lastFrame_ = frame;
    switch (faults_.take()) {
    case FaultPlan::Kind::Silent:
        break;
    case FaultPlan::Kind::Fail:
        pending_ = replyFrame(address(), 0x01, QByteArray(1, char(faults_.code())));
        break;
    case FaultPlan::Kind::Damage:
        pending_ = replyFrame(address(), 0x02, QByteArray(1, '\0'));
        break;
    case FaultPlan::Kind::None:
        pending_ = answerFrame(frame);
        break;
    }
    emit changed();
    return int(frame.size());
}

QByteArray SimulatedReader::read(int)
{
    QByteArray reply = pending_;
    pending_.clear();
    return reply.left(kReplySize);
}

void SimulatedReader::failNextWith(uint8_t code)
{
    faults_.failNextWith(code);
    emit changed();
}

void SimulatedReader::silenceNext()
{
    faults_.silenceNext();
    emit changed();
}

void SimulatedReader::damageNext()
{
    faults_.damageNext();
    emit changed();
}

QString SimulatedReader::currentEpc() const
{
    const auto &tag = uhf_.tag();
    return tag ? QString::fromLatin1(tag->epc().toHex().toUpper()) : QString();
}

QByteArray SimulatedReader::mifareBlock(int block) const
{
    return block >= 0 && block < MifareCard::kBlocks ? hf_.mifare.blocks[block] : QByteArray();
}

QStringList SimulatedReader::iso15693Uids() const
{
    QStringList uids;
    for (const Iso15693Tag &t : hf_.iso15693)
        uids.append(QString::fromLatin1(t.uidMsbFirst().toHex().toUpper()));
    return uids;
}
