// What every handler of the board reaches: the store and the upload cap.
#pragma once

#include "results/http/board_metrics.h"
#include "results/http/route_table.h"
#include "results/http/upload_gate.h"
#include "results/result_store.h"

namespace qm {

struct BoardContext {
  ResultStore* store = nullptr;
  UploadGate gate;
  BoardMetrics* metrics = nullptr;  // uploads are counted by outcome
};

// A handler of the board's own routes: it reads and writes through context.
using BoardHandler = void (*)(BoardContext*, const HttpRequest&, HttpReply&);

// Adds handler to the table, bound to context.
void AddBoardRoute(RouteTable* table, BoardContext* context, const char* method, const char* pattern,
                   RouteCost cost, BoardHandler handler);

// The handlers of each family, added to the server's table.
void AddPageRoutes(RouteTable* table, BoardContext* context);
void AddApiRoutes(RouteTable* table, BoardContext* context);

}  // namespace qm
