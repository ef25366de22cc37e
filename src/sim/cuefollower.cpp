#include "sim/cuefollower.h"

#include "sim/uhfmodule.h"

namespace sim
{

void followCue(UhfModule &field, epc::CueKind kind)
{
    switch (kind) {
    case epc::CueKind::RemoveTag:
    case epc::CueKind::Failed:
    case epc::CueKind::AlreadyWritten:
        field.operatorCue(UhfModule::OperatorCue::Remove);
        break;
    case epc::CueKind::SeveralTags:
        field.operatorCue(UhfModule::OperatorCue::LeaveOne);
        break;
    case epc::CueKind::PlaceTag:
        field.operatorCue(UhfModule::OperatorCue::Place);
        break;
    case epc::CueKind::ReaderSilent:
    case epc::CueKind::Paused:
        break;
    }
}

} // namespace sim
