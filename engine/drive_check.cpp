#include "engine/drive_check.h"

#include "engine/pause.h"
#include "engine/random_byte.h"
#include "engine/test_files.h"
#include "platform/files.h"

namespace qm {
namespace {

constexpr int CHECK_BYTES = 3333;
constexpr uint32_t BEFORE_DELETE_PAUSE_MS = 333;

}  // namespace

bool CheckDriveWritable(const RunView& view) {
  const Text name = u"tmp.tmp";
  FileHandle file = OpenTestFile(name);
  if (file == nullptr) {
    if (view.showMessage) view.showMessage(u"Drive Error");
    return false;
  }
  const FileOps& files = Files();
  RandomGenerator generator;
  for (int count = 0; count < CHECK_BYTES; ++count) {
    const uint8_t byte = RandomByte(generator);
    files.write(file, &byte, 1);
  }
  files.close(file);
  Pause(BEFORE_DELETE_PAUSE_MS);
  files.remove(name);
  return true;
}

}  // namespace qm
