// The management queries of startup: one routine for the five classes,
// which differ only in the class, the capture rules and the failure texts.
#pragma once

#include <functional>
#include <vector>

#include "inventory/capture_rule.h"
#include "platform/wmi.h"

namespace qm {

// Shows a failure of a query to the user: one box with one OK button. The
// Windows program passes its MessageBoxW (Wmi().showMessage does it with
// the right owner); the console edition prints.
using InventoryMessage = std::function<void(const Text& caption, const Text& text)>;

// The text of each failing step. The caption is "ERROR", except for a
// failed connection, whose caption is the result code.
struct WmiFailureTexts {
  Text initializeSecurity;
  Text createLocator;
  Text connectServer;
  Text setProxyBlanket;
  Text execQuery;
};

struct InventoryMessageText {
  Text caption;
  Text text;
};

// A result code in upper-case hexadecimal without prefix or leading zeros:
// 0x80041003 -> "80041003".
Text ResultCodeText(uint32_t resultCode);

// Caption and text of the box for a failing step.
InventoryMessageText FailureMessage(const WmiFailureTexts& texts, WmiStep step, uint32_t resultCode);

// Queries className through the object source in force (Wmi()), makes every
// property of every object an entry and stores it by rules. A failing step
// shows one box through showMessage and captures nothing; a class without
// objects captures nothing and shows nothing.
void QueryWmiClass(SystemInventory& inventory, const Text& className, const std::vector<CaptureRule>& rules,
                   const WmiFailureTexts& failureTexts, const InventoryMessage& showMessage);

// One query of startup.
struct WmiQuery {
  Text className;
  std::vector<CaptureRule> rules;
  WmiFailureTexts failureTexts;
};

// The five queries in the order startup runs them: processor, board,
// graphics adapter, memory modules, operating system.
const std::vector<WmiQuery>& SystemWmiQueries();

// Runs the five queries in order into inventory. Without showMessage the
// object source's own box (Wmi().showMessage) is used.
void QuerySystemInventory(SystemInventory& inventory, const InventoryMessage& showMessage = {});

}  // namespace qm
