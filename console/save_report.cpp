#include "console/save_report.h"

#include "export/save_results.h"

namespace qm {

Text SaveConsoleReport(const RunResults& results, const ConsoleReportInputs& shown, std::FILE* out) {
  ReportInputs inputs;
  inputs.systemInfoLines = shown.systemInfoLines;
  inputs.driveUnderTest = shown.driveUnderTest;
  inputs.driveListText = shown.driveListText;
  ExportHooks hooks;
  hooks.showMessage = [out](const Text& text) {
    // Message lines are separated by a lone carriage return; a terminal
    // wants line feeds.
    Text lines = text;
    for (char16_t& unit : lines)
      if (unit == u'\r') unit = u'\n';
    std::fprintf(out, "%s\n", Utf8(lines).c_str());
    std::fflush(out);
  };
  hooks.pumpEvents = [] {};
  Text reportBaseName;
  if (!SaveResults(results, inputs, &reportBaseName, hooks)) return Text();
  Text reportName = reportBaseName + u".txt";
  std::fprintf(out, "%s\n", Utf8(reportName).c_str());
  std::fflush(out);
  return reportName;
}

}  // namespace qm
