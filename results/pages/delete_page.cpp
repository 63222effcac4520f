#include "results/pages/delete_page.h"

#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"

namespace qm {

std::string DeleteFormPage(int64_t id, const std::string& token, const std::string& problem) {
  const std::string number = std::to_string(id);
  std::string body = "<h1>Delete result " + number + "</h1>";
  if (!problem.empty()) body += "<p class=\"notice error\" id=\"problem\">" + EscapeHtml(problem) + "</p>";
  body +=
      "<p class=\"lead\">The delete token was shown once, when the result was sent. The result leaves "
      "every page, listing and figure of the board at once.</p>"
      "<form method=\"post\" action=\"/results/" +
      number +
      "/delete\" class=\"delete\"><label for=\"token\">Delete token</label> "
      "<input type=\"text\" id=\"token\" name=\"token\" required maxlength=\"64\" autocomplete=\"off\" "
      "value=\"" +
      EscapeHtml(token) + "\"> <button type=\"submit\" id=\"delete\">Delete this result</button></form>" +
      "<p><a href=\"/results/" + number + "\">Back to the result</a></p>";
  return PageFrame("Delete result " + number, BoardSection::None, body);
}

std::string DeletedPage(int64_t id) {
  return PageFrame("Result deleted", BoardSection::None,
                   "<h1>Result deleted</h1><p class=\"notice\" id=\"deleted\">Result " + std::to_string(id) +
                       " is no longer on the board.</p><p><a href=\"/\">Back to the leaderboard</a></p>");
}

}  // namespace qm
