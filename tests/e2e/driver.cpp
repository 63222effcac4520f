#include "tests/e2e/driver.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

#include "ui/resource.h"

namespace e2e {

namespace {

int failures = 0;
constexpr UINT REPLY_MS = 3000;  // how long a busy program may take to answer

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, REPLY_MS, &answer)) return false;
  if (result) *result = answer;
  return true;
}

struct FindBox {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM context) {
  auto* find = reinterpret_cast<FindBox*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != find->processId || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != find->className) return TRUE;
  find->found = window;
  return FALSE;
}

HWND FindVisibleOf(const App& app, const wchar_t* className) {
  FindBox find = {app.processId, className, nullptr};
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

std::string ReadReply() {
  char line[256] = {};
  if (!fgets(line, sizeof line, stdin)) return "";
  return line;
}

}  // namespace

void Check(bool ok, const std::string& what, const std::string& detail) {
  if (!ok) ++failures;
  printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  fflush(stdout);
}

void CheckText(const std::wstring& got, const std::wstring& expected, const std::string& what) {
  Check(got == expected, what,
        got == expected ? "" : "got \"" + Narrow(got) + "\", want \"" + Narrow(expected) + "\"");
}

int Failures() { return failures; }

void Note(const std::string& text) {
  printf("     %s\n", text.c_str());
  fflush(stdout);
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\r') {
      out += "\\r";
    } else if (c == L'\n') {
      out += "\\n";
    } else {
      out += c < 128 ? static_cast<char>(c) : '?';
    }
  }
  return out;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void Screenshot(const std::string& name) {
  printf("SHOT %s\n", name.c_str());
  fflush(stdout);
  ReadReply();
}

void PressKey(const std::string& xdotoolKey) {
  printf("KEY %s\n", xdotoolKey.c_str());
  fflush(stdout);
  ReadReply();
}

bool Launch(App& app, const std::wstring& exe, const std::wstring& folder) {
  app.folder = folder;
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                     &startup, &started)) {
    CloseHandle(started.hThread);
    app.process = started.hProcess;
    app.processId = started.dwProcessId;
    return true;
  }
  Note("CreateProcessW failed with " + std::to_string(GetLastError()));
  return false;
}

bool WaitExit(const App& app, DWORD timeoutMs, DWORD* exitCode) {
  if (WaitForSingleObject(app.process, timeoutMs) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(app.process, exitCode);
  return true;
}

bool Running(const App& app) { return WaitForSingleObject(app.process, 0) == WAIT_TIMEOUT; }

bool EndWith(const App& app, UINT message, WPARAM wParam, DWORD* exitCode, DWORD boundMs) {
  const DWORD start = GetTickCount();
  do {
    PostMessageW(app.main, message, wParam, 0);
    if (WaitExit(app, 3000, exitCode)) return true;
  } while (GetTickCount() - start < boundMs);
  return false;
}

HWND WaitMainWindow(App& app, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    HWND main = FindWindowW(L"QuillmarkMainWindow", nullptr);
    if (main && GetDlgItem(main, 1041)) {
      app.main = main;
      return main;
    }
    Wait(50);
  }
  return nullptr;
}

HWND WaitMessageBox(const App& app, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    HWND box = FindVisibleOf(app, L"#32770");
    if (box && GetDlgItem(box, IDOK)) return box;
    if (!Running(app)) return nullptr;
    Wait(50);
  }
  return nullptr;
}

HWND VisibleMessageBox(const App& app) {
  HWND box = FindVisibleOf(app, L"#32770");
  return box && GetDlgItem(box, IDOK) ? box : nullptr;
}

std::wstring MessageBoxText(HWND box) { return Text(GetDlgItem(box, 0xFFFF)); }

std::wstring WindowTitle(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  return title;
}

HWND MessageBoxIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
      return child;
  }
  return nullptr;
}

void PressOk(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

HWND AskAbout(const App& app, DWORD boundMs) {
  const DWORD start = GetTickCount();
  do {
    PostCommand(app, CMD_ABOUT);
    if (HWND box = WaitMessageBox(app, 3000)) return box;
  } while (GetTickCount() - start < boundMs && Running(app));
  return nullptr;
}

bool WaitBoxGone(const App& app, HWND box) {
  const bool gone =
      qm::WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, "the message box to close");
  Settle(app);
  return gone;
}

void Settle(const App& app) {
  for (int trip = 0; trip < 2; ++trip) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(app.main, WM_NULL, 0, 0, SMTO_NORMAL, qm::WAIT_BOUND_MS, &ignored);
  }
}

