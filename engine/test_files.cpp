#include "engine/test_files.h"

#include "engine/pause.h"

namespace qm {

namespace {

constexpr uint32_t PAUSE_AFTER_EACH_INDEX_MS = 2;

}  // namespace

Text TestFileName(int writer, int index) {
  return u"file_" + DecimalText(int64_t{writer}) + u"_" + DecimalText(int64_t{index}) + u".qkw";
}

FileHandle OpenTestFile(const Text& name) {
  const FileOps& files = Files();
  FileHandle file = files.open(name, OpenMode::CreateAlwaysReadWrite);
  if (file == nullptr) file = files.open(name, OpenMode::TruncateExistingWrite);
  return file;
}

void DeleteTestFiles() {
  for (int index = 0; index < FILES_PER_WRITER; ++index) {
    for (int writer = 1; writer <= WRITERS; ++writer) Files().remove(TestFileName(writer, index));
    Pause(PAUSE_AFTER_EACH_INDEX_MS);
  }
}

}  // namespace qm
