#include "inventory/wmi_query.h"

namespace qm {

Text ResultCodeText(uint32_t resultCode) {
  static constexpr char16_t DIGITS[] = u"0123456789ABCDEF";
  Text text;
  do {
    text.insert(text.begin(), DIGITS[resultCode % 16]);
    resultCode /= 16;
  } while (resultCode != 0);
  return text;
}

InventoryMessageText FailureMessage(const WmiFailureTexts& texts, WmiStep step, uint32_t resultCode) {
  const Text error = u"ERROR";
  switch (step) {
    case WmiStep::InitializeSecurity: return {error, texts.initializeSecurity};
    case WmiStep::CreateLocator: return {error, texts.createLocator};
    case WmiStep::ConnectServer: return {ResultCodeText(resultCode), texts.connectServer};
    case WmiStep::SetProxyBlanket: return {error, texts.setProxyBlanket};
    case WmiStep::ExecQuery: return {error, texts.execQuery};
  }
  return {error, error};
}

void QueryWmiClass(SystemInventory& inventory, const Text& className, const std::vector<CaptureRule>& rules,
                   const WmiFailureTexts& failureTexts, const InventoryMessage& showMessage) {
  WmiObjectSink sink;
  sink.property = [&](const Text& name, const WmiValue& value) {
    ApplyCaptureRules(inventory, rules, MakePropertyEntry(name, value));
  };
  sink.failure = [&](WmiStep step, uint32_t resultCode) {
    InventoryMessageText message = FailureMessage(failureTexts, step, resultCode);
    if (showMessage) showMessage(message.caption, message.text);
  };
  Wmi().queryClass(className, sink);
}

namespace {

WmiFailureTexts PlainFailureTexts() { return {u"ERROR", u"ERROR", u"ERROR", u"ERROR", u"ERROR"}; }

std::vector<WmiQuery> MakeSystemWmiQueries() {
  using F = InventoryField;
  WmiFailureTexts board = PlainFailureTexts();
  board.execQuery = u"unable to call IWbemServices::ExecQuery";
  const WmiFailureTexts gpu = {u"unable to call CoInitializeSecurity", u"unable to call CoCreateInstance",
                               u"unable To call IWbemLocator::ConnectServer",
                               u"unable to call CoSetProxyBlanket",
                               u"unable to call IWbemServices::ExecQuery"};
  return {
      {u"Win32_Processor",
       {{u"Name", F::ProcessorName},
        {u"Thre", F::ProcessorThreads},
        {u"NumberOfC", F::ProcessorCores},
        {u"Capti", F::ProcessorType},
        {u"L2CacheSi", F::ProcessorL2Cache},
        {u"L3CacheSi", F::ProcessorL3Cache}},
       PlainFailureTexts()},
      {u"Win32_BaseBoard",
       {{u"Manu", F::BoardManufacturer},
        {u"Prod", F::BoardModel},
        {u"Vers", F::BoardVersion},
        {u"Seri", F::BoardSerial}},
       board},
      {u"Win32_VideoController",
       {{u"AdapterRAM", F::GpuMemory}, {u"Captio", F::GpuName}, {u"DriverVers", F::GpuDriver}},
       gpu},
      {u"Win32_PhysicalMemory",
       {{u"Spee", F::MemorySpeeds}, {u"Capa", F::MemoryCapacities}, {u"Manu", F::MemoryManufacturers}},
       PlainFailureTexts()},
      {u"Win32_OperatingSystem", {{u"Capti", F::OsName}, {u"BuildN", F::OsBuild}}, PlainFailureTexts()},
  };
}

}  // namespace

const std::vector<WmiQuery>& SystemWmiQueries() {
  static const std::vector<WmiQuery> queries = MakeSystemWmiQueries();
  return queries;
}

void QuerySystemInventory(SystemInventory& inventory, const InventoryMessage& showMessage) {
  InventoryMessage show = showMessage ? showMessage : InventoryMessage(Wmi().showMessage);
  for (const WmiQuery& query : SystemWmiQueries())
    QueryWmiClass(inventory, query.className, query.rules, query.failureTexts, show);
}

}  // namespace qm
