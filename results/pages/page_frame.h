// What every page of the board shares: the document around its content,
// the style sheet (served as a file of its own, since the pages allow no
// inline script or style), and the notice on what a checked file proves.
#pragma once

#include <string>

namespace qm {

enum class BoardSection { Leaderboard, Drives, Submit, None };

// A whole HTML document. title is plain text (escaped here); body is markup
// made by the page renderers, which escape everything they take from a
// report or a request.
std::string PageFrame(const std::string& title, BoardSection section, const std::string& body);

// The style sheet at /board.css.
const std::string& BoardStyleSheet();

// A page for an error: its status line and a plain explanation.
std::string ErrorPage(int status, const std::string& explanation);

// The notice on the validation key, shown on every page.
extern const char KEY_NOTICE[];

}  // namespace qm
