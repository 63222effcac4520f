// Processor time of the whole process (all its threads, user and system),
// in milliseconds: far less disturbed than elapsed time by other work on a
// shared machine.
#pragma once

namespace qm {

double ProcessorMs();

}  // namespace qm
