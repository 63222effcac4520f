#include "result_samples.h"

#include "drives/capacity.h"
#include "drives/device_queries.h"
#include "engine/speed.h"
#include "export/report_text.h"
#include "export/validation_check.h"
#include "inventory/system_info_panel.h"

namespace qm {
namespace {

SystemInventory InventoryOf(const SampleReport& sample) {
  SystemInventory inventory;
  inventory.processorName = u"Name\n" + sample.processor;
  inventory.processorType = u"Caption\nAMD64 Family 25 Model 33 Stepping 0";
  inventory.processorCores = u"NumberOfCores\n8";
  inventory.processorThreads = u"ThreadCount\n16";
  inventory.processorL2Cache = u"L2CacheSize\n4096";
  inventory.processorL3Cache = u"L3CacheSize\n32768";
  inventory.boardManufacturer = u"Manufacturer\n" + sample.boardMaker;
  inventory.boardModel = u"Product\n" + sample.boardModel;
  inventory.boardVersion = u"Version\nRev X.0x";
  inventory.boardSerial = u"SerialNumber\n210486532101234";
  inventory.gpuName = u"Caption\n" + sample.gpu;
  inventory.gpuMemory = u"AdapterRAM\n4293918720";
  inventory.gpuDriver = u"DriverVersion\n31.0.15.3623";
  for (uint64_t bytes : sample.memoryModules) {
    inventory.memoryCapacities.push_back(u"Capacity\n" + DecimalText(bytes));
    inventory.memoryManufacturers.push_back(u"Manufacturer\nKingston");
    inventory.memorySpeeds.push_back(u"Speed\n3200");
  }
  inventory.osName = u"Caption\n" + sample.osName;
  inventory.osBuild = u"BuildNumber\n" + sample.osBuild;
  return inventory;
}

Text DriveListOf(const SampleReport& sample) {
  const Text capacity = FormatCapacity(sample.driveBytes);
  if (sample.windows) {
    return u"C:\n" + capacity + u"\n" + sample.driveModel + u"\n" + Text(LAYOUT_LINE) + u"\r\r" +
           u"D:\n---\n---\n---\n\n---\r\r" + u"E:\nUSB\nEXT \n14.910\nSanDisk Ultra\n---\r";
  }
  return u"/\n" + capacity + u"\n" + sample.driveModel + u"\n---\r\r" + u"/boot/efi\n0.511\n" +
         sample.driveModel + u"\n---\r";
}

}  // namespace

std::string SampleReportBytes(const SampleReport& sample) {
  RunResults results;
  results.completedMarker = COMPLETED_MARKER;
  results.averageMs = sample.averageMs;
  results.mbPerSecond = MbPerSecond(sample.averageMs);
  results.mbPerSecondText = MbPerSecondText(results.mbPerSecond);
  ReportInputs inputs;
  inputs.systemInfoLines = SystemInfoLines(InventoryOf(sample));
  inputs.driveUnderTest = !sample.driveUnderTest.empty() ? sample.driveUnderTest
                          : sample.windows               ? u"C:\\"
                                                         : u"/";
  inputs.driveListText = DriveListOf(sample);
  return ReportBytes(results, inputs);
}

std::string ValidationFileOf(const std::string& report) {
  std::string file;
  EncryptValidation(report, &file);
  return file;
}

std::string SampleValidationFile(const SampleReport& sample) {
  return ValidationFileOf(SampleReportBytes(sample));
}

}  // namespace qm
