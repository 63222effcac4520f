// ?page= and ?after= of /drives/<model> and /api/drives/<model>.
#include "results/http/drive_paging.h"

#include "results/http/request_values.h"
#include "results/pages/leaderboard_page.h"

namespace qm {

std::string ReadDrivePaging(const HttpRequest& req, DrivePaging* paging) {
  *paging = DrivePaging();
  if (!ParseWholeNumber(ParamValue(req, "page"), 1, MAX_PAGE_NUMBER, 1, &paging->pageNumber))
    return "The page number must be a whole number from 1.";
  ResultQuery& query = paging->query;
  if (!ParseAfter(ParamValue(req, "after"), &query.after, &query.afterAverageMs, &query.afterId))
    return "The page to follow must be given as after=AVERAGE-ID, two whole numbers.";
  if (paging->pageNumber == 1) query.after = false;
  query.offset = (paging->pageNumber - 1) * LEADERBOARD_PAGE_SIZE;
  query.limit = LEADERBOARD_PAGE_SIZE;
  return std::string();
}

}  // namespace qm
