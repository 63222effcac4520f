// Management objects: the objects of one class of the system's management
// service, each a set of typed named properties, as a table of functions
// (see files.h). On Windows the table runs the COM/WMI query in namespace
// "root\cimv2"; elsewhere the backend reads the same facts from the
// system's own sources and hands them over typed as WMI types them. Tests
// put a fake object source in force.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/text.h"

namespace qm {

// The type of a property value as the inventory distinguishes it: a
// string (VT_BSTR), a 32-bit integer (VT_I4) or anything else (VT_NULL,
// booleans, arrays...).
enum class WmiValueType { String, Integer32, Other };

struct WmiValue {
  WmiValueType type = WmiValueType::Other;
  // String: every character of the string, embedded NULs included.
  Text text;
  // Integer32: the 32 bits as delivered.
  int32_t integer = 0;
};

// One property of an object, and an object as its properties in order.
struct WmiProperty {
  Text name;
  WmiValue value;
};
using WmiObject = std::vector<WmiProperty>;

// The steps of the query that can fail, in the order they are taken.
enum class WmiStep {
  InitializeSecurity,  // CoInitializeSecurity
  CreateLocator,       // CoCreateInstance of the WBEM locator
  ConnectServer,       // IWbemLocator::ConnectServer
  SetProxyBlanket,     // CoSetProxyBlanket, either of the two calls
  ExecQuery,           // IWbemServices::ExecQuery
};

// Where the objects of one query go.
struct WmiObjectSink {
  // Each property of each object: objects in the order the service returns
  // them, properties of one object in the order of their names.
  std::function<void(const Text& name, const WmiValue& value)> property;
  // A failing step, with its result code (an HRESULT). Called at most once,
  // while the query still holds what it obtained; no property follows.
  std::function<void(WmiStep step, uint32_t resultCode)> failure;
};

struct WmiOps {
  // Runs "SELECT * FROM " + className and hands every object's properties to
  // sink. A class without objects calls neither function. Returns when the
  // objects are exhausted, on a failing step, or when the service stops
  // answering; nothing of the query survives the call.
  void (*queryClass)(const Text& className, const WmiObjectSink& sink);

  // Shows a message box with one OK button and no icon, owned by the
  // foreground window when that window belongs to this process. A build
  // without windows writes "caption: text" to the standard error stream.
  void (*showMessage)(const Text& caption, const Text& text);
};

// The query text for a class.
inline Text WmiQueryText(const Text& className) { return u"SELECT * FROM " + className; }

// The table in force; the backend's own table; puts ops in force and returns
// the table it replaced (only while no other thread of the program runs).
const WmiOps& Wmi();
const WmiOps& NativeWmiOps();
WmiOps SetWmiOps(const WmiOps& ops);

}  // namespace qm
