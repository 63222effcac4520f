// Management objects on Windows: one COM/WMI query per call, from
// CoInitializeEx to CoUninitialize, so that no COM object outlives the call.
#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>

#include "platform/win32/wide.h"
#include "platform/wmi.h"

namespace qm {
namespace {

// A provider that never delivers its next object must not hold startup
// forever: each wait for an object is bounded, and an expired wait (no
// object returned) ends the loop like the end of the objects does.
constexpr long WMI_NEXT_TIMEOUT_MS = 30000;

WmiValue ValueOf(const VARIANT& variant) {
  WmiValue value;
  if (variant.vt == VT_BSTR) {
    value.type = WmiValueType::String;
    if (variant.bstrVal != nullptr) value.text = FromWide(variant.bstrVal, SysStringLen(variant.bstrVal));
  } else if (variant.vt == VT_I4) {
    value.type = WmiValueType::Integer32;
    value.integer = static_cast<int32_t>(variant.lVal);
  }
  return value;
}

// Every property of one object, in the order of its names array (system
// properties included: they start with two underscores and match no rule).
void VisitProperties(IWbemClassObject* object, const WmiObjectSink& sink) {
  SAFEARRAY* names = nullptr;
  object->GetNames(nullptr, WBEM_FLAG_ALWAYS, nullptr, &names);
  if (names == nullptr) return;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(names, 1, &lower);
  SafeArrayGetUBound(names, 1, &upper);
  for (LONG index = lower; index <= upper; ++index) {
    BSTR name = nullptr;
    SafeArrayGetElement(names, &index, &name);
    if (name == nullptr) continue;
    VARIANT variant;
    VariantInit(&variant);  // VT_EMPTY: a failed Get gives the empty value
    object->Get(name, 0, &variant, nullptr, nullptr);
    if (sink.property) sink.property(FromWide(name, SysStringLen(name)), ValueOf(variant));
    SysFreeString(name);
    VariantClear(&variant);
  }
  SafeArrayDestroy(names);
}

HRESULT SetBlanket(IUnknown* proxy) {
  return CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

// Steps 3 to 8 of the query; returns the enumerator, or nullptr after
// reporting the failing step. locator and services keep what was obtained.
IEnumWbemClassObject* StartQuery(const Text& className, const WmiObjectSink& sink, IWbemLocator** locator,
                                 IWbemServices** services) {
  auto fail = [&sink](WmiStep step, HRESULT result) -> IEnumWbemClassObject* {
    if (sink.failure) sink.failure(step, static_cast<uint32_t>(result));
    return nullptr;
  };
  // Only S_OK goes on (S_FALSE is a failure too), except that security
  // already set for this process by an earlier call is just as good.
  HRESULT result = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                        RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  if (result != S_OK && result != RPC_E_TOO_LATE) return fail(WmiStep::InitializeSecurity, result);

  result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                            reinterpret_cast<void**>(locator));
  if (result != S_OK) return fail(WmiStep::CreateLocator, result);

  BSTR resource = SysAllocString(L"root\\cimv2");
  result = (*locator)->ConnectServer(resource, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services);
  SysFreeString(resource);
  if (result != S_OK) return fail(WmiStep::ConnectServer, result);

  IUnknown* unknown = nullptr;
  (*services)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
  result = SetBlanket(*services);
  if (result == S_OK && unknown != nullptr) result = SetBlanket(unknown);
  if (unknown != nullptr) unknown->Release();
  if (result != S_OK) return fail(WmiStep::SetProxyBlanket, result);

  BSTR language = SysAllocString(L"WQL");
  BSTR query = SysAllocString(Wide(WmiQueryText(className)));
  IEnumWbemClassObject* objects = nullptr;
  result = (*services)->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                  nullptr, &objects);
  SysFreeString(language);
  SysFreeString(query);
  if (result != S_OK) {
    if (objects != nullptr) objects->Release();
    return fail(WmiStep::ExecQuery, result);
  }
  return objects;
}

void QueryClass(const Text& className, const WmiObjectSink& sink) {
  // A thread already in another apartment refuses (RPC_E_CHANGED_MODE); only
  // a successful initialization is balanced by CoUninitialize below.
  HRESULT initialized = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IWbemLocator* locator = nullptr;
  IWbemServices* services = nullptr;
  IEnumWbemClassObject* objects = StartQuery(className, sink, &locator, &services);
  if (objects != nullptr) {
    objects->Reset();
    for (;;) {
      IWbemClassObject* object = nullptr;
      ULONG returned = 0;
      objects->Next(WMI_NEXT_TIMEOUT_MS, 1, &object, &returned);
      if (returned == 0 || object == nullptr) break;
      VisitProperties(object, sink);
      object->Release();
    }
    objects->Release();
  }
  if (services != nullptr) services->Release();
  if (locator != nullptr) locator->Release();
  if (SUCCEEDED(initialized)) CoUninitialize();
}

void ShowMessage(const Text& caption, const Text& text) {
  HWND owner = GetForegroundWindow();
  DWORD process = 0;
  if (owner != nullptr) GetWindowThreadProcessId(owner, &process);
  if (process != GetCurrentProcessId()) owner = nullptr;
  MessageBoxW(owner, Wide(text), Wide(caption), MB_OK);
}

const WmiOps WIN32_WMI_OPS = {QueryClass, ShowMessage};

}  // namespace

const WmiOps& NativeWmiOps() { return WIN32_WMI_OPS; }

}  // namespace qm
