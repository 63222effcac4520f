// The menu as the program builds it, read in this process: another process
// cannot read a window's menu under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/main_window.h"

namespace qm {
namespace {

struct Item {
  UINT id;
  std::wstring caption;
  UINT type;  // MFT_*
  bool operator==(const Item&) const = default;
};

std::vector<Item> ItemsOf(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t caption[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    items.push_back({info.wID, caption, info.fType});
  }
  return items;
}

TEST(MainMenu, OneTitleWithTheSevenCommandsInOrder) {
  HMENU bar = CreateMainMenu();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  wchar_t title[64] = {};
  GetMenuStringW(bar, 0, title, 64, MF_BYPOSITION);
  EXPECT_STREQ(title, L"Quillmark");
  HMENU commands = GetSubMenu(bar, 0);
  ASSERT_NE(commands, nullptr);
  const std::vector<Item> expected = {
      {1, L"Start Quillmark", MFT_STRING},
      {2, L"Comparision Window", MFT_STRING},
      {3, L"Save window of Quillmark and txt to drive", MFT_STRING},
      {4, L"About Quillmark", MFT_STRING},
      {6, L"Save validation file", MFT_STRING},
      {7, L"Visit my WEB page", MFT_STRING},
      {8, L"Exit", MFT_STRING},
  };
  const std::vector<Item> items = ItemsOf(commands);
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].id, expected[i].id) << i;
    EXPECT_EQ(items[i].caption, expected[i].caption) << i;
    EXPECT_EQ(items[i].type, expected[i].type) << i << ": no separators, plain text items";
  }
  DestroyMenu(bar);
}

}  // namespace
}  // namespace qm
