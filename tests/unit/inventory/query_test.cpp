// The five queries over a fake object source: what each class's rules keep,
// the boxes of failing steps, and the order of the queries.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "inventory/wmi_query.h"

namespace qm {
namespace {

// ---- A fake object source: objects per class, or a failing step ----

struct FakeClass {
  std::vector<WmiObject> objects;
  std::optional<WmiStep> failingStep;
  uint32_t resultCode = 0;
};

std::map<Text, FakeClass> fakeClasses;
std::vector<Text> queriedClasses;

void FakeQueryClass(const Text& className, const WmiObjectSink& sink) {
  queriedClasses.push_back(className);
  const FakeClass& fake = fakeClasses[className];
  if (fake.failingStep) {
    sink.failure(*fake.failingStep, fake.resultCode);
    return;
  }
  for (const WmiObject& object : fake.objects)
    for (const WmiProperty& property : object) sink.property(property.name, property.value);
}

struct Message {
  Text caption;
  Text text;
  bool operator==(const Message&) const = default;
};

class InventoryQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    fakeClasses.clear();
    queriedClasses.clear();
    previous = SetWmiOps({FakeQueryClass, nullptr});
  }
  void TearDown() override { SetWmiOps(previous); }

  InventoryMessage Recorder() {
    return [this](const Text& caption, const Text& text) { messages.push_back({caption, text}); };
  }

  void Query(size_t instance) {
    const WmiQuery& query = SystemWmiQueries().at(instance);
    QueryWmiClass(inventory, query.className, query.rules, query.failureTexts, Recorder());
  }

  WmiOps previous{};
  SystemInventory inventory;
  std::vector<Message> messages;
};

WmiProperty Str(const char16_t* name, Text value) {
  return {name, {WmiValueType::String, std::move(value), 0}};
}
WmiProperty I4(const char16_t* name, int32_t value) {
  return {name, {WmiValueType::Integer32, Text(), value}};
}
WmiProperty Null(const char16_t* name) { return {name, {WmiValueType::Other, Text(), 0}}; }
WmiProperty Bool(const char16_t* name) { return {name, {WmiValueType::Other, Text(), -1}}; }

// Every field that holds something, as lists of entries (single fields as one).
using Captured = std::map<InventoryField, std::vector<Text>>;

Captured CapturedOf(const SystemInventory& inventory) {
  Captured captured;
  for (InventoryField field : ALL_INVENTORY_FIELDS) {
    std::vector<PropertyEntry> entries = FieldEntries(inventory, field);
    if (!entries.empty()) captured[field] = entries;
  }
  return captured;
}

WmiObject MemoryModule(int index) {
  Text n = DecimalText(static_cast<int64_t>(index));
  return {Str(u"Capacity", u"8589934592" + n), Str(u"ConfiguredClockSpeed", u"x"),
          Str(u"Manufacturer", u"Maker" + n), I4(u"Speed", 3200 + index)};
}

struct CaptureCase {
  const char* what;
  size_t instance;
  std::vector<WmiObject> objects;
  Captured expected;
};

