#pragma once

#include "diag/devicetree.h"
#include "diag/doctor.h"
#include "diag/identity.h"
#include "diag/processtable.h"
#include "diag/udevrules.h"

#include <QList>

namespace diag
{

// Everything the checks read, gathered once per run.
struct CheckContext {
    const DoctorOptions &options;
    const NodeProbe &nodes;
    bool hasUsb;
    QList<UsbDevice> usb;
    QList<HidrawDevice> hidraw;
    QList<SerialPort> ports;
    ProcessTable processes;
    UdevRuleState rule;
    QList<Group> groups;

    bool ruleActive() const { return !rule.readByUdev.isEmpty(); }
    // The group's name, or its number when the group file does not list it.
    QString groupName(uint gid) const;
};

// The commands that put the rule where udev reads it; empty when it is there already.
QStringList ruleFix(const CheckContext &context);
// Reload the rules and replay the devices' events, so that a rule reaches plugged devices.
QStringList retriggerFix();

// Each appends its findings.
// Returns true when a finding already carried ruleFix().
bool checkReaders(const CheckContext &context, QList<Finding> &findings);
void checkUdevRule(const CheckContext &context, bool fixGiven, QList<Finding> &findings);
void checkSerialPorts(const CheckContext &context, QList<Finding> &findings);
void checkPortGrabbers(const CheckContext &context, QList<Finding> &findings);

} // namespace diag
