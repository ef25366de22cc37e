#include "faketagport.h"

using epc::FieldTag;
using epc::PortStatus;

void FakeTagPort::step()
{
    if (onStep)
        onStep();
    if (removeAsked) {
        removed.insert(removed.end(), field.begin(), field.end());
        field.clear();
        removeAsked = false;
    } else if (field.empty() && !toPlace.empty()) {
        field = toPlace.front();
        toPlace.pop_front();
    } else if (field.empty() && unplugWhenIdle) {
        unplugged = true;
    } else if (field.empty() && onIdle) {
        onIdle();
    }
}

FakeTag *FakeTagPort::find(const FieldTag &tag)
{
    for (FakeTag &t : field)
        if (t.epc == tag.epc && (tag.tid.isEmpty() || t.tid == tag.tid))
            return &t;
    return nullptr;
}

PortStatus FakeTagPort::inventory(std::vector<FieldTag> &tags)
{
    if (gone())
        return PortStatus::ReaderGone;
    for (const FakeTag &t : field)
        tags.push_back(FieldTag{t.epc, {}});
    return PortStatus::Ok;
}

PortStatus FakeTagPort::readTid(const FieldTag &tag, QByteArray &tid)
{
    if (!tids)
        return PortStatus::Unsupported;
    const FakeTag *t = find(tag);
    if (!t)
        return PortStatus::NoTag;
    tid = t->tid;
    return PortStatus::Ok;
}

PortStatus FakeTagPort::writeEpc(const FieldTag &tag, const QByteArray &epc, quint32)
{
    if (gone())
        return PortStatus::ReaderGone;
    FakeTag *t = find(tag);
    if (!t)
        return PortStatus::NoTag;
    if (field.size() > 1)
        return PortStatus::SeveralTags;
    writes << epc;
    if (t->refusals != 0) {
        if (t->refusals > 0)
            --t->refusals;
        return PortStatus::Refused;
    }
    t->epc = t->takes.isEmpty() ? epc : t->takes;
    if (t->leavesOnWrite) {
        t->epc = epc.left(4) + t->epc.mid(4).fill('\0'); // half written
        removed.push_back(*t);
        field.clear();
        return PortStatus::NoTag;
    }
    return PortStatus::Ok;
}

PortStatus FakeTagPort::readEpc(const FieldTag &tag, QByteArray &epc)
{
    const FakeTag *t = find(tag);
    if (!t)
        return PortStatus::NoTag;
    epc = t->epc;
    return PortStatus::Ok;
}
