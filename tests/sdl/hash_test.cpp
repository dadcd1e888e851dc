// MD5, SHA-224 and SHA-256: standard vectors, the in-memory padding rule, streams, texts.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "sdl/efile.h"
#include "sdl/hex.h"
#include "sdl/md5.h"
#include "sdl/memstream.h"
#include "sdl/sha2.h"
#include "sdl/sha256_blocks.h"
#include "support/module_digests.h"

namespace zodu {
namespace {

std::string Pattern(size_t length, unsigned seed = 1) {
  std::string s(length, '\0');
  uint32_t x = seed * 2654435761u + 12345;
  for (auto& c : s) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  return s;
}

struct ReadFailure {};

// Bytes in memory as a stream; raises on the read with the ordinal `failing` (from 1).
struct TestStream : TEMemoryStream {
  explicit TestStream(const std::string& bytes, int failing = 0)
      : TEMemoryStream(1 << 16), failing(failing) {
    Write(bytes.data(), bytes.size());
    SetPosition(0);
  }
  void Read(void* buffer, size_t count) override {
    if (++reads == failing) throw ReadFailure();
    TEMemoryStream::Read(buffer, count);
  }
  int failing, reads = 0;
};

std::string Str(const vexcstr& text) {
  std::string s(text.raw(), text.Length());
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

enum class Algo { Md5, Sha224, Sha256 };

// The standard digest, from OpenSSL.
std::string StandardHex(Algo algo, const void* data, size_t length) {
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  const EVP_MD* md_type = algo == Algo::Md5      ? EVP_md5()
                          : algo == Algo::Sha224 ? EVP_sha224()
                                                 : EVP_sha256();
  EXPECT_EQ(EVP_Digest(data, length, md, &size, md_type, nullptr), 1);
  return reference::Hex(md, size, 0);
}

// The module's in-memory padding rule, rebuilt independently with OpenSSL's block functions.
std::string InMemoryRuleHex(Algo algo, const void* data, size_t length) {
  const std::string message(static_cast<const char*>(data), length);
  std::string hex = algo == Algo::Md5 ? reference::MD5Text(message)
                                      : reference::ShaText(message, algo == Algo::Sha224);
  hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
  return hex;
}

std::string MemoryHex(Algo algo, const void* data, uint32_t length) {
  auto hex = [&](auto h) {
    h.Digest(data, length);
    return reference::Hex(h.GetDigest(), decltype(h)::kDigestSize, 0);
  };
  return algo == Algo::Md5 ? hex(MD5()) : algo == Algo::Sha224 ? hex(SHA224()) : hex(SHA256());
}

// MD5 goes through MD5Bytes, the form the frames digest uses.
std::string StreamHex(Algo algo, IInputStream& stream) {
  if (algo == Algo::Md5) {
    const auto bytes = MD5Bytes(stream);
    return reference::Hex(bytes.data(), bytes.size(), 0);
  }
  SHA256 h;
  h.DigestStream(stream);
  return reference::Hex(h.GetDigest(), SHA256::kDigestSize, 0);
}

// Runs `check` once with each SHA-256 compression that this processor has.
template <class F>
void OnEachCompression(F check) {
  using namespace zt7::sha256_blocks;
  for (auto [compress, runs] :
       {std::pair<zt7::hash_blocks::BlockFunction, bool>{CompressPortable, true},
        {CompressAvx2, CpuHasAvx2AndBmi2()},
        {CompressShaExtensions, CpuHasShaExtensions()}}) {
    if (!runs) continue;
    Force(compress);
    check();
    Force(nullptr);
  }
}

const std::string kFips448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

// RFC 1321 and FIPS 180-4; in memory, a message with remainder 56 follows the padding rule.
TEST(Hash, StandardVectors) {
  const std::tuple<Algo, std::string, const char*> vectors[] = {
      {Algo::Md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
      {Algo::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
      {Algo::Md5,
       "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {Algo::Md5, std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
      {Algo::Sha224, "abc", "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
      {Algo::Sha224, kFips448, "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525"},
      {Algo::Sha224, std::string(1000000, 'a'),
       "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67"},
      {Algo::Sha256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {Algo::Sha256, kFips448, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {Algo::Sha256, std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  OnEachCompression([&] {
    for (const auto& [algo, message, digest] : vectors) {
      SCOPED_TRACE(message.substr(0, 20));
      const std::string memory = MemoryHex(algo, message.data(), message.size());
      if (message.size() % 64 == 56) {
        EXPECT_NE(memory, digest);
        EXPECT_EQ(memory, InMemoryRuleHex(algo, message.data(), message.size()));
      } else {
        EXPECT_EQ(memory, digest);
      }
      if (algo == Algo::Sha224) continue;  // no stream variant
      TestStream stream(message);
      EXPECT_EQ(StreamHex(algo, stream), digest);
    }
  });
}

// Every length up to five blocks, and streams across read chunks, against OpenSSL.
TEST(Hash, LengthsFollowThePaddingRuleInMemoryAndTheStandardInStreams) {
  const std::string data = Pattern(200001);
  OnEachCompression([&] {
    for (uint32_t length = 0; length <= 300; ++length) {
      SCOPED_TRACE(length);
      for (Algo algo : {Algo::Md5, Algo::Sha224, Algo::Sha256}) {
        const std::string standard = StandardHex(algo, data.data(), length);
        const std::string ours = MemoryHex(algo, data.data(), length);
        if (length % 64 != 56)
          EXPECT_EQ(ours, standard);
        else
          EXPECT_EQ(ours, InMemoryRuleHex(algo, data.data(), length));
      }
    }
    for (size_t length : {0u, 56u, 120u, 301u, 65536u, 65536u * 3 + 57, 200001u})
      for (Algo algo : {Algo::Md5, Algo::Sha256}) {
        TestStream stream(data.substr(0, length));
        EXPECT_EQ(StreamHex(algo, stream), StandardHex(algo, data.data(), length)) << length;
        EXPECT_EQ(stream.GetPosition(), length);
      }
  });
}

// Fed in pieces of any size, SHA-256 gives what the in-memory rule gives for the whole.
TEST(Hash, PiecesGiveTheInMemoryDigest) {
  const std::string data = Pattern(300);
  for (size_t piece : {1u, 7u, 63u, 64u, 65u, 300u})
    for (size_t length : {0u, 55u, 56u, 57u, 64u, 120u, 184u, 300u}) {
      SHA256 h;
      for (size_t at = 0; at < length; at += piece)
        h.Add(data.data() + at, std::min(piece, length - at));
      h.Finish();
      EXPECT_EQ(reference::Hex(h.GetDigest(), SHA256::kDigestSize, 0),
                InMemoryRuleHex(Algo::Sha256, data.data(), length))
          << piece << " " << length;
    }
}

// Beyond 4 GiB streams count every byte: 2^32 + 61 sparse bytes, the FIPS message at the start
// and across 4 GiB, "the end." last; the digest is Python's hashlib over the same bytes.
TEST(Hash, StreamBeyond4GiBIsStandard) {
  const uint64_t length = (uint64_t{1} << 32) + 61;
  const std::string path = ::testing::TempDir() + "hash_test_4gib.bin";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(kFips448.data(), 56);
    out.seekp(static_cast<std::streamoff>((uint64_t{1} << 32) - 28));
    out.write(kFips448.data(), 56);
    out.seekp(static_cast<std::streamoff>(length - 8));
    out.write("the end.", 8);
    EXPECT_TRUE(out.good());
  }
  TEFile file(vexstr(path.c_str()), vexstr(u"rb"));
  std::remove(path.c_str());  // the open file stays readable
  EXPECT_EQ(file.Length(), length);
  EXPECT_EQ(StreamHex(Algo::Sha256, file),
            "7f1cad79afad6d9ee2e4fd727daa48339596bc93045b2baa6c10b6139e9404c9");
}

// Null buffers, read errors, the in-memory 32-bit bit count (wraps from 512 MiB), the text
// shortcuts (only the view's characters) and hex groups.
TEST(Hash, EdgesShortcutsAndHexGroups) {
  for (Algo algo : {Algo::Md5, Algo::Sha224, Algo::Sha256})
    EXPECT_EQ(MemoryHex(algo, nullptr, 0), StandardHex(algo, "", 0));
  EXPECT_THROW(MD5().Digest(nullptr, 1), TFunctionFailedException);
  EXPECT_THROW(SHA224().Digest(nullptr, 56), TFunctionFailedException);
  EXPECT_THROW(SHA256().Digest(nullptr, 64), TFunctionFailedException);
  // Reads: one full chunk of blocks, the remaining blocks, the 48-byte tail.
  for (int failing : {1, 2, 3}) {
    TestStream forMd5(Pattern(70000), failing), forSha(Pattern(70000), failing);
    EXPECT_THROW(MD5().DigestStream(forMd5), ReadFailure) << failing;
    EXPECT_THROW(SHA256().DigestStream(forSha), ReadFailure) << failing;
  }
  const vexcstr abc = vexcstr("xabcx").SubString(1, 3);
  EXPECT_EQ(Str(MD5Text(abc)), "900150983cd24fb0d6963f7d28e17f72");
  const vexcstr sha224 = SHA224Text(abc);
  EXPECT_EQ(std::string(sha224.raw(), sha224.Length()),
            "23097d22 3405d822 8642a477 bda255b3 2aadbce4 bda0b3f7 e36c9da7");
  const vexcstr fips(kFips448.data(), kFips448.size());
  EXPECT_EQ(Str(SHA256Text(fips)), InMemoryRuleHex(Algo::Sha256, kFips448.data(), 56));
  const std::vector<unsigned char> zeros((1u << 29) + 5);
  EXPECT_EQ(MemoryHex(Algo::Sha256, zeros.data(), zeros.size()),
            InMemoryRuleHex(Algo::Sha256, zeros.data(), zeros.size()));
  const unsigned char bytes[] = {0x00, 0x1f, 0xa0, 0xff, 0x7e};
  auto hex = [&](size_t count, size_t group, char separator) {
    const vexcstr text = BytesToHex(bytes, count, group, separator);
    return std::string(text.raw(), text.Length());
  };
  EXPECT_EQ(hex(0, 2, ' '), "");
  EXPECT_EQ(hex(5, 2, '-'), "001f-a0ff-7e");
  EXPECT_EQ(hex(4, 0, '-'), "001fa0ff");
}

}  // namespace
}  // namespace zodu
