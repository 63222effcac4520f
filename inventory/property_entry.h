// A property as the inventory keeps it: one text made of the property's
// name exactly as the service reports it, a line feed, and the value text.
// The panel cuts the name and the line feed off by their fixed length.
#pragma once

#include "platform/text.h"
#include "platform/wmi.h"

namespace qm {

using PropertyEntry = Text;

// The value text: a string up to its first NUL; a 32-bit integer in
// decimal read as unsigned (every property we keep is unsigned in the
// schema, and an adapter memory of 4293918720 arrives with the top bit
// set); any other type gives the empty text.
Text PropertyValueText(const WmiValue& value);

// name + U+000A + value text.
PropertyEntry MakePropertyEntry(const Text& name, const WmiValue& value);

}  // namespace qm