TEST_F(InventoryQuery, CapturesWhatEachClassRulesSelect) {
  using F = InventoryField;
  std::vector<WmiObject> twelveModules;
  Captured twelveExpected;
  for (int i = 0; i < 12; ++i) {
    twelveModules.push_back(MemoryModule(i));
    Text n = DecimalText(static_cast<int64_t>(i));
    twelveExpected[F::MemoryCapacities].push_back(u"Capacity\n8589934592" + n);
    twelveExpected[F::MemoryManufacturers].push_back(u"Manufacturer\nMaker" + n);
    twelveExpected[F::MemorySpeeds].push_back(u"Speed\n" + DecimalText(int64_t{3200} + i));
  }

  const std::vector<CaptureCase> cases = {
      {"processor: six properties, nothing else, case-sensitive prefixes",
       0,
       {{Str(u"__CLASS", u"Win32_Processor"), Str(u"Caption", u"Intel64 Family 6 Model 158 Stepping 10"),
         Str(u"caption", u"lower"), I4(u"L2CacheSize", 1536), I4(u"L2CacheSpeed", 0),
         I4(u"L3CacheSize", 12288), Str(u"Manufacturer", u"GenuineIntel"),
         Str(u"Name", u"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"), Str(u"NAME", u"upper"),
         I4(u"NumberOfCores", 0), I4(u"NumberOfEnabledCore", 6), I4(u"NumberOfLogicalProcessors", 12),
         Null(u"ThreadCount"), Str(u"Thr", u"short")}},
       {{F::ProcessorType, {u"Caption\nIntel64 Family 6 Model 158 Stepping 10"}},
        {F::ProcessorL2Cache, {u"L2CacheSize\n1536"}},
        {F::ProcessorL3Cache, {u"L3CacheSize\n12288"}},
        {F::ProcessorName, {u"Name\nIntel(R) Core(TM) i7-8700 CPU @ 3.20GHz"}},
        {F::ProcessorCores, {u"NumberOfCores\n0"}},
        {F::ProcessorThreads, {u"ThreadCount\n"}}}},
      {"board: a boolean stores name and line feed only",
       1,
       {{Str(u"Manufacturer", u"ASUSTeK COMPUTER INC."), Null(u"Model"), Bool(u"PoweredOn"),
         Str(u"Product", u"PRIME Z370-A"), Str(u"SerialNumber", u"190436152400391"), Bool(u"Version")}},
       {{F::BoardManufacturer, {u"Manufacturer\nASUSTeK COMPUTER INC."}},
        {F::BoardModel, {u"Product\nPRIME Z370-A"}},
        {F::BoardSerial, {u"SerialNumber\n190436152400391"}},
        {F::BoardVersion, {u"Version\n"}}}},
      {"video: the later object wins, top bit unsigned, string cut at NUL",
       2,
       {{I4(u"AdapterRAM", 1073741824), Str(u"Caption", u"First"), Str(u"DriverVersion", u"1.0")},
        {Str(u"AdapterDACType", u"Integrated RAMDAC"), I4(u"AdapterRAM", static_cast<int32_t>(0xFFF00000u)),
         Str(u"Caption", Text(u"NVIDIA GeForce GTX 1070\0junk", 28)),
         Str(u"DriverVersion", u"31.0.15.3623")}},
       {{F::GpuMemory, {u"AdapterRAM\n4293918720"}},
        {F::GpuName, {u"Caption\nNVIDIA GeForce GTX 1070"}},
        {F::GpuDriver, {u"DriverVersion\n31.0.15.3623"}}}},
      {"memory: three modules share positions 0..2",
       3,
       {MemoryModule(0), MemoryModule(1), MemoryModule(2)},
       {{F::MemoryCapacities, {u"Capacity\n85899345920", u"Capacity\n85899345921", u"Capacity\n85899345922"}},
        {F::MemoryManufacturers, {u"Manufacturer\nMaker0", u"Manufacturer\nMaker1", u"Manufacturer\nMaker2"}},
        {F::MemorySpeeds, {u"Speed\n3200", u"Speed\n3201", u"Speed\n3202"}}}},
      {"memory: a class without objects captures nothing", 3, {}, {}},
      {"memory: a twelfth module is kept", 3, twelveModules, twelveExpected},
      {"operating system: BuildType is not BuildNumber",
       4,
       {{Str(u"BuildNumber", u"19045"), Str(u"BuildType", u"Multiprocessor Free"),
         Str(u"Caption", u"Microsoft Windows 10 Pro")}},
       {{F::OsBuild, {u"BuildNumber\n19045"}}, {F::OsName, {u"Caption\nMicrosoft Windows 10 Pro"}}}},
  };
  for (const CaptureCase& c : cases) {
    SCOPED_TRACE(c.what);
    inventory = SystemInventory();
    messages.clear();
    fakeClasses[SystemWmiQueries().at(c.instance).className].objects = c.objects;
    Query(c.instance);
    EXPECT_EQ(CapturedOf(inventory), c.expected);
    EXPECT_TRUE(messages.empty());
  }
}

