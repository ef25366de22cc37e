#include "sim/uhffield.h"

#include "base/errors.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

// A 64-bit mixing function (splitmix64): every number the field draws is a function of the seed
// and of what it is for, so that a field and its rounds repeat exactly for a seed.
uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// What a number is drawn for.
enum Stream : uint64_t { EpcSerial = 1, EpcBytes, TidSerial, Mean, Swing, Period, Phase, Jitter, Slot };

uint64_t draw(uint32_t seed, Stream stream, uint64_t index, uint64_t extra = 0)
{
    return mix(mix(mix(mix(seed) ^ stream) ^ index) ^ extra);
}

double unit(uint64_t v)
{
    return double(v >> 11) / double(uint64_t(1) << 53);
}

// Big-endian bit fields, as GS1 EPCs are laid out.
class BitWriter
{
public:
    void put(uint64_t value, int bits)
    {
        for (int b = bits - 1; b >= 0; --b) {
            if (used_ % 8 == 0)
                bytes_.append('\0');
            if ((value >> b) & 1)
                bytes_[used_ / 8] = char(uint8_t(bytes_[used_ / 8]) | (0x80 >> (used_ % 8)));
            ++used_;
        }
    }
    const QByteArray &bytes() const { return bytes_; }

private:
    QByteArray bytes_;
    int used_ = 0;
};

QByteArray bigEndian(uint64_t value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[bytes - 1 - i] = char(value >> (8 * i));
    return out;
}

// GS1 example company prefixes, 7 digits: partition 5 in each 96-bit scheme below.
constexpr uint64_t kCompanyA = 614141;
constexpr uint64_t kCompanyB = 4012345;
constexpr int kPartition7Digits = 5;

// Distinct by construction: every kind is told apart by its header or length, and within a
// kind the tag's index sits in the low digits or bytes.
QByteArray makeEpc(int index, uint32_t seed, const SimChip &chip)
{
    const uint64_t serial = draw(seed, EpcSerial, index) % 100000 * 1000 + uint64_t(index);
    BitWriter bits;
    switch (index % 5) {
    case 0: // SGTIN-96: header, filter (1: point of sale item), partition, prefix, item, serial
        bits.put(0x30, 8), bits.put(1, 3), bits.put(kPartition7Digits, 3);
        bits.put(kCompanyA, 24), bits.put(812345 + index % 7, 20), bits.put(serial, 38);
        return bits.bytes();
    case 1: // SSCC-96: serial reference of 10 digits, then 24 reserved zero bits
        bits.put(0x31, 8), bits.put(0, 3), bits.put(kPartition7Digits, 3);
        bits.put(kCompanyB, 24), bits.put(serial, 34), bits.put(0, 24);
        return bits.bytes();
    case 3: // GRAI-96: asset type of 5 digits
        bits.put(0x33, 8), bits.put(0, 3), bits.put(kPartition7Digits, 3);
        bits.put(kCompanyA, 24), bits.put(12345, 20), bits.put(serial, 38);
        return bits.bytes();
    default: {
        // Plain hex, as tags leave their factory: 128 bits where the chip holds them.
        const int bytes = index % 5 == 4 && chip.epcWords >= 8 ? 16 : 12;
        const QByteArray body =
            bigEndian(draw(seed, EpcBytes, index), 8) + bigEndian(draw(seed, EpcBytes, index, 1), 8);
        return QByteArray::fromHex("E2") + body.left(bytes - 3) + bigEndian(uint64_t(index), 2);
    }
    }
}

QByteArray makeTid(int index, uint32_t seed, const SimChip &chip)
{
    const uint32_t head =
        (0xE2u << 24) | (chip.extendedTid ? 0x800000u : 0u) | (uint32_t(chip.maskDesigner) << 12) | chip.modelNumber;
    // 48-bit serial, its low 16 bits the tag's index so that no two tags share it.
    const uint64_t serial = ((draw(seed, TidSerial, index) << 16) | uint64_t(index)) & 0xFFFFFFFFFFFFull;
    // The extended header 2000 announces the 48-bit serial that follows.
    const QByteArray tail =
        chip.extendedTid ? QByteArray::fromHex("2000") : bigEndian(draw(seed, TidSerial, index, 1), 2);
    return bigEndian(head, 4) + tail + bigEndian(serial, 6);
}

UhfTag makeTag(int index, uint32_t seed, const SimChip &chip)
{
    UhfTag tag;
    tag.guards = {UhfTag::Guard::Open, UhfTag::Guard::Open, UhfTag::Guard::Never, UhfTag::Guard::Open};
    const QByteArray epc = makeEpc(index, seed, chip);
    tag.epcBank = QByteArray(2 * (2 + chip.epcWords), '\0');
    tag.epcBank[2] = char((epc.size() / 2) << 3); // the PC word's length field, in words
    tag.epcBank.replace(4, epc.size(), epc);
    tag.updateCrc();
    tag.tid = makeTid(index, seed, chip);
    tag.user = QByteArray(2 * chip.userWords, '\0');
    const QByteArray password = bigEndian(UhfField::kAccessPassword, 4);
    switch (index) {
    case UhfField::kPasswordTag:
        tag.reserved.replace(4, 4, password);
        tag.guards[0] = UhfTag::Guard::Password;
        break;
    case UhfField::kLockedEpcTag:
        tag.guards[1] = UhfTag::Guard::Never;
        break;
    case UhfField::kLockedUserTag:
        tag.reserved.replace(4, 4, password);
        tag.guards[0] = UhfTag::Guard::Password;
        tag.guards[3] = UhfTag::Guard::Password;
        break;
    default:
        break;
    }
    return tag;
}

} // namespace

