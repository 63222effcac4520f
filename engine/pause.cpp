#include "engine/pause.h"

#include "platform/clock.h"

namespace qm {

void Pause(uint32_t ms) {
  // Writers pause too; the first pause may come from any of them. A local
  // static is started once, thread-safely, and afterwards costs one load:
  // std::call_once would reach thread-local storage, which the Windows
  // compiler emulates with a function call on every pause.
  static const bool timerPeriodSet = (Clock().beginTimerPeriod(1), true);
  (void)timerPeriodSet;
  Clock().sleep(ms);
}

}  // namespace qm
