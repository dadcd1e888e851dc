// What the zt7util subcommands share: argument text, digest parts, output and usage errors.
#include "cli_support.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

namespace zt7cli {
namespace {

// The length of the UTF-8 sequence at `s[i]`, 0 when it is not a valid one (overlong
// forms, surrogates and values above U+10FFFF are not).
size_t SequenceLength(const std::string& s, size_t i, char32_t& value) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char lead = byte(i);
  size_t n;
  char32_t min;
  if (lead < 0x80) {
    value = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2, min = 0x80, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3, min = 0x800, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4, min = 0x10000, value = lead & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::u16string WideText(const std::string& utf8) {
  std::u16string wide;
  wide.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t value;
    size_t n = SequenceLength(utf8, i, value);
    if (n == 0) {
      wide += static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(utf8[i]));
      ++i;
      continue;
    }
    if (value >= 0x10000) {
      value -= 0x10000;
      wide += static_cast<char16_t>(0xD800 | (value >> 10));
      wide += static_cast<char16_t>(0xDC00 | (value & 0x3FF));
    } else {
      wide += static_cast<char16_t>(value);
    }
    i += n;
  }
  return wide;
}

void AddDigestParts(CLI::App& command, DigestParts& parts, size_t required) {
  auto take = [&parts, required](const std::vector<std::string>& words) {
    if (words.size() > 2) throw CLI::ValidationError("unexpected argument '" + words[2] + "'");
    std::vector<std::string> split = words;
    if (words.size() == 1 && words[0].find(',') != std::string::npos) {
      const size_t comma = words[0].find(',');
      split = {words[0].substr(0, comma), words[0].substr(comma + 1)};
    }
    for (const std::string& part : split)
      if (part.find(',') != std::string::npos)
        throw CLI::ValidationError("FIRST SECOND",
                                   "a digest is two parts with one comma between "
                                   "them, not '" +
                                       part + "'");
    if (split.size() < required)
      throw CLI::ValidationError("FIRST SECOND", "the digest needs both parts");
    parts.given = split.size();
    parts.first = split[0];
    if (split.size() > 1) parts.second = split[1];
  };
  CLI::Option* option = command.add_option_function<std::vector<std::string>>(
      required > 1 ? "FIRST SECOND" : "FIRST [SECOND]", take);
  // Up to any number, so that a surplus word is named as such.
  option->expected(required > 0 ? 1 : 0, 1 << 20);
  if (required > 0) option->required();
}

void PrintLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

int UsageError(const char* name, const std::string& message) {
  std::string line = "zt7util: ";
  if (name) line += std::string(name) + ": ";
  line += message + " (see 'zt7util help" + (name ? std::string(" ") + name : "") + "')\n";
  std::fputs(line.c_str(), stderr);
  return kUsageError;
}

int Refused(const char* name, const std::string& reason) {
  std::fputs(("zt7util: " + std::string(name) + ": " + reason + "\n").c_str(), stderr);
  return kRefused;
}

int ReportCheck(int code, bool secondGiven) {
  const char* word = code == 3 ? "both parts valid" : code == 1 ? "first part valid" : "invalid";
  PrintLine(std::to_string(code) + " " + word);
  return code == 3 || (code == 1 && !secondGiven) ? kSuccess : kRefused;
}

}  // namespace zt7cli
