#include "board_files.h"

#include <vector>

#include "engine/run_results.h"
#include "engine/speed.h"
#include "export/report_text.h"
#include "export/validation_file.h"
#include "export/validation_key.h"
#include "platform/aes.h"
#include "platform/text.h"

namespace qm {

std::string WindowsReport(const ReportFields& f) {
  RunResults results;
  results.completedMarker = COMPLETED_MARKER;
  results.averageMs = f.averageMs;
  results.mbPerSecond = MbPerSecond(f.averageMs);
  results.mbPerSecondText = MbPerSecondText(results.mbPerSecond);
  ReportInputs inputs;
  const auto line = [](const char* label, const std::string& value, const char* unit = "") {
    return FromUtf8(std::string(label) + value + unit);
  };
  inputs.systemInfoLines = {
      line("CPU Name: ", f.processor),
      line("CPU Type: ", "AMD64 Family 25 Model 33 Stepping 0"),
      line("CPU Cores: ", "8"),
      line("CPU Threads: ", "16"),
      line("CPU L2 Cache: ", "4096", " KBytes"),
      line("CPU L3 Cache: ", "32768", " KBytes"),
      line("Motherboard Manufacturer: ", f.boardMaker),
      line("Motherboard Model: ", f.boardModel),
      line("Motherboard Version: ", "Rev X.0x"),
      line("Motherboard Serial Number: ", "2101179", "****"),
      line("Gpu Name: ", f.gpu),
      line("GPU RAM: ", "4293918720"),
      line("GPU Driver: ", "31.0.15.2698"),
      line("Memory Bank Numbers: ", "1"),
      line("Memory Bank Manufacturer N.1 ", f.memoryMaker),
      line("Memory Bank Bytes N.1 ", "17179869184"),
      line("Memory MHz Speed Bank 1 ", "3200"),
      line("Operating System Name: ", f.osName),
      line("Operating System Build: ", f.osBuild),
  };
  inputs.driveUnderTest = u"C:\\";
  inputs.driveListText =
      FromUtf8("C:\n" + f.capacity + "\n" + f.driveModel + "\n" + std::string(52, '-') + "\r\r");
  return ReportBytes(results, inputs);
}

std::string EncryptReportWithKey(const std::string& report, const std::array<uint8_t, 32>& key) {
  const ValidationLayout layout = LayoutForReport(report.size());
  std::vector<uint8_t> plain(layout.blocks * VALIDATION_BLOCK_BYTES, 0);
  std::copy(report.begin(), report.end(), plain.begin());
  std::string file(plain.size(), '\0');
  CipherHandle cipher = Cipher().begin(CipherDirection::Encrypt, key.data(), ValidationIv.data());
  if (!cipher || !Cipher().update(cipher, plain.data(), reinterpret_cast<uint8_t*>(file.data()),
                                  static_cast<uint32_t>(plain.size())))
    file.clear();
  Cipher().end(cipher);
  for (int i = 0; i < 4; ++i) file += static_cast<char>((layout.trailer >> (8 * i)) & 0xFF);
  return file;
}

std::string EncryptReport(const std::string& report) { return EncryptReportWithKey(report, ValidationKey); }

}  // namespace qm
