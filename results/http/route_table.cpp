#include "results/http/route_table.h"

#include <algorithm>

namespace qm {

void AddRoute(RouteTable* table, const std::string& method, const std::string& pattern, RouteCost cost,
              RouteHandler handler) {
  Route route;
  route.method = method;
  route.pattern = pattern;
  route.regex = std::regex(pattern);
  route.cost = cost;
  route.handler = std::move(handler);
  table->routes.push_back(std::move(route));
}

RouteMatch FindRoute(const RouteTable& table, const std::string& method, const std::string& path,
                     const Route** route, std::vector<std::string>* matches, std::string* allow) {
  const std::string wanted = method == "HEAD" ? "GET" : method;
  std::vector<std::string> methods;
  for (const Route& candidate : table.routes) {
    std::smatch found;
    if (!std::regex_match(path, found, candidate.regex)) continue;
    if (candidate.method == wanted) {
      *route = &candidate;
      matches->assign(found.begin(), found.end());
      return RouteMatch::Found;
    }
    methods.push_back(candidate.method);
    if (candidate.method == "GET") methods.push_back("HEAD");
  }
  if (methods.empty()) return RouteMatch::NoPath;
  std::sort(methods.begin(), methods.end());
  methods.erase(std::unique(methods.begin(), methods.end()), methods.end());
  allow->clear();
  for (const std::string& m : methods) *allow += (allow->empty() ? "" : ", ") + m;
  return RouteMatch::WrongMethod;
}

}  // namespace qm
