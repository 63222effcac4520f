#include "engine/speed.h"
#include "results/result_record.h"

namespace qm {

double ResultSpeed(const ResultRecord& record) {
  return record.averageMs > 0 ? MbPerSecond(record.averageMs) : 0.0;
}

}  // namespace qm
