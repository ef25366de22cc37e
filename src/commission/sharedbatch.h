#pragma once

#include "commission/batchplan.h"
#include "epc/sharedjournal.h"

namespace commission
{

// The batch a plan's source makes in a shared journal. Its name, unless the plan gives one:
// the GS1 EPC pattern of the first EPC (urn:epc:idpat:sgtin:0614141.812345.*), so that two
// stations encoding one product meet in one number space whatever their first serial;
// "hex:" and the first number; "list:" and the file's name. Its source: the first EPC (and
// for a hex sequence its step and order), or a list's length and the SHA-256 of its EPCs.
epc::SharedBatch sharedBatchOf(const BatchPlan &plan, epc::EpcSource &source);

} // namespace commission
