#include "epc/tagport.h"

namespace epc
{

const char *statusText(PortStatus status)
{
    switch (status) {
    case PortStatus::Ok:
        return "ok";
    case PortStatus::NoTag:
        return "no tag answered";
    case PortStatus::SeveralTags:
        return "several tags answered";
    case PortStatus::Refused:
        return "the tag refused (locked, or another access password)";
    case PortStatus::NoAnswer:
        return "the reader did not answer";
    case PortStatus::Unsupported:
        return "the reader cannot do this";
    case PortStatus::ReaderGone:
        break;
    }
    return "the reader is gone";
}

} // namespace epc
