// Files on Windows: CreateFileW and friends, straight through.
#include <vector>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace qm {
namespace {

HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle Open(const Text& path, OpenMode mode) {
  const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD access = 0, share = 0, disposition = 0, attributes = FILE_ATTRIBUTE_NORMAL;
  switch (mode) {
    case OpenMode::CreateAlwaysReadWrite:
      access = GENERIC_READ | GENERIC_WRITE, share = shareAll, disposition = CREATE_ALWAYS;
      break;
    case OpenMode::TruncateExistingWrite:
      access = GENERIC_WRITE, share = shareAll, disposition = TRUNCATE_EXISTING, attributes = 0;
      break;
    case OpenMode::OpenExistingReadExclusive:
      access = GENERIC_READ, share = 0, disposition = OPEN_EXISTING;
      break;
    case OpenMode::CreateAlwaysWrite:
      access = GENERIC_WRITE, share = FILE_SHARE_READ, disposition = CREATE_ALWAYS;
      break;
    case OpenMode::OpenExistingRead:
      access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
      break;
    case OpenMode::OpenAlwaysReadWriteExclusive:
      access = GENERIC_READ | GENERIC_WRITE, share = 0, disposition = OPEN_ALWAYS;
      break;
    case OpenMode::CreateAlwaysReadWriteExclusive:
      access = GENERIC_READ | GENERIC_WRITE, share = 0, disposition = CREATE_ALWAYS;
      break;
    case OpenMode::TruncateExistingWriteExclusive:
      access = GENERIC_WRITE, share = 0, disposition = TRUNCATE_EXISTING;
      break;
  }
  HANDLE handle = CreateFileW(Wide(path), access, share, nullptr, disposition, attributes, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<FileHandle>(handle);
}

bool Write(FileHandle file, const void* data, uint32_t size) {
  DWORD written = 0;
  return WriteFile(Native(file), data, size, &written, nullptr) && written == size;
}

bool Read(FileHandle file, void* data, uint32_t size, uint32_t* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(Native(file), data, size, &got, nullptr);
  *done = got;
  return ok != FALSE;
}

bool Size(FileHandle file, uint64_t* bytes) {
  DWORD high = 0;
  DWORD low = GetFileSize(Native(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *bytes = (static_cast<uint64_t>(high) << 32) | low;
  return true;
}

void Close(FileHandle file) {
  if (file != nullptr) CloseHandle(Native(file));
}

bool Remove(const Text& path) { return DeleteFileW(Wide(path)) != FALSE; }

Text CurrentDirectory() {
  // Ask for the length first: a directory may be longer than MAX_PATH.
  DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return Text();
  std::vector<wchar_t> buffer(needed + 1);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) return Text();
  return FromWide(buffer.data(), length);
}

const FileOps WIN32_FILE_OPS = {Open, Write, Read, Size, Close, Remove, CurrentDirectory};

}  // namespace

const FileOps& NativeFileOps() { return WIN32_FILE_OPS; }

}  // namespace qm
