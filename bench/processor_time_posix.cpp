#include <ctime>

#include "bench/processor_time.h"

namespace qm {

double ProcessorMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace qm
