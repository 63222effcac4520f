#include "engine/pause.h"

#include <mutex>

#include "platform/clock.h"

namespace qm {

void Pause(uint32_t ms) {
  // Writers pause too; the first pause may come from any of them.
  static std::once_flag timerPeriodSet;
  std::call_once(timerPeriodSet, [] { Clock().beginTimerPeriod(1); });
  Clock().sleep(ms);
}

}  // namespace qm
