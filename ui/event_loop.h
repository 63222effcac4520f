// The event loop: the seven menu commands, the two buttons and the close
// request, until the program ends.
#pragma once

namespace qm {

[[noreturn]] void RunEventLoop();

}  // namespace qm