TEST_F(InventoryQuery, ValueTextRules) {
  EXPECT_EQ(PropertyValueText({WmiValueType::String, Text(u"ab\0cd", 5), 0}), u"ab");
  EXPECT_EQ(PropertyValueText({WmiValueType::String, Text(), 0}), u"");
  EXPECT_EQ(PropertyValueText({WmiValueType::Integer32, Text(), 0}), u"0");
  EXPECT_EQ(PropertyValueText({WmiValueType::Integer32, Text(), -1}), u"4294967295");
  EXPECT_EQ(PropertyValueText({WmiValueType::Integer32, Text(), INT32_MIN}), u"2147483648");
  EXPECT_EQ(PropertyValueText({WmiValueType::Other, u"ignored", 5}), u"");
  EXPECT_EQ(MakePropertyEntry(u"BuildNumber", {WmiValueType::String, u"19045", 0}), u"BuildNumber\n19045");
}

TEST_F(InventoryQuery, ResultCodeInUpperCaseHexWithoutPrefix) {
  const std::pair<uint32_t, const char16_t*> cases[] = {{0x80041003u, u"80041003"},
                                                        {0x8004100Eu, u"8004100E"},
                                                        {0x800706BAu, u"800706BA"},
                                                        {0x00ABCDEFu, u"ABCDEF"},
                                                        {1u, u"1"},
                                                        {0u, u"0"}};
  for (const auto& [code, text] : cases) EXPECT_EQ(ResultCodeText(code), text);
}

TEST_F(InventoryQuery, FailingStepShowsItsBoxAndCapturesNothing) {
  const WmiStep steps[] = {WmiStep::InitializeSecurity, WmiStep::CreateLocator, WmiStep::ConnectServer,
                           WmiStep::SetProxyBlanket, WmiStep::ExecQuery};
  const Text E = u"ERROR";
  const Text code = u"80041003";
  // Per instance, per step: caption then text.
  const std::vector<std::vector<Message>> expected = {
      {{E, E}, {E, E}, {code, E}, {E, E}, {E, E}},
      {{E, E}, {E, E}, {code, E}, {E, E}, {E, u"unable to call IWbemServices::ExecQuery"}},
      {{E, u"unable to call CoInitializeSecurity"},
       {E, u"unable to call CoCreateInstance"},
       {code, u"unable To call IWbemLocator::ConnectServer"},
       {E, u"unable to call CoSetProxyBlanket"},
       {E, u"unable to call IWbemServices::ExecQuery"}},
      {{E, E}, {E, E}, {code, E}, {E, E}, {E, E}},
      {{E, E}, {E, E}, {code, E}, {E, E}, {E, E}},
  };
  for (size_t instance = 0; instance < 5; ++instance) {
    for (size_t s = 0; s < 5; ++s) {
      SCOPED_TRACE(testing::Message() << "instance " << instance + 1 << " step " << s);
      inventory = SystemInventory();
      messages.clear();
      FakeClass& fake = fakeClasses[SystemWmiQueries()[instance].className];
      fake.failingStep = steps[s];
      fake.resultCode = 0x80041003u;
      Query(instance);
      EXPECT_EQ(messages, std::vector<Message>{expected[instance][s]});
      EXPECT_TRUE(CapturedOf(inventory).empty());
    }
  }
}

TEST_F(InventoryQuery, StartupRunsTheFiveClassesInOrderAndGoesOnAfterAFailure) {
  fakeClasses[u"Win32_BaseBoard"].failingStep = WmiStep::ConnectServer;
  fakeClasses[u"Win32_BaseBoard"].resultCode = 0x80070005u;
  fakeClasses[u"Win32_OperatingSystem"].objects = {{Str(u"Caption", u"Some OS")}};
  QuerySystemInventory(inventory, Recorder());
  EXPECT_EQ(queriedClasses,
            (std::vector<Text>{u"Win32_Processor", u"Win32_BaseBoard", u"Win32_VideoController",
                               u"Win32_PhysicalMemory", u"Win32_OperatingSystem"}));
  EXPECT_EQ(messages, (std::vector<Message>{{u"80070005", u"ERROR"}}));
  EXPECT_EQ(inventory.osName, u"Caption\nSome OS");
}

}  // namespace
}  // namespace qm
