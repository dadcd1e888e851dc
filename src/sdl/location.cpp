// Location texts: "[file(function):line]" from a compiler's source site.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "sdl/ebase.h"

namespace zodu {
namespace {

bool IsIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Length of the operator symbol or conversion type that follows "operator" at `at`, so that
// its "<", ">" and "()" are not taken for template brackets or the argument list.
size_t OperatorNameLength(std::string_view pretty, size_t at) {
  size_t i = at + 8;
  if (pretty.substr(i, 2) == "()") return i + 2 - at;
  while (i < pretty.size() && std::string_view("<>=!+-*/%^&|~[],").find(pretty[i]) != pretty.npos)
    ++i;
  if (i == at + 8 && i < pretty.size() && pretty[i] == ' ') {  // "operator new", "operator bool"
    ++i;
    while (i < pretty.size() && (IsIdentChar(pretty[i]) || pretty[i] == ':')) ++i;
  }
  return i - at;
}

bool IsOperatorAt(std::string_view pretty, size_t i) {
  return pretty.substr(i, 8) == "operator" && (i == 0 || !IsIdentChar(pretty[i - 1])) &&
         (i + 8 == pretty.size() || !IsIdentChar(pretty[i + 8]));
}

// Template parameters named in a trailing "[with A = x; long unsigned int N = 5]": each
// parameter (the last word before " = ") and its argument.
std::vector<std::pair<std::string_view, std::string_view>> TemplateBindings(std::string_view with) {
  std::vector<std::pair<std::string_view, std::string_view>> bindings;
  while (!with.empty()) {
    size_t semi = with.find("; ");
    std::string_view binding = with.substr(0, semi);
    with = semi == with.npos ? std::string_view() : with.substr(semi + 2);
    size_t eq = binding.find(" = ");
    if (eq == binding.npos) continue;
    std::string_view param = binding.substr(0, eq);
    if (size_t space = param.rfind(' '); space != param.npos) param.remove_prefix(space + 1);
    bindings.emplace_back(param, binding.substr(eq + 3));
  }
  return bindings;
}

// "zodu::TEFile::Open" from "void zodu::TEFile::Open(const vexstr&)": the name before the
// last argument list that stands outside all brackets (return types such as
// "decltype(auto)" and lambdas' "<lambda(int)>" have earlier or inner ones), with the
// template parameters replaced by their arguments.
std::string ShortFunctionName(std::string_view pretty) {
  std::string_view with;
  if (size_t w = pretty.find(" [with "); w != pretty.npos && pretty.back() == ']') {
    with = pretty.substr(w + 7, pretty.size() - w - 8);
    pretty = pretty.substr(0, w);
  }
  int angles = 0, parens = 0;
  size_t lastSpace = 0, nameStart = 0, nameEnd = pretty.size();
  for (size_t i = 0; i < pretty.size(); ++i) {
    if (IsOperatorAt(pretty, i)) {
      i += OperatorNameLength(pretty, i) - 1;
      continue;
    }
    char c = pretty[i];
    if (c == '<') ++angles;
    if (c == '>') --angles;
    if (angles != 0) continue;
    if (c == ' ' && parens == 0) lastSpace = i + 1;
    if (c == '(' && parens++ == 0) {
      nameStart = lastSpace;
      nameEnd = i;
    }
    if (c == ')') --parens;
  }
  std::string_view name = pretty.substr(nameStart, nameEnd - nameStart);
  auto bindings = TemplateBindings(with);
  std::string result;
  for (size_t i = 0; i < name.size();) {
    if (!IsIdentChar(name[i])) {
      result += name[i++];
      continue;
    }
    size_t j = i;
    while (j < name.size() && IsIdentChar(name[j])) ++j;
    std::string_view word = name.substr(i, j - i);
    auto bound = std::find_if(bindings.begin(), bindings.end(),
                              [&](const auto& b) { return b.first == word; });
    result += bound == bindings.end() ? word : bound->second;
    i = j;
  }
  return result;
}

// "sdl/efile" from "sdl/efile.cpp" (or from an absolute path through .../src/).
std::string_view ShortFileName(std::string_view file) {
  if (size_t src = file.rfind("/src/"); src != std::string_view::npos) file.remove_prefix(src + 5);
  if (size_t dot = file.rfind('.');
      dot != std::string_view::npos && file.find('/', dot) == file.npos)
    file = file.substr(0, dot);
  return file;
}

}  // namespace

vexstr FormatLocation(const char* file, const char* function, int line) {
  std::string_view f = ShortFileName(file);
  std::string fn = ShortFunctionName(function);
  vexstr location(u"[");
  location << vexstr(f.data(), f.size()) << u'(' << vexstr(fn.data(), fn.size()) << u"):" << line
           << u']';
  return location;
}

}  // namespace zodu
