#include "tests/e2e/resources_check.h"

#include <windows.h>

#include <string>

#include "tests/e2e/driver.h"
#include "ui/resource.h"

namespace e2e {

namespace {

std::string ResourceText(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

void CheckPicture(HMODULE module, int id, const char* name, LONG width, LONG height) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
  bool ok = header && header->biWidth == width && header->biHeight == height && header->biBitCount == 24 &&
            header->biCompression == BI_RGB;
  std::string got = header ? std::to_string(header->biWidth) + "x" + std::to_string(header->biHeight) + ", " +
                                 std::to_string(header->biBitCount) + " bits, compression " +
                                 std::to_string(header->biCompression)
                           : "missing";
  Check(ok,
        std::string(name) + " embedded: " + std::to_string(width) + "x" + std::to_string(height) +
            ", 24 bits, uncompressed",
        ok ? "" : got);
}

}  // namespace

int CheckResources(const std::wstring& exe) {
  HMODULE module =
      LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  Check(module != nullptr, "the exe opens as a resource file");
  if (!module) return Failures();
  std::string manifest = ResourceText(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  Check(manifest.find("level=\"requireAdministrator\"") != std::string::npos,
        "manifest asks for administrator rights");
  Check(manifest.find(">true</dpiAware>") != std::string::npos, "manifest declares the process DPI-aware");
  Check(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
            manifest.find("version=\"6.0.0.0\"") != std::string::npos,
        "manifest selects the common controls version 6");
  HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_QUILLMARK), IMAGE_ICON, 32, 32, 0));
  Check(icon != nullptr, "the exe carries its icon");
  if (icon) DestroyIcon(icon);
  CheckPicture(module, IDB_DIAGRAM, "DiagramPicture", 300, 231);
  CheckPicture(module, IDB_DONATION, "DonationPicture", 358, 68);
  CheckPicture(module, IDB_BLANK_BANNER, "BlankBannerPicture", 358, 68);
  CheckPicture(module, IDB_SCALE, "ScalePicture", 259, 23);
  for (int k = 1; k <= 7; ++k) {
    CheckPicture(module, IDB_REFERENCE_SHOT_1 + k - 1, ("ReferenceShot " + std::to_string(k)).c_str(), 646,
                 855);
  }
  CheckPicture(module, IDB_EMPTY_SLOT, "EmptySlotPicture", 644, 783);
  FreeLibrary(module);
  return Failures();
}

}  // namespace e2e
