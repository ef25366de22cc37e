#pragma once

#include "sim/simchips.h"
#include "sim/uhftag.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Many tags in the simulated field, all made from a seed so that a run can be repeated: distinct
// EPCs (GS1 SGTIN-96, SSCC-96 and GRAI-96, plain 96-bit and 128-bit hex), TIDs of real chip
// models with their memory sizes, a few tags with passwords and locks, and a signal strength
// per tag that drifts as if the tags moved.
class UhfField
{
public:
    static constexpr int kMaxTags = 500;
    static constexpr uint32_t kDefaultSeed = 1;
    static constexpr const char *kSizeVariable = "RFID_SIM_FIELD";

    // Tags with something to find out, when the field holds that many. Their access password
    // is kAccessPassword.
    static constexpr int kPasswordTag = 1;   // reserved bank locked: read and written with it
    static constexpr int kLockedEpcTag = 2;  // EPC bank permalocked
    static constexpr int kLockedUserTag = 3; // user bank locked: written with the password
    static constexpr uint32_t kAccessPassword = 0xC0FFEE01;

    // count from 0 to kMaxTags.
    UhfField(int count, uint32_t seed);

    int size() const { return int(tags_.size()); }
    uint32_t seed() const { return seed_; }
    UhfTag &tag(int index) { return tags_[size_t(index)]; }
    const UhfTag &tag(int index) const { return tags_[size_t(index)]; }
    const SimChip &chip(int index) const { return *chips_[size_t(index)]; }

    // One inventory round: the tags that won a slot of their own, in slot order. A tag that
    // answered keeps quiet until every tag has answered once, as under a reader that flips
    // its target each time the field is through, so that over rounds every tag is seen.
    std::vector<int> roundWinners();
    // The tag was heard in this round's reply.
    void markAnswered(int index) { answered_[size_t(index)] = true; }

    // The signal strength the module reports for a tag msSinceFill after the field was filled:
    // a signed byte, taken as dBm.
    int8_t rssi(int index, int64_t msSinceFill) const;

    // What writes change of a tag (its reserved, EPC and user banks), kept between runs.
    struct WrittenMemory {
        int index = 0;
        QByteArray reserved, epcBank, user;
    };
    // The tags whose memory differs from what the seed made them with.
    std::vector<WrittenMemory> writtenMemory() const;
    // Puts memory written before back into its tag; false (nothing changed) when the index is
    // not a tag of this field or a bank's size is not that tag's.
    bool restore(const WrittenMemory &memory);

    // The number of tags from the text of RFID_SIM_FIELD; throws UserError naming the variable
    // and what it takes.
    static int parseSize(const QString &text);
    // The number RFID_SIM_FIELD gives; nothing when it is not set. Throws as parseSize.
    static std::optional<int> sizeFromEnvironment();

private:
    // How a tag moves: its signal swings around a mean.
    struct Motion {
        double meanDbm;
        double swingDb;
        double periodMs;
        double phase;
    };

    uint32_t seed_;
    uint64_t round_ = 0;
    std::vector<UhfTag> tags_;
    std::vector<const SimChip *> chips_;
    std::vector<Motion> motion_;
    std::vector<bool> answered_;
};
