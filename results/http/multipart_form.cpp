#include "results/http/multipart_form.h"

#include <strings.h>

namespace qm {

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The value of a parameter such as boundary=... or name="...", quoted or not.
std::string ParameterValue(const std::string& header, const std::string& parameter) {
  const std::string lower = Lower(header);
  size_t at = 0;
  while ((at = lower.find(parameter + "=", at)) != std::string::npos) {
    // A whole parameter name only: filename= is not name=.
    if (at == 0 || lower[at - 1] == ';' || lower[at - 1] == ' ' || lower[at - 1] == '\t') break;
    at += parameter.size();
  }
  if (at == std::string::npos) return std::string();
  size_t start = at + parameter.size() + 1;
  if (start < header.size() && header[start] == '"') {
    const size_t end = header.find('"', start + 1);
    return end == std::string::npos ? std::string() : header.substr(start + 1, end - start - 1);
  }
  size_t end = header.find(';', start);
  if (end == std::string::npos) end = header.size();
  while (end > start && (header[end - 1] == ' ' || header[end - 1] == '\t')) --end;
  return header.substr(start, end - start);
}

// The part's name from its Content-Disposition header among its headers.
std::string PartName(const std::string& headers) {
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find("\r\n", start);
    if (end == std::string::npos) end = headers.size();
    const std::string line = headers.substr(start, end - start);
    if (strncasecmp(line.c_str(), "content-disposition:", 20) == 0) return ParameterValue(line, "name");
    start = end + 2;
  }
  return std::string();
}

}  // namespace

bool IsMultipartForm(const std::string& contentType) {
  return Lower(contentType).rfind("multipart/form-data", 0) == 0;
}

FormField FindFormField(const std::string& contentType, const std::string& body, const std::string& name,
                        std::string* content) {
  const std::string boundary = ParameterValue(contentType, "boundary");
  if (boundary.empty() || boundary.size() > 200) return FormField::Broken;
  const std::string delimiter = "--" + boundary;
  size_t at = body.rfind(delimiter, 0) == 0 ? 0 : body.find("\r\n" + delimiter);
  if (at == std::string::npos) return FormField::Broken;
  at += at == 0 ? delimiter.size() : delimiter.size() + 2;
  for (;;) {
    if (body.compare(at, 2, "--") == 0) return FormField::Missing;  // the closing delimiter
    if (body.compare(at, 2, "\r\n") != 0) return FormField::Broken;
    const size_t headersStart = at + 2;
    const size_t headersEnd = body.find("\r\n\r\n", headersStart);
    if (headersEnd == std::string::npos) return FormField::Broken;
    const size_t contentStart = headersEnd + 4;
    const size_t contentEnd = body.find("\r\n" + delimiter, contentStart);
    if (contentEnd == std::string::npos) return FormField::Broken;
    if (PartName(body.substr(headersStart, headersEnd - headersStart + 2)) == name) {
      *content = body.substr(contentStart, contentEnd - contentStart);
      return FormField::Found;
    }
    at = contentEnd + 2 + delimiter.size();
  }
}

}  // namespace qm
