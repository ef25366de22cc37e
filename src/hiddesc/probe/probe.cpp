// Called by the udev rule for every USB hidraw device with the device's sysfs path. Prints
// RFID_READER=1 when the HID device behind it is a reader (its first top-level collection
// has a vendor-defined usage page), nothing for any other device. Exits 0 in both cases so
// that udev logs nothing for the keyboards and mice it asks about.
#include "hiddesc/reportdescriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SYSFS-PATH-OF-HIDRAW-DEVICE\n",
                     argc > 0 ? argv[0] : "rfid-workbench-hid-probe");
        return 2;
    }
    // The hidraw node's "device" link leads to the HID device, which holds the descriptor.
    const std::string path = std::string(argv[1]) + "/device/report_descriptor";
    std::FILE *file = std::fopen(path.c_str(), "rbe");
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    uint8_t descriptor[hiddesc::maxDescriptorSize];
    const std::size_t size = std::fread(descriptor, 1, sizeof descriptor, file);
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "%s: read error\n", path.c_str());
        return 1;
    }
    if (hiddesc::firstCollectionIsVendor(descriptor, size))
        std::puts("RFID_READER=1");
    return 0;
}
