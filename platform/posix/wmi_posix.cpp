// Management objects on Linux: the queries are answered from the system's
// own files (linux_system_facts.h); failures are written to the standard
// error stream, since there is no window to own a box.
#include <cstdio>

#include "platform/posix/linux_system_facts.h"
#include "platform/wmi.h"

namespace qm {
namespace {

void QueryClass(const Text& className, const WmiObjectSink& sink) {
  QueryLinuxSystemFacts("", className, sink);
}

void ShowMessage(const Text& caption, const Text& text) {
  std::fprintf(stderr, "%s: %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
}

const WmiOps POSIX_WMI_OPS = {QueryClass, ShowMessage};

}  // namespace

const WmiOps& NativeWmiOps() { return POSIX_WMI_OPS; }

}  // namespace qm