UhfField::UhfField(int count, uint32_t seed) : seed_(seed)
{
    const std::span<const SimChip> chips = simulatedChips();
    count = std::clamp(count, 0, kMaxTags);
    for (int i = 0; i < count; ++i) {
        // Steps of 5 through the 12 chips: every model turns up among the first dozen tags.
        size_t c = size_t(i * 5 + int(seed % chips.size())) % chips.size();
        while (i == kLockedUserTag && chips[c].userWords == 0)
            c = (c + 1) % chips.size();
        chips_.push_back(&chips[c]);
        tags_.push_back(makeTag(i, seed, chips[c]));
        motion_.push_back(Motion{-72.0 + 32.0 * unit(draw(seed, Mean, i)), 2.0 + 10.0 * unit(draw(seed, Swing, i)),
                                 6000.0 + 34000.0 * unit(draw(seed, Period, i)),
                                 2 * std::numbers::pi * unit(draw(seed, Phase, i))});
    }
    answered_.assign(tags_.size(), false);
}

std::vector<int> UhfField::roundWinners()
{
    ++round_;
    if (std::find(answered_.begin(), answered_.end(), false) == answered_.end())
        std::fill(answered_.begin(), answered_.end(), false);
    std::vector<std::pair<uint64_t, int>> picks;
    for (int i = 0; i < size(); ++i)
        if (!answered_[size_t(i)])
            picks.emplace_back(0, i);
    // As many slots as tags waiting, rounded up to a power of two: a reader's Q.
    uint64_t slotCount = 1;
    while (slotCount < picks.size())
        slotCount <<= 1;
    for (auto &[slot, index] : picks)
        slot = draw(seed_, Slot, uint64_t(index), round_) % slotCount;
    std::sort(picks.begin(), picks.end());
    std::vector<int> winners;
    for (size_t k = 0; k < picks.size(); ++k) {
        const bool alone = (k == 0 || picks[k - 1].first != picks[k].first) &&
                           (k + 1 == picks.size() || picks[k + 1].first != picks[k].first);
        if (alone) // two tags in one slot collide and neither is heard
            winners.push_back(picks[k].second);
    }
    return winners;
}

int8_t UhfField::rssi(int index, int64_t msSinceFill) const
{
    const Motion &m = motion_[size_t(index)];
    const double wave = m.swingDb * std::sin(2 * std::numbers::pi * double(msSinceFill) / m.periodMs + m.phase);
    // A step of noise every quarter second, as a reader's readings scatter.
    const int jitter = int(draw(seed_, Jitter, uint64_t(index), uint64_t(msSinceFill / 250)) % 3) - 1;
    return int8_t(std::clamp(std::lround(m.meanDbm + wave) + jitter, -90L, -25L));
}

std::vector<UhfField::WrittenMemory> UhfField::writtenMemory() const
{
    const UhfField made(size(), seed_);
    std::vector<WrittenMemory> written;
    for (int i = 0; i < size(); ++i) {
        const UhfTag &now = tag(i), &before = made.tag(i);
        if (now.reserved != before.reserved || now.epcBank != before.epcBank || now.user != before.user)
            written.push_back({i, now.reserved, now.epcBank, now.user});
    }
    return written;
}

bool UhfField::restore(const WrittenMemory &memory)
{
    if (memory.index < 0 || memory.index >= size())
        return false;
    UhfTag &t = tag(memory.index);
    if (memory.reserved.size() != t.reserved.size() || memory.epcBank.size() != t.epcBank.size() ||
        memory.user.size() != t.user.size())
        return false;
    t.reserved = memory.reserved;
    t.epcBank = memory.epcBank;
    t.user = memory.user;
    return true;
}

int UhfField::parseSize(const QString &text)
{
    const QString digits = text.trimmed();
    const bool allDigits =
        !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    bool fits = false;
    const int count = digits.toInt(&fits);
    if (!allDigits || !fits || count > kMaxTags)
        throw UserError(QStringLiteral("%1 must be a whole number of tags from 0 to %2, not '%3'.")
                            .arg(QLatin1String(kSizeVariable))
                            .arg(kMaxTags)
                            .arg(text));
    return count;
}

std::optional<int> UhfField::sizeFromEnvironment()
{
    if (!qEnvironmentVariableIsSet(kSizeVariable))
        return std::nullopt;
    return parseSize(qEnvironmentVariable(kSizeVariable));
}
