#include "tests/e2e/comparison_after_run.h"

#include <commctrl.h>

#include <string>

#include "layout/comparison_layout.h"
#include "tests/e2e/comparison_support.h"
#include "ui/resource.h"

namespace e2e {

namespace {

// Unix path of the sources (given by CMake) as Wine's drive Z: sees it.
std::wstring AssetPath(const wchar_t* name) {
  std::wstring path = L"Z:";
  for (const char* c = QM_ASSETS_DIR; *c != 0; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path + L"\\" + name;
}

bool SameSize(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

std::string SizeText(SIZE size) { return std::to_string(size.cx) + " x " + std::to_string(size.cy); }

}  // namespace

void CheckComparisonAfterRun(const App& app) {
  const std::wstring ownResult = app.folder + L"\\this_sys.bmp";
  const std::wstring kept = app.folder + L"\\this_sys.kept";
  int speedBar = -1;
  ProgressPos(Element(app, IDC_SPEED_BAR), &speedBar);
  RECT before{};
  GetWindowRect(app.main, &before);
  const std::vector<qm::ElementState> elements = qm::ElementsOf(app.main);

  HWND window = qm::OpenComparisonWindow(app.main, app.processId);
  Check(window != nullptr, "\"Comparision Window\" opens the comparison window");
  if (window == nullptr) return;

  RECT away{};
  GetWindowRect(app.main, &away);
  Check(away.left == -12000 && away.top == before.top,
        "the main window is at x -12000 while the comparison is open",
        std::to_string(away.left) + ", " + std::to_string(away.top));
  const int ownBar = static_cast<int>(qm::Ask(GetDlgItem(window, qm::OWN_SPEED_BAR_ID), PBM_GETPOS));
  Check(ownBar == (speedBar > 170 ? 170 : speedBar),
        "the own bar shows the speed as the main window's bar does",
        std::to_string(ownBar) + " and " + std::to_string(speedBar));
  const qm::Pixels own = qm::FilePixels(ownResult);
  const SIZE ownSize{own.width, own.height};
  Check(own.width > 0 && SameSize(qm::ShotSize(window), ownSize),
        "the shot view takes the size of this_sys.bmp",
        SizeText(qm::ShotSize(window)) + " and " + SizeText(ownSize));
  Check(qm::ShowsPicture(window, ownResult), "the shot view shows this_sys.bmp");
  Screenshot("comparison");

  Check(qm::Choose(window, 3, {646, 855}) && qm::ShowsPicture(window, AssetPath(L"reference_3.bmp")),
        "selector 3 shows the RAID 0 reference");

  // The user deletes the snapshot: selector 0 then shows nothing, quietly.
  CopyFileW(ownResult.c_str(), kept.c_str(), FALSE);
  DeleteFileW(ownResult.c_str());
  const bool nothing = qm::Choose(window, 0, {0, 0});
  Check(nothing && qm::Ask(GetDlgItem(window, qm::SHOT_VIEW_ID), STM_GETIMAGE, IMAGE_BITMAP) == 0,
        "this_sys.bmp deleted by hand: selector 0 shows no picture");
  Check(VisibleMessageBox(app) == nullptr && Running(app), "no message, no crash");

  PostMessageW(window, WM_CLOSE, 0, 0);
  Check(qm::WaitFor([&] { return !IsWindow(window); }, "the comparison window to close"),
        "the comparison window closes");
  RECT back{};
  qm::WaitFor(
      [&] {
        GetWindowRect(app.main, &back);
        return back.left == 15;
      },
      "the main window back at x 15");
  Check(back.left == 15 && back.top == before.top && back.right - back.left == before.right - before.left &&
            back.bottom - back.top == before.bottom - before.top,
        "the main window is back at x 15, same y and size");
  CheckText(Text(Element(app, IDC_THIS_DRIVE_CAPTION)), L"This drive", "\"This drive\" after the comparison");
  Check(qm::ElementsOf(app.main) == elements, "every element of the main window as before the comparison");
  MoveFileW(kept.c_str(), ownResult.c_str());
}

}  // namespace e2e
