// Files on Windows: CreateFileW and friends, straight through.
#include <vector>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace qm {
namespace {

HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

struct OpenFlags {
  DWORD access, share, disposition, attributes;
};

// CreateFileW's arguments for each way the program opens a file.
OpenFlags FlagsOf(OpenMode mode) {
  const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
  const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const DWORD normal = FILE_ATTRIBUTE_NORMAL;
  switch (mode) {
    case OpenMode::CreateAlwaysReadWrite: return {readWrite, shareAll, CREATE_ALWAYS, normal};
    case OpenMode::TruncateExistingWrite: return {GENERIC_WRITE, shareAll, TRUNCATE_EXISTING, 0};
    case OpenMode::OpenExistingReadExclusive: return {GENERIC_READ, 0, OPEN_EXISTING, normal};
    case OpenMode::CreateAlwaysWrite: return {GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, normal};
    case OpenMode::OpenExistingRead: return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, normal};
    case OpenMode::OpenAlwaysReadWriteExclusive: return {readWrite, 0, OPEN_ALWAYS, normal};
    case OpenMode::CreateAlwaysReadWriteExclusive: return {readWrite, 0, CREATE_ALWAYS, normal};
    case OpenMode::TruncateExistingWriteExclusive: return {GENERIC_WRITE, 0, TRUNCATE_EXISTING, normal};
  }
  return {0, 0, 0, 0};
}

FileHandle Open(const Text& path, OpenMode mode) {
  const OpenFlags flags = FlagsOf(mode);
  HANDLE handle = CreateFileW(Wide(path), flags.access, flags.share, nullptr, flags.disposition,
                              flags.attributes, nullptr);
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
