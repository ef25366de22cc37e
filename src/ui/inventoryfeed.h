#pragma once

#include "field/tagread.h"

#include <QObject>
#include <QString>

// What an inventory job says to its window, emitted on the job's thread and taken on the
// window's through queued connections: its reads in batches, then how it ended.
class InventoryFeed : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void batch(const field::ReadBatch &batch);
    // end: field::InventoryRun::End as a number; why: in words, for the ends that have one.
    void ended(int end, const QString &why);
};
