// What every handler of the board reaches: the store and the upload cap.
#pragma once

#include "results/http/upload_gate.h"
#include "results/result_store.h"

namespace httplib {
class Server;
}

namespace qm {

struct BoardContext {
  ResultStore* store = nullptr;
  UploadGate gate;
};

// The handlers of each family, registered on the server.
void AddPageRoutes(httplib::Server* server, BoardContext* context);
void AddApiRoutes(httplib::Server* server, BoardContext* context);

}  // namespace qm
