// The board's routes: a method and a path pattern to a handler over plain
// request and reply values, with what answering costs, so the server knows
// which requests touch the database and which may run long.
#pragma once

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "results/http/http_exchange.h"

namespace qm {

enum class RouteCost {
  Light,      // no database: answered on the connection's own thread
  Store,      // a short read or write on the database pool
  Expensive,  // on the database pool, and under the limit for long requests
};

using RouteHandler = std::function<void(const HttpRequest&, HttpReply&)>;

struct Route {
  std::string method;
  std::string pattern;  // the whole path must match
  std::regex regex;
  RouteCost cost = RouteCost::Store;
  RouteHandler handler;
};

struct RouteTable {
  std::vector<Route> routes;
};

void AddRoute(RouteTable* table, const std::string& method, const std::string& pattern, RouteCost cost,
              RouteHandler handler);

enum class RouteMatch { Found, NoPath, WrongMethod };

// The route for method and path (HEAD takes GET's), its groups in
// *matches. WrongMethod: the path has routes, none for that method; *allow
// then lists the methods it takes.
RouteMatch FindRoute(const RouteTable& table, const std::string& method, const std::string& path,
                     const Route** route, std::vector<std::string>* matches, std::string* allow);

}  // namespace qm
