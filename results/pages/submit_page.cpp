#include "results/pages/submit_page.h"

#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"

namespace qm {

std::string SubmitPage(const std::string& refusal) {
  std::string body = "<h1>Submit a result</h1>";
  if (!refusal.empty())
    body += "<p class=\"notice error\" id=\"refusal\" role=\"alert\">This file was not accepted: " +
            EscapeHtml(refusal) + "</p>";
  body +=
      "<p class=\"lead\">After a complete run, Quillmark saves a report (info_&hellip;.txt) and beside it "
      "its "
      "validation file (info_&hellip;.txt.verify). Upload the validation file here: the board decrypts it, "
      "checks "
      "that it holds a whole Quillmark report, and ranks its drive among all others.</p>"
      "<form class=\"search\" method=\"post\" action=\"/submit\" enctype=\"multipart/form-data\">"
      "<input type=\"file\" name=\"file\" id=\"file\" accept=\".verify\" required aria-label=\"Validation "
      "file\">"
      "<button type=\"submit\" id=\"upload\">Upload</button></form>"
      "<p class=\"lead\">The console edition sends its result itself: <code>quillmark --submit URL</code>. "
      "Files received by mail are added with <code>quillmark-results import FILE...</code>.</p>";
  return PageFrame("Submit a result", BoardSection::Submit, body);
}

}  // namespace qm
