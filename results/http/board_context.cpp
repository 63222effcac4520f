#include "results/http/board_context.h"

namespace qm {

void AddBoardRoute(RouteTable* table, BoardContext* context, const char* method, const char* pattern,
                   RouteCost cost, BoardHandler handler) {
  AddRoute(table, method, pattern, cost,
           [context, handler](const HttpRequest& req, HttpReply& res) { handler(context, req, res); });
}

}  // namespace qm
