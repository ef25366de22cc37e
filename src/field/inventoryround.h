#pragma once

#include "field/tagread.h"

#include <QString>
#include <vector>

namespace field
{

class ModuleChannel;

// One inventory round: one inventory command, the tag frames of its reply.
struct Round {
    enum class Status {
        Tags,        // tags were heard (reads)
        Empty,       // the module's "no tag": none heard in this round, which with many tags
                     // happens although tags are there (every tag collided)
        NoAnswer,    // no reply, a damaged one, or a module error other than "no tag"
        ReaderGone,  // the reader cannot be reached
        Unsupported, // the reader or module does not know the inventory
    };
    Status status = Status::NoAnswer;
    std::vector<TagRead> reads;
    int cutBytes = 0; // bytes of a frame the reader's reply area cut, ignored
    QString why;      // NoAnswer, ReaderGone, Unsupported: in words
};

// Sends one inventory command and reads its reply: each tag frame a read stamped with the
// application clock; a last frame the reply area cut is ignored, and so is an error frame
// among tag frames.
Round inventoryRound(ModuleChannel &channel);

} // namespace field
