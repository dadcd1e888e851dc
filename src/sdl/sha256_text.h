// Standard SHA-256 of bytes in memory, as sha256sum gives it for a file of those bytes.
#pragma once

#include <string>
#include <string_view>

namespace zt7 {

// 64 lowercase hexadecimal digits. Not the module's in-memory hash, whose padding differs
// (see hash_blocks.h): manifests and shard rules must agree with other tools.
std::string Sha256Hex(std::string_view bytes);

}  // namespace zt7
