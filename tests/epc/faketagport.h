#pragma once

#include "epc/tagport.h"

#include <QByteArray>
#include <QList>
#include <deque>
#include <functional>
#include <vector>

// A reader with tags in its field, and a person who places and removes them as the job cues:
// every wait of the job is one step of that person.
struct FakeTag {
    QByteArray epc = QByteArray::fromHex("E20000000000000000000000"); // a blank label's EPC
    QByteArray tid;
    int refusals = 0;           // writes it refuses before it takes one (-1: always, a locked tag)
    QByteArray takes;           // a write leaves this value instead of the one sent
    bool leavesOnWrite = false; // pulled away during the write
};

class FakeTagPort : public epc::TagPort
{
public:
    bool tids = true;            // the reader can read TIDs
    bool unplugWhenIdle = false; // the person unplugs the reader when nothing is left to place
    bool unplugged = false;
    std::vector<FakeTag> field;               // in the field now
    std::deque<std::vector<FakeTag>> toPlace; // what the person places next, one group at a time
    std::vector<FakeTag> removed;             // taken away, with what they hold
    QList<QByteArray> writes;                 // every EPC sent to a tag, in order
    bool removeAsked = false;                 // the job cued the person to take the tag away
    std::function<void()> onIdle;             // the person has nothing left to place
    std::function<void()> onStep;             // every step, before the person acts

    // One step of the person: take the tag away when asked, or place the next group.
    void step();

    epc::PortStatus inventory(std::vector<epc::FieldTag> &tags) override;
    epc::PortStatus readTid(const epc::FieldTag &tag, QByteArray &tid) override;
    epc::PortStatus writeEpc(const epc::FieldTag &tag, const QByteArray &epc, quint32 password) override;
    epc::PortStatus readEpc(const epc::FieldTag &tag, QByteArray &epc) override;

private:
    FakeTag *find(const epc::FieldTag &tag);
    bool gone() const { return unplugged; }
};
