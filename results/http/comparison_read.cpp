#include "results/http/comparison_read.h"

#include <algorithm>

#include "results/http/request_values.h"
#include "results/pages/compare_page.h"

namespace qm {

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Every entry of every ids parameter, in order, empty ones left out.
std::vector<std::string> IdTexts(const HttpRequest& req) {
  std::vector<std::string> texts;
  for (const auto& param : req.params) {
    if (param.first != "ids") continue;
    size_t from = 0;
    while (from <= param.second.size()) {
      size_t comma = param.second.find(',', from);
      if (comma == std::string::npos) comma = param.second.size();
      const std::string text = Trimmed(param.second.substr(from, comma - from));
      if (!text.empty()) texts.push_back(text);
      from = comma + 1;
    }
  }
  return texts;
}

}  // namespace

bool ParseCompareIds(const HttpRequest& req, std::vector<int64_t>* ids, std::string* problem) {
  const std::vector<std::string> texts = IdTexts(req);
  if (texts.size() < MIN_COMPARED || texts.size() > MAX_COMPARED) {
    *problem = "Give two to four result numbers to compare, as ids=1,2 (" + std::to_string(texts.size()) +
               (texts.size() == 1 ? " was given)." : " were given).");
    return false;
  }
  ids->clear();
  for (const std::string& text : texts) {
    int64_t id = 0;
    if (!ParseWholeNumber(text, 1, INT64_MAX, 0, &id)) {
      *problem = "Result numbers are whole numbers from 1, separated by commas.";
      return false;
    }
    if (std::find(ids->begin(), ids->end(), id) != ids->end()) {
      *problem = "Result " + std::to_string(id) + " is given twice.";
      return false;
    }
    ids->push_back(id);
  }
  return true;
}

Comparison ReadComparison(ResultStore* store, const HttpRequest& req) {
  Comparison comparison;
  std::vector<int64_t> ids;
  if (!ParseCompareIds(req, &ids, &comparison.problem)) {
    comparison.status = 400;
    return comparison;
  }
  for (int64_t id : ids) {
    ResultRecord record;
    const StoreStatus status = GetResult(store, id, &record);
    if (status == StoreStatus::NotFound) {
      comparison = {404, "There is no result " + std::to_string(id) + ".", {}, {}};
      return comparison;
    }
    if (status != StoreStatus::Ok) {
      comparison = {503, "The results could not be read; try again later.", {}, {}};
      return comparison;
    }
    comparison.results.push_back(std::move(record));
  }
  bool read = MarkOutliers(store, &comparison.results) == StoreStatus::Ok;
  for (const ResultRecord& record : comparison.results) {
    if (!read) break;
    comparison.standings.emplace_back();
    read = GetSpeedStanding(store, record.averageMs, &comparison.standings.back()) == StoreStatus::Ok;
  }
  if (!read) comparison = {503, "The results could not be read; try again later.", {}, {}};
  return comparison;
}

}  // namespace qm
