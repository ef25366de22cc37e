#include "hiddesc/reportdescriptor.h"

#include <cstddef>
#include <cstdint>

// HID report descriptors of any content, as sysfs hands them to the udev probe and the
// diagnosis.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    (void)hiddesc::topLevelUsagePages(data, size);
    (void)hiddesc::firstCollectionIsVendor(data, size);
    return 0;
}
