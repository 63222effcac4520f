// The Linux edition's answers to the five management queries: the facts
// of the processor, the board, the graphics devices, the memory modules
// and the operating system, read from the kernel's, the firmware's and
// udev's own files and typed as the Windows management service types them
// (strings, 32-bit integers, or no value).
//
// Where each comes from:
//   Win32_Processor        /proc/cpuinfo, /sys/devices/system/cpu, the device tree's model
//   Win32_BaseBoard        /sys/class/dmi/id (the serial number is root's only)
//   Win32_VideoController  /sys/class/drm/card<n>/device, the PCI id list
//   Win32_PhysicalMemory   the SMBIOS table (root only), else udev's entry of the DMI device
//   Win32_OperatingSystem  os-release, /proc/sys/kernel
#pragma once

#include <string>

#include "platform/wmi.h"

namespace qm {

// The objects of className from the files under the folder top ("" for
// this machine; tests build a small tree of their own). A source that is
// absent means the class has no objects here. The memory modules come
// from whichever of their sources can be read, and from none without a
// message. Another source that exists but cannot be read fails the query
// as the service does: access denied at the connection, any other error
// at the query.
void QueryLinuxSystemFacts(const std::string& top, const Text& className, const WmiObjectSink& sink);

}  // namespace qm
