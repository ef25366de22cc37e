#pragma once

#include "epc/commissioningjob.h"

class UhfModule;

namespace commission
{

// What the simulated reader's person does on a batch's cue, so that a batch against the
// simulator runs unattended: takes the tag away after it is done (or refused), leaves one of
// several tags, and lays a fresh blank tag (a TID never seen before) when asked for the next.
void followCue(UhfModule &field, epc::CueKind kind);

} // namespace commission
