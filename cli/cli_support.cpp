// What the zt7util subcommands share: argument text, output and usage errors.
#include "cli_support.h"

#include <cstdio>
#include <string>

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

DigestParts::DigestParts(const std::string& digest) {
  const size_t comma = digest.find(',');
  first = digest.substr(0, comma);
  if (comma != std::string::npos) second = digest.substr(comma + 1);
}

void PrintLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

void PrintUsage(const Command& command) {
  std::string usage = std::string("Usage: zt7util ") + command.name;
  if (*command.synopsis) usage += std::string(" ") + command.synopsis;
  PrintLine(usage);
  PrintLine(std::string("  ") + command.summary);
  if (*command.details) PrintLine(command.details);
}

int UsageError(const Command* command, const std::string& message) {
  std::string line = "zt7util: ";
  if (command) line += std::string(command->name) + ": ";
  line += message + " (see 'zt7util " + (command ? std::string(command->name) + " " : "") +
          "--help')\n";
  std::fputs(line.c_str(), stderr);
  return kUsageError;
}

int Refused(const Command& command, const std::string& reason) {
  std::fputs(("zt7util: " + std::string(command.name) + ": " + reason + "\n").c_str(), stderr);
  return kRefused;
}

int ReportCheck(int code, bool secondGiven) {
  const char* word = code == 3 ? "both parts valid" : code == 1 ? "first part valid" : "invalid";
  PrintLine(std::to_string(code) + " " + word);
  return code == 3 || (code == 1 && !secondGiven) ? kSuccess : kRefused;
}

}  // namespace zt7cli
