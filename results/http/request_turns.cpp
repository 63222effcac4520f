#include "results/http/request_turns.h"

#include <algorithm>
#include <utility>

namespace qm {

TurnAnswer TakeTurn(RequestTurns* turns, const void* who, std::function<void(bool turn)> start) {
  std::lock_guard<std::mutex> lock(turns->mutex);
  if (turns->held < turns->atOnce) {
    ++turns->held;
    return TurnAnswer::Now;
  }
  if (turns->line.size() >= turns->lineLimit) return TurnAnswer::Refused;
  turns->line.push_back({who, std::move(start)});
  return TurnAnswer::Waiting;
}

void GiveTurnBack(RequestTurns* turns) {
  std::function<void(bool)> next;
  {
    std::lock_guard<std::mutex> lock(turns->mutex);
    if (turns->line.empty()) {
      --turns->held;
      return;
    }
    next = std::move(turns->line.front().start);
    turns->line.pop_front();
  }
  next(true);
}

bool LeaveLine(RequestTurns* turns, const void* who) {
  std::lock_guard<std::mutex> lock(turns->mutex);
  const auto at = std::find_if(turns->line.begin(), turns->line.end(),
                               [who](const RequestTurns::Waiting& w) { return w.who == who; });
  if (at == turns->line.end()) return false;
  turns->line.erase(at);
  return true;
}

void EmptyLine(RequestTurns* turns) {
  std::deque<RequestTurns::Waiting> line;
  {
    std::lock_guard<std::mutex> lock(turns->mutex);
    line.swap(turns->line);
  }
  for (RequestTurns::Waiting& waiting : line) waiting.start(false);
}

}  // namespace qm