HWND OpenMenuWindow(const App& app) { return FindVisibleOf(app, L"#32768"); }

HWND Element(const App& app, int id) { return app.main ? GetDlgItem(app.main, id) : nullptr; }

bool ReadText(HWND element, std::wstring* text) {
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  if (!element || !Send(element, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), &length)) return false;
  *text = std::wstring(buffer, length);
  return true;
}

std::wstring Text(HWND element) {
  std::wstring text;
  return ReadText(element, &text) ? text : L"<no answer>";
}

std::wstring ClassOf(HWND element) {
  wchar_t name[128] = {};
  GetClassNameW(element, name, 128);
  return name;
}

RECT ClientRectOf(const App& app, HWND element) {
  RECT rect = {};
  GetWindowRect(element, &rect);
  MapWindowPoints(nullptr, app.main, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int EditLineCount(HWND edit) {
  DWORD_PTR count = 0;
  Send(edit, EM_GETLINECOUNT, 0, 0, &count);
  return static_cast<int>(count);
}

std::wstring EditLine(HWND edit, int line) {
  wchar_t buffer[1024] = {};
  buffer[0] = 1023;
  DWORD_PTR length = 0;
  if (!Send(edit, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer), &length)) return L"<no answer>";
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
  return text;
}

bool ProgressPos(HWND bar, int* pos) {
  DWORD_PTR answer = 0;
  if (!bar || !Send(bar, PBM_GETPOS, 0, 0, &answer)) return false;
  *pos = static_cast<int>(answer);
  return true;
}

namespace {

struct Answers {
  std::vector<int> positions;
  size_t pending = 0;
};

void CALLBACK OnPosition(HWND, UINT, ULONG_PTR context, LRESULT result) {
  auto* slot = reinterpret_cast<std::pair<Answers*, size_t>*>(context);
  slot->first->positions[slot->second] = static_cast<int>(result);
  --slot->first->pending;
}

}  // namespace

std::vector<int> ProgressPositions(const std::vector<HWND>& bars, DWORD timeoutMs) {
  Answers answers;
  answers.positions.assign(bars.size(), -1);
  std::vector<std::pair<Answers*, size_t>> slots;
  slots.reserve(bars.size());
  for (size_t i = 0; i < bars.size(); ++i) {
    slots.emplace_back(&answers, i);
    if (bars[i] && SendMessageCallbackW(bars[i], PBM_GETPOS, 0, 0, OnPosition,
                                        reinterpret_cast<ULONG_PTR>(&slots.back()))) {
      ++answers.pending;
    }
  }
  DWORD start = GetTickCount();
  while (answers.pending > 0 && GetTickCount() - start < timeoutMs) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  // Answers that come later must not land in a vector that is gone.
  while (answers.pending > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  return answers.positions;
}

std::wstring StoredText(HWND element) {
  wchar_t text[512] = {};
  int length = element ? InternalGetWindowText(element, text, 512) : 0;
  return std::wstring(text, length > 0 ? length : 0);
}

bool ProgressRange(HWND bar, int* low, int* high) {
  DWORD_PTR lowAnswer = 0, highAnswer = 0;
  if (!bar || !Send(bar, PBM_GETRANGE, TRUE, 0, &lowAnswer) ||
      !Send(bar, PBM_GETRANGE, FALSE, 0, &highAnswer)) {
    return false;
  }
  *low = static_cast<int>(lowAnswer);
  *high = static_cast<int>(highAnswer);
  return true;
}

bool IsTopmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void PostCommand(const App& app, int command) { PostMessageW(app.main, WM_COMMAND, command, 0); }

void Click(HWND element) {
  RECT rect = {};
  GetWindowRect(element, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Wait(100);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Wait(50);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF pixel = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return pixel;
}

double IconMatch(HICON icon, const RECT& screenRect) {
  int width = screenRect.right - screenRect.left;
  int height = screenRect.bottom - screenRect.top;
  if (width <= 0 || height <= 0 || !icon) return 0;
  HDC screen = GetDC(nullptr);
  HDC shown = CreateCompatibleDC(screen);
  HDC drawn = CreateCompatibleDC(screen);
  HBITMAP shownBits = CreateCompatibleBitmap(screen, width, height);
  HBITMAP drawnBits = CreateCompatibleBitmap(screen, width, height);
  SelectObject(shown, shownBits);
  SelectObject(drawn, drawnBits);
  BitBlt(shown, 0, 0, width, height, screen, screenRect.left, screenRect.top, SRCCOPY);
  // The same background the box shows, then the icon over it.
  HBRUSH background = CreateSolidBrush(GetPixel(shown, 0, 0));
  RECT all = {0, 0, width, height};
  FillRect(drawn, &all, background);
  DrawIconEx(drawn, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  int same = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) same += GetPixel(shown, x, y) == GetPixel(drawn, x, y);
  }
  DeleteObject(background);
  DeleteDC(shown);
  DeleteDC(drawn);
  DeleteObject(shownBits);
  DeleteObject(drawnBits);
  ReleaseDC(nullptr, screen);
  return static_cast<double>(same) / (width * height);
}

std::wstring Path(const App& app, const std::wstring& name) { return app.folder + L"\\" + name; }

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void PutFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadAll(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

std::vector<std::wstring> Matching(const App& app, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Path(app, pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void Wait(DWORD ms) { ::Sleep(ms); }

bool WaitRunEnd(App& app) {
  const DWORD begin = GetTickCount();
  std::wstring speed = L"MB/s";
  qm::WaitFor(
      [&] { return !Running(app) || (ReadText(Element(app, IDC_SPEED_BOX), &speed) && speed != L"MB/s"); },
      "the speed box to show the run's speed", 400000);
  // The snapshot at the end of the run ends the topmost state, then writes
  // the window's picture: a BMP of the window's outer size.
  qm::WaitFor([&] { return !Running(app) || !IsTopmost(app.main); }, "the end of the topmost state");
  RECT outer = {};
  GetWindowRect(app.main, &outer);
  const long long rowBytes = ((outer.right - outer.left) * 3LL + 3) & ~3LL;
  const long long bytes = 54 + rowBytes * (outer.bottom - outer.top);
  qm::WaitFor([&] { return !Running(app) || FileSize(Path(app, L"this_sys.bmp")) == bytes; },
              "this_sys.bmp written in full");
  Note("run took " + std::to_string((GetTickCount() - begin) / 1000) + " s");
  return speed != L"MB/s";
}

namespace {

uint32_t At32(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
         static_cast<uint8_t>(bytes[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

}  // namespace

void CheckSnapshot(const App& app, const std::wstring& name) {
  const COLORREF ROW_BACKGROUND = RGB(64, 120, 64);
  std::string bmp = ReadAll(Path(app, name));
  RECT outer = {};
  GetWindowRect(app.main, &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  bool header = bmp.size() == 54 + rowBytes * height && bmp.substr(0, 2) == "BM" && At32(bmp, 10) == 54 &&
                static_cast<int>(At32(bmp, 18)) == width && static_cast<int>(At32(bmp, 22)) == height &&
                (At32(bmp, 26) >> 16) == 24 && At32(bmp, 30) == 0;
  Check(
      header, Narrow(name) + ": 24-bit BMP of the window's outer size",
      std::to_string(width) + " x " + std::to_string(height) + ", " + std::to_string(bmp.size()) + " bytes");
  if (!header) return;
  RECT row = ClientRectOf(app, Element(app, IDC_ROUND_ROW_1));
  POINT at = {row.left + 6, row.top + 6};
  ClientToScreen(app.main, &at);
  const int x = at.x - outer.left, y = at.y - outer.top;
  const size_t offset = 54 + rowBytes * static_cast<size_t>(height - 1 - y) + static_cast<size_t>(x) * 3;
  COLORREF pixel = RGB(static_cast<uint8_t>(bmp[offset + 2]), static_cast<uint8_t>(bmp[offset + 1]),
                       static_cast<uint8_t>(bmp[offset]));
  Check(pixel == ROW_BACKGROUND, Narrow(name) + ": the first round row shows RGB(64,120,64)",
        std::to_string(GetRValue(pixel)) + "," + std::to_string(GetGValue(pixel)) + "," +
            std::to_string(GetBValue(pixel)));
}

int PlayScenario(int argc, wchar_t** argv, const char* program, const Scenario& play) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s SCENARIO EXE FOLDER\n", program);
    return 2;
  }
  App app;
  std::string scenario = Narrow(argv[1]);
  if (!Launch(app, argv[2], argv[3])) return 2;
  int stopped = play(scenario, app);
  if (Running(app)) {
    Note("ending the program left running");
    TerminateProcess(app.process, 1);
  }
  int failed = Failures() + stopped;
  printf("%s: %d failed\n", scenario.c_str(), Failures());
  return failed > 100 ? 100 : failed;
}

}  // namespace e2e
