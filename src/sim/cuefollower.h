#pragma once

#include "epc/commissioningjob.h"

class UhfModule;

namespace sim
{

// What the simulated reader's person does on a batch's cue, so that a batch against the
// simulator runs unattended: takes the tag away after it is done (or refused), leaves one of
// several tags, and lays a fresh blank tag (a TID never seen before) when asked for the next.
// Called on the link's thread, in order with the job's exchanges, as a person acts between two
// of them.
void followCue(UhfModule &field, epc::CueKind kind);

} // namespace sim
