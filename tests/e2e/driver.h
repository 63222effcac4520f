// The end-to-end test driver: starts quillmark.exe in a folder, finds its
// windows and message boxes, reads their elements, presses buttons and
// posts menu commands, and asks the shell script that runs it for X
// screenshots and keys. Every check prints one line; failures are counted.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/wait_for.h"

namespace e2e {

// --- checks ---
void Check(bool ok, const std::string& what, const std::string& detail = "");
void CheckText(const std::wstring& got, const std::wstring& expected, const std::string& what);
int Failures();
void Note(const std::string& text);
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

// --- the shell script on the other end of stdin/stdout ---
void Screenshot(const std::string& name);
void PressKey(const std::string& xdotoolKey);

// --- the program under test ---
struct App {
  HANDLE process = nullptr;
  DWORD processId = 0;
  HWND main = nullptr;
  std::wstring folder;  // its current directory
};
bool Launch(App& app, const std::wstring& exe, const std::wstring& folder);
// Waits for the process to end; false on timeout. *exitCode set when it ended.
bool WaitExit(const App& app, DWORD timeoutMs, DWORD* exitCode);
bool Running(const App& app);

// Posts message to the main window until the program ends; false when it
// still runs after bound. A request that lands in one of the program's
// pumps is lost by design, so it is asked again every few seconds.
// *exitCode set when it ended.
bool EndWith(const App& app, UINT message, WPARAM wParam, DWORD* exitCode, DWORD boundMs = 60000);

// The main window once its last element (START) exists.
HWND WaitMainWindow(App& app, DWORD timeoutMs);
// A visible message box of the program; nullptr on timeout.
HWND WaitMessageBox(const App& app, DWORD timeoutMs);
// The visible message box of the program now, if there is one.
HWND VisibleMessageBox(const App& app);
std::wstring MessageBoxText(HWND box);
std::wstring WindowTitle(HWND window);
HWND MessageBoxIcon(HWND box);  // the icon static, when shown
void PressOk(HWND box);
// Posts "About Quillmark" until its box shows (a command that lands in a
// pump is lost by design) and returns the box; nullptr after bound. The
// program takes commands in turn, so this also shows that what was asked
// before it is done.
HWND AskAbout(const App& app, DWORD boundMs = 60000);
// True once the box is gone and the program has had its answer: the pump
// that follows a box then has ended, and a command posted next is not lost
// in it.
bool WaitBoxGone(const App& app, HWND box);
// Two round trips to the main window's thread: whichever pump was running
// when the first was answered has ended by the second.
void Settle(const App& app);
// The drop-down menu window of the program, when one is open.
HWND OpenMenuWindow(const App& app);

// --- elements ---
HWND Element(const App& app, int id);
bool ReadText(HWND element, std::wstring* text);  // WM_GETTEXT, with a timeout
std::wstring Text(HWND element);
std::wstring ClassOf(HWND element);
RECT ClientRectOf(const App& app, HWND element);  // in the main window's client pixels
int EditLineCount(HWND edit);
std::wstring EditLine(HWND edit, int line);
bool ProgressPos(HWND bar, int* pos);
// The positions of several bars at once (-1: no answer within timeoutMs).
// A busy program answers only when it processes its events; asking all bars
// together costs one such moment instead of one per bar.
std::vector<int> ProgressPositions(const std::vector<HWND>& bars, DWORD timeoutMs);
// The text the system keeps for a window, read without asking the program.
std::wstring StoredText(HWND element);
bool ProgressRange(HWND bar, int* low, int* high);
bool IsTopmost(HWND window);
void PostCommand(const App& app, int command);
void Click(HWND element);  // a real left click at its centre

// --- screen pixels (what X shows) ---
COLORREF ScreenPixel(int x, int y);
// Share of pixels of an icon drawn on the box's background that the screen
// shows at rect (0..1).
double IconMatch(HICON icon, const RECT& screenRect);

// --- the end of a run and the snapshots it writes ---
// Waits for the speed box to show the run's speed and for the snapshot
// that ends the topmost state to be written in full; false when the run
// did not finish.
bool WaitRunEnd(App& app);
// A BMP of the main window: 24 bits, uncompressed, the window's outer
// size, and the first round row's background where the row is.
void CheckSnapshot(const App& app, const std::wstring& name);

// --- files of the folder ---
// A file of the program's folder.
std::wstring Path(const App& app, const std::wstring& name);
bool FileExists(const std::wstring& path);
long long FileSize(const std::wstring& path);  // -1: missing
void PutFile(const std::wstring& path, const std::string& bytes);
std::string ReadAll(const std::wstring& path);
// Names of the folder's files that match a pattern such as L"info_*.txt".
std::vector<std::wstring> Matching(const App& app, const std::wstring& pattern);
void Wait(DWORD ms);

// The whole of a driver program: "PROGRAM SCENARIO EXE FOLDER" starts EXE
// in FOLDER and plays the scenario against it; a program left running is
// ended. The exit status is the number of failed checks (capped at 100).
using Scenario = std::function<int(const std::string& name, App& app)>;
int PlayScenario(int argc, wchar_t** argv, const char* program, const Scenario& play);

}  // namespace e2e
