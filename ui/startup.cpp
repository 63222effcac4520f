#include "ui/startup.h"

#include <commctrl.h>

#include "drives/drive_list.h"
#include "drives/drive_under_test.h"
#include "engine/drive_check.h"
#include "engine/pause.h"
#include "engine/program_identity.h"
#include "engine/speed.h"
#include "engine/test_files.h"
#include "engine/test_run.h"
#include "export/window_snapshot.h"
#include "inventory/system_info_panel.h"
#include "inventory/wmi_query.h"
#include "platform/files.h"
#include "platform/win32/wide.h"
#include "ui/end_program.h"
#include "ui/main_texts.h"
#include "ui/main_window.h"
#include "ui/place_caret.h"
#include "ui/program_resources.h"
#include "ui/run_view_binding.h"
#include "ui/window_events.h"

namespace qm {

namespace {

constexpr int BANNER_BLINKS = 5;
constexpr uint32_t BANNER_BLINK_MS = 200;
constexpr POINT MENU_TITLE_POINT = {45, 38};  // screen pixels: "Quillmark" of the menu bar at 96 DPI

void LoadLibraries(MainProgram& program) {
  INITCOMMONCONTROLSEX controls = {sizeof controls,
                                   ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  program.richEdit = LoadLibraryW(L"Riched20.dll");
}

void CreateSystemInfoBox(MainProgram& program) {
  program.main.systemInfoBox = CreateEditBox(program, IDC_SYSTEM_INFO_BOX, {300, 10, 320, 450});
  FillSystemInfoBox(program.inventory, MainSystemInfoBox(), program.systemInfoLineCount);
}

void CreateDriveBox(MainProgram& program) {
  MainWindow& main = program.main;
  main.driveCaption = CreateLabel(program, IDC_DRIVE_CAPTION, {20, 8, 260, 15}, DRIVE_CAPTION_TEXT);
  PumpEvents();
  main.driveBox = CreateEditBox(program, IDC_DRIVE_BOX, {20, 23, 260, 90});
  if (main.driveBox) SetWindowTextW(main.driveBox, Wide(program.driveListText));
}

void CreateValueArea(MainProgram& program) {
  MainWindow& main = program.main;
  main.averageCaption = CreateLabel(program, IDC_AVERAGE_CAPTION, {20, 117, 125, 15}, AVERAGE_CAPTION_TEXT);
  PumpEvents();
  main.thisDriveCaption =
      CreateLabel(program, IDC_THIS_DRIVE_CAPTION, {155, 117, 125, 15}, THIS_DRIVE_CAPTION_TEXT);
  PumpEvents();
  main.speedCaption = CreateLabel(program, IDC_SPEED_CAPTION, {20, 177, 125, 15}, SPEED_CAPTION_TEXT);
  PumpEvents();
  main.bytesCaption = CreateLabel(program, IDC_BYTES_CAPTION, {155, 177, 125, 15}, BYTES_CAPTION_TEXT);
  PumpEvents();
  main.averageBox = CreateValueBox(program, IDC_AVERAGE_BOX, {20, 135, 128, 32}, AVERAGE_BOX_TEXT);
  PumpEvents();
  main.thisDriveBox =
      CreateValueBox(program, IDC_THIS_DRIVE_BOX, {153, 135, 128, 32}, program.driveUnderTest);
  PumpEvents();
  main.speedBox = CreateValueBox(program, IDC_SPEED_BOX, {20, 193, 130, 32}, SPEED_BOX_TEXT);
  PumpEvents();
  main.bytesBox = CreateValueBox(program, IDC_BYTES_BOX, {155, 193, 130, 32}, BYTES_BOX_TEXT);
  PumpEvents();
}

Text RoundRowText(int k) {
  Text text = u"Round ";
  text += static_cast<char16_t>(u'0' + k / 10);
  text += static_cast<char16_t>(u'0' + k % 10);
  return text;
}

void CreateResultArea(MainProgram& program) {
  MainWindow& main = program.main;
  main.speedScale = CreatePicture(program, IDC_SPEED_SCALE, 21, 245, program.pictures.scale, false);
  PumpEvents();
  main.speedBar = CreateBar(program, IDC_SPEED_BAR, {20, 270, 260, 10}, SPEED_BAR_MAXIMUM, 0);
  PumpEvents();
  main.roundsCaption = CreateLabel(program, IDC_ROUNDS_CAPTION, {20, 300, 260, 15}, ROUNDS_CAPTION_TEXT);
  PumpEvents();
  for (int k = 1; k <= ROUND_ROWS; ++k) {
    main.rowBackgrounds[k - 1] = ColourOf(IDLE_ROW);
    main.roundRows[k - 1] =
        CreateValueBox(program, IDC_ROUND_ROW_1 + k - 1, {20, 320 + 40 * (k - 1), 260, 32}, RoundRowText(k));
    PumpEvents();
  }
}

void BlinkBanner(MainProgram& program) {
  for (int blink = 0; blink < BANNER_BLINKS; ++blink) {
    ShowBannerPicture(program, true);
    PumpEvents();
    Pause(BANNER_BLINK_MS);
    ShowBannerPicture(program, false);
    PumpEvents();
    Pause(BANNER_BLINK_MS);
  }
}

// Topmost, and the menu dropped open for the user by a click on its title.
void PresentWindow(const MainWindow& main) {
  if (!main.window) return;
  SetWindowPos(main.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetCursorPos(MENU_TITLE_POINT.x, MENU_TITLE_POINT.y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

}  // namespace

void Startup(HINSTANCE instance) {
  MainProgram& program = Program();
  MainWindow& main = program.main;
  program.instance = instance;
  ReadScreenDpi(main);
  LoadLibraries(program);
  LoadFonts(program);
  LoadPictures(program);

  // What an earlier start left behind goes before anything is shown.
  DeleteTestFiles();
  Pause(256);
  Files().remove(Text(OWN_SNAPSHOT_NAME));

  if (!CreateMainWindow(program)) EndProgram();  // nothing to show, nothing to wait for
  program.view = MainWindowRunView();
  QuerySystemInventory(program.inventory);
  PumpEvents();
  CreateSystemInfoBox(program);
  main.testDiagram = CreatePicture(program, IDC_TEST_DIAGRAM, 308, 469, program.pictures.diagram, true);
  PumpEvents();
  program.driveListText = ListDrives();
  CreateDriveBox(program);
  program.driveUnderTest = DriveUnderTestRoot();
  if (main.driveBox) PlaceCaret(main.driveBox, 1, 1);  // the list shown from its beginning
  CreateValueArea(program);
  CreateResultArea(program);
  main.donationBanner = CreateDonationBanner(program, {18, 722, 358, 68});
  main.startButton = CreateStartButton(program, {408, 722, 200, 68});
  PumpEvents();

  MessageBoxW(main.window, Wide(StartupNotice()), Wide(PROGRAM_TITLE), MB_OK | MB_ICONINFORMATION);
  PumpEvents();
  if (!CheckDriveWritable(program.view)) EndProgram();  // it has shown "Drive Error"
  BlinkBanner(program);
  PresentWindow(main);
}

}  // namespace qm
