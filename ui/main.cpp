// quillmark.exe: the small file write benchmark's window.
#include <windows.h>

#include "ui/end_program.h"
#include "ui/event_loop.h"
#include "ui/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  qm::Startup(instance);
  qm::RunEventLoop();
}
