#include "results/http/http_exchange.h"

#include <strings.h>

namespace qm {

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes, and + as a space in a query. false: a broken escape.
bool Decode(const std::string& text, bool plusIsSpace, std::string* out) {
  out->clear();
  out->reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%') {
      const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
      const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
      if (high < 0 || low < 0) return false;
      out->push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      out->push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
  }
  return true;
}

const std::string* FindField(const FieldList& fields, const std::string& name) {
  for (const auto& field : fields)
    if (SameName(field.first, name)) return &field.second;
  return nullptr;
}

}  // namespace

std::string HeaderValue(const HttpRequest& request, const std::string& name) {
  const std::string* value = FindField(request.headers, name);
  return value ? *value : std::string();
}

bool HasHeader(const HttpRequest& request, const std::string& name) {
  return FindField(request.headers, name) != nullptr;
}

std::string ParamValue(const HttpRequest& request, const std::string& name) {
  for (const auto& param : request.params)
    if (param.first == name) return param.second;
  return std::string();
}

bool HasParam(const HttpRequest& request, const std::string& name) {
  for (const auto& param : request.params)
    if (param.first == name) return true;
  return false;
}

void SetHeader(HttpReply& reply, const std::string& name, const std::string& value) {
  for (auto& field : reply.headers)
    if (SameName(field.first, name)) {
      field.second = value;
      return;
    }
  reply.headers.emplace_back(name, value);
}

std::string ReplyHeader(const HttpReply& reply, const std::string& name) {
  const std::string* value = FindField(reply.headers, name);
  return value ? *value : std::string();
}

void SetContent(HttpReply& reply, const std::string& body, const std::string& type) {
  reply.body = body;
  SetHeader(reply, "Content-Type", type);
}

bool SplitTarget(const std::string& target, std::string* path, FieldList* params) {
  if (target.empty() || target[0] != '/') return false;
  const size_t question = target.find('?');
  if (!Decode(target.substr(0, question), false, path)) return false;
  params->clear();
  if (question == std::string::npos) return true;
  const std::string query = target.substr(question + 1);
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(start, end - start);
    if (!pair.empty()) {
      const size_t equals = pair.find('=');
      std::string name, value;
      // A broken escape in a parameter leaves it as sent: the routes
      // check every value they use.
      if (!Decode(pair.substr(0, equals), true, &name)) name = pair.substr(0, equals);
      if (equals != std::string::npos && !Decode(pair.substr(equals + 1), true, &value))
        value = pair.substr(equals + 1);
      params->emplace_back(name, value);
    }
    start = end + 1;
  }
  return true;
}

}  // namespace qm
