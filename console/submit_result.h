// quillmark --submit URL: the validation file of the saved result goes to
// the results board at URL (POST URL/api/results, the file's bytes as
// application/octet-stream), which answers with the result's address.
#pragma once

#include <cstdio>
#include <string>

#include "platform/text.h"

namespace qm {

struct SubmitAnswer {
  bool accepted = false;
  bool duplicate = false;     // the board had this report already
  std::string address;        // accepted: the result's page, absolute
  std::string deleteCommand;  // newly accepted: the command that deletes it, with its token
  std::string problem;        // not accepted: why, with the board's own error text
};

// Whether boardUrl is an address --submit can use:
// http://host[:port][/path] or https://host[:port][/path].
bool IsBoardUrl(const std::string& boardUrl);

// One upload; waits at most about half a minute for the board.
SubmitAnswer SubmitToBoard(const std::string& boardUrl, const std::string& verifyBytes);

// Sends the validation file of reportName (reportName + ".verify"), then
// writes "submitted <address>" to out, after the command that deletes the
// result when the board gave a delete token, or the problem to err.
// Returns whether the board took it.
bool SubmitSavedResult(const std::string& boardUrl, const Text& reportName, std::FILE* out, std::FILE* err);

}  // namespace qm
