// The texts of the main window: captions, initial contents, menu, the
// startup notice and the about text. Lines of a message are separated by a
// lone carriage return.
#pragma once

#include "engine/program_identity.h"
#include "platform/text.h"

namespace qm {

constexpr char16_t MENU_TITLE[] = u"Quillmark";
constexpr char16_t MENU_START[] = u"Start Quillmark";
constexpr char16_t MENU_COMPARISON[] = u"Comparision Window";
constexpr char16_t MENU_SAVE_RESULTS[] = u"Save window of Quillmark and txt to drive";
constexpr char16_t MENU_ABOUT[] = u"About Quillmark";
constexpr char16_t MENU_SAVE_VALIDATION[] = u"Save validation file";
constexpr char16_t MENU_WEB_PAGE[] = u"Visit my WEB page";
constexpr char16_t MENU_EXIT[] = u"Exit";

constexpr char16_t DRIVE_CAPTION_TEXT[] = u" Scroll here your drive model";
constexpr char16_t AVERAGE_CAPTION_TEXT[] = u" Elapsed ms (average)";
constexpr char16_t THIS_DRIVE_CAPTION_TEXT[] = u"This drive";
constexpr char16_t SPEED_CAPTION_TEXT[] = u"MB/s";
constexpr char16_t BYTES_CAPTION_TEXT[] = u" Bytes written @ round";
constexpr char16_t AVERAGE_BOX_TEXT[] = u"Average";
constexpr char16_t SPEED_BOX_TEXT[] = u"MB/s";
constexpr char16_t BYTES_BOX_TEXT[] = u"Bytes";
constexpr char16_t ROUNDS_CAPTION_TEXT[] = u"Elapsed milliseconds - (10 times)";
constexpr char16_t START_BUTTON_TEXT[] = u"START";

constexpr char16_t STARTUP_NOTICE_BEFORE_CONTACT[] =
    u"Copy whole folder of Quillmark to the drive under test.\r"
    u"Close the Quillmark folder after running the application and before clicking START.\r"
    u"The multi-threading code used in this application does not provide for any possibility of exit.\r"
    u"It is recommended that you do nothing during the test.\r"
    u"It is recommended that you close any applications while testing.\r"
    u"It is recommended that you close any documents or folders during the test.\r"
    u"\r"
    u"NOTE (1)\r"
    u"The window will be minimized during the writing phases\r"
    u"\r"
    u"NOTE (2)\r"
    u"The result do not depend by type or the power of your CPU,\r"
    u"but ONLY For the SPEED of your drive.\r"
    u"\r"
    u"NOTE (3)\r"
    u"What is validation ?\r"
    u"The authenticity of the file sent by you to our email\r"
    u"\r"
    u"NOTE (4)\r"
    u"Your email adresses will not be published anywhere.\r"
    u"\r"
    u"Please, see the menu for generate and save to drive the validation file.\r"
    u"\r"
    u"Send validation file to: ";
constexpr char16_t STARTUP_NOTICE_AFTER_CONTACT[] = u"\r\rThank You";

// The notice shown before the drive check: 26 lines, the 24th ending in the
// author's contact address.
inline Text StartupNotice() {
  return Text(STARTUP_NOTICE_BEFORE_CONTACT) + AUTHOR_CONTACT + STARTUP_NOTICE_AFTER_CONTACT;
}

constexpr char16_t ABOUT_TEXT[] =
    u"This application writes to the drive, without caches/buffers,many files with 4 KiB file size,it will "
    u"write a random data with 16 threads and 32 files queue,then calc the MB/s based on the milliseconds "
    u"used to finish all the operations.\r"
    u"\r"
    u"The result do NOT depend by type or the power of your CPU,but ONLY for the SPEED of your drive.";

}  // namespace qm
