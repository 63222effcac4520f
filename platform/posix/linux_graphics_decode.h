// Names of graphics devices from what Linux tells about them: the PCI id
// list for cards on the PCI bus, the device tree's compatible string for
// the graphics blocks of a chip, the device id for virtio devices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// "Vendor Device" names of a PCI id list (pci.ids); an unknown device gives
// the vendor name alone, an unknown vendor nothing.
std::optional<std::string> PciDeviceName(std::string_view pciIds, uint16_t vendor, uint16_t device);

// A device of the device tree by its first compatible string and its
// driver: "brcm,bcm2711-vc5" driven by vc4-drm gives "Broadcom bcm2711-vc5
// (vc4-drm)"; a maker not in the table keeps its prefix ("acme,gpu9
// (acmedrm)"); without a compatible string, the driver alone.
std::string DeviceTreeDeviceName(std::string_view compatible, const std::string& driver);

// The first of the NUL-separated strings of a device tree property (the
// "compatible" and "model" files of /sys/firmware/devicetree), or the
// value of OF_COMPATIBLE_0 in a uevent file.
std::string FirstPropertyString(std::string_view property);
std::string UeventValue(std::string_view uevent, std::string_view key);

// A virtio device that has no PCI function of its own to name it (virtio
// over MMIO): "Virtio GPU (virtio_gpu)" for device id 16.
std::string VirtioDeviceName(uint32_t deviceId, const std::string& driver);

}  // namespace qm
