#pragma once

#include <QByteArray>
#include <QString>

namespace field
{

// How one tag is addressed: by its EPC, or by its TID when its EPC is not unique in the field.
// Every access selects by it (the module then reaches the first tag that matches).
struct TagAddress {
    enum class By { Epc, Tid };
    By by = By::Epc;
    QByteArray id; // the EPC; or the TID, whole or its start

    static TagAddress epc(const QByteArray &epc) { return {By::Epc, epc}; }
    static TagAddress tid(const QByteArray &tid) { return {By::Tid, tid}; }
    // "EPC 3074257B..." / "TID E2801105..."
    QString text() const;
};

} // namespace field
