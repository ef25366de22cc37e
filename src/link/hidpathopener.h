#pragma once

#include "link/hidtransport.h"

#include <QString>
#include <memory>

// The hidapi (hidraw) opener of one device by its path ("/dev/hidraw3"), for picking one of
// several readers of the same IDs. A path that names no HID device present counts as no reader.
std::unique_ptr<HidOpener> makeHidapiPathOpener(const QString &path);
