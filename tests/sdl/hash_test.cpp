// MD5, SHA-224 and SHA-256: standard vectors, the in-memory padding rule, streams, texts.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/md5.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "raises.h"
#include "sdl/efile.h"
#include "sdl/md5.h"
#include "sdl/sha2.h"
#include "sdl/sha256_blocks.h"

// The low-level OpenSSL calls below build final blocks by hand; they are deprecated, not gone.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace zodu {
namespace {

using testing_support::Ascii;

std::string Pattern(size_t length, unsigned seed) {
  std::string s(length, '\0');
  uint32_t x = seed * 2654435761u + 12345;
  for (auto& c : s) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  return s;
}

struct ReadFailure {};

// Bytes in memory as a stream; the read with ordinal `failingRead` (from 1) raises.
class TestStream : public IInputStream {
 public:
  explicit TestStream(std::string bytes, int failingRead = 0)
      : bytes_(std::move(bytes)), failing_(failingRead) {}
  uint64_t Length() override { return bytes_.size(); }
  uint64_t GetPosition() override { return position_; }
  void SetPosition(uint64_t position) override { position_ = position; }
  void Read(void* buffer, size_t count) override {
    if (++reads_ == failing_) throw ReadFailure();
    ASSERT_LE(count, bytes_.size() - position_);
    memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
  }

 private:
  std::string bytes_;
  uint64_t position_ = 0;
  int failing_, reads_ = 0;
};

std::string Hex(const unsigned char* bytes, size_t count) {
  std::string s;
  for (size_t i = 0; i < count; ++i)
    s += {"0123456789abcdef"[bytes[i] >> 4], "0123456789abcdef"[bytes[i] & 15]};
  return s;
}

std::string NoBlanks(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

enum class Algo { Md5, Sha224, Sha256 };

// The standard digest, from OpenSSL.
std::string StandardHex(Algo algo, const void* data, size_t length) {
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  const EVP_MD *md5 = EVP_md5(), *sha224 = EVP_sha224(), *sha256 = EVP_sha256();
  EVP_Digest(data, length, md, &size,
             algo == Algo::Md5      ? md5
             : algo == Algo::Sha224 ? sha224
                                    : sha256,
             nullptr);
  return Hex(md, size);
}

// The module's in-memory rule for a remainder r of at most 56, built with OpenSSL's block
// functions: full blocks as usual, then one block of the r bytes, the 0x80 mark unless r
// is 56, and the 32-bit bit count where the standard puts the 64-bit one.
std::string InMemoryRuleHex(Algo algo, const void* message, size_t length) {
  const auto* data = static_cast<const unsigned char*>(message);
  const size_t full = length / 64 * 64, r = length % 64;
  EXPECT_LE(r, 56u);
  unsigned char block[64] = {}, out[32];
  memcpy(block, data + full, r);
  if (r < 56) block[r] = 0x80;
  const uint32_t bits = static_cast<uint32_t>(length * 8);
  if (algo == Algo::Md5) {
    for (int i = 0; i < 4; ++i) block[56 + i] = static_cast<unsigned char>(bits >> (8 * i));
    MD5_CTX c;
    MD5_Init(&c);
    MD5_Update(&c, data, full);
    MD5_Transform(&c, block);
    const uint32_t words[4] = {c.A, c.B, c.C, c.D};
    for (int i = 0; i < 16; ++i) out[i] = static_cast<unsigned char>(words[i / 4] >> (8 * (i % 4)));
    return Hex(out, 16);
  }
  for (int i = 0; i < 4; ++i) block[60 + i] = static_cast<unsigned char>(bits >> (24 - 8 * i));
  SHA256_CTX c;
  algo == Algo::Sha224 ? SHA224_Init(&c) : SHA256_Init(&c);
  SHA256_Update(&c, data, full);
  SHA256_Transform(&c, block);
  for (int i = 0; i < 32; ++i)
    out[i] = static_cast<unsigned char>(c.h[i / 4] >> (24 - 8 * (i % 4)));
  return Hex(out, algo == Algo::Sha224 ? 28 : 32);
}

template <class Hasher>
std::string Hashed(const void* data, uint32_t length) {
  Hasher h;
  h.Digest(data, length);
  return NoBlanks(Ascii(h.ToHex()));
}

std::string MemoryHex(Algo algo, const void* data, uint32_t length) {
  return algo == Algo::Md5      ? Hashed<MD5>(data, length)
         : algo == Algo::Sha224 ? Hashed<SHA224>(data, length)
                                : Hashed<SHA256>(data, length);
}

// MD5 goes through MD5Bytes, the form the frames digest uses.
std::string StreamHex(Algo algo, IInputStream& stream) {
  if (algo == Algo::Md5) {
    const auto bytes = MD5Bytes(stream);
    return Hex(bytes.data(), bytes.size());
  }
  SHA256 h;
  h.DigestStream(stream);
  return NoBlanks(Ascii(h.ToHex()));
}

// Runs `check` on the portable SHA-256 code and, where the CPU has them, on the extensions.
void OnEveryShaPath(const std::function<void()>& check) {
  for (bool portable : {true, false}) {
    if (!portable && !sha256_blocks::CpuHasShaExtensions()) continue;
    SCOPED_TRACE(portable ? "portable" : "SHA extensions");
    sha256_blocks::ForcePortable(portable);
    check();
  }
  sha256_blocks::ForcePortable(false);
}

const std::string kFips448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

TEST(Md5, Rfc1321Suite) {
  const std::pair<const char*, const char*> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [message, digest] : suite) {
    EXPECT_EQ(MemoryHex(Algo::Md5, message, uint32_t(strlen(message))), digest);
    TestStream stream{std::string(message)};
    EXPECT_EQ(StreamHex(Algo::Md5, stream), digest);
  }
  TestStream million{std::string(1000000, 'a')};
  EXPECT_EQ(StreamHex(Algo::Md5, million), "7707d6ae4e027c70eea2a935c2296f21");
}

// The FIPS 180-4 examples. 56 bytes: the stream gives the published digest, memory must not;
// 1,000,000 is a multiple of 64, so memory gives the standard digest too.
TEST(Sha2, Fips180Examples) {
  OnEveryShaPath([] {
    TestStream stream(kFips448);
    SHA256 streamed;
    streamed.DigestStream(stream);
    EXPECT_EQ(Ascii(streamed.ToHex()),
              "248d6a61 d20638b8 e5c02693 0c3e6039 a33ce459 64ff2167 f6ecedd4 19db06c1");
    EXPECT_NE(MemoryHex(Algo::Sha256, kFips448.data(), 56), NoBlanks(Ascii(streamed.ToHex())));
    EXPECT_NE(MemoryHex(Algo::Sha224, kFips448.data(), 56),
              "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525");
    const std::string million(1000000, 'a');
    TestStream millionStream(million);
    EXPECT_EQ(StreamHex(Algo::Sha256, millionStream),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    SHA224 sha224;
    sha224.Digest(million.data(), 1000000);
    EXPECT_EQ(Ascii(sha224.ToHex()),
              "20794655 980c91d8 bbb4c1ea 97618a4b f03f4258 1948b2ee 4ee7ad67");
  });
}

// In memory: standard for every length except remainder 56, where the 32-bit bit count
// replaces the 0x80 mark in the same block. Streams: standard for every length.
TEST(Hash, EveryLengthUpTo300) {
  const std::string data = Pattern(300, 1);
  OnEveryShaPath([&] {
    for (Algo algo : {Algo::Md5, Algo::Sha224, Algo::Sha256})
      for (uint32_t length = 0; length <= 300; ++length) {
        SCOPED_TRACE(length);
        const std::string standard = StandardHex(algo, data.data(), length);
        const std::string ours = MemoryHex(algo, data.data(), length);
        if (length % 64 != 56) {
          EXPECT_EQ(ours, standard);
        } else {
          EXPECT_NE(ours, standard);
          EXPECT_EQ(ours, InMemoryRuleHex(algo, data.data(), length));
        }
        if (algo == Algo::Sha224) continue;
        TestStream stream(data.substr(0, length));
        EXPECT_EQ(StreamHex(algo, stream), standard);
      }
  });
}

// Streams longer than one read chunk, ending on and off a chunk boundary, and a file.
TEST(Hash, LongStreamsAndFilesAreStandard) {
  const std::string path = ::testing::TempDir() + "hash_test_file.bin";
  const std::string data = Pattern(65536 * 3 + 57, 3);
  std::ofstream(path, std::ios::binary).write(data.data(), std::streamsize(65536 + 120));
  OnEveryShaPath([&] {
    for (Algo algo : {Algo::Md5, Algo::Sha256}) {
      for (size_t length : {size_t(65536), size_t(131073), data.size()}) {
        TestStream stream(data.substr(0, length));
        EXPECT_EQ(StreamHex(algo, stream), StandardHex(algo, data.data(), length)) << length;
      }
      TEFile file(vexstr(path.c_str()), vexstr(u"rb"));
      EXPECT_EQ(StreamHex(algo, file), StandardHex(algo, data.data(), 65536 + 120));
    }
  });
  std::remove(path.c_str());
}

// The bit count of the in-memory variants is 32 bits wide and wraps from 512 MiB on.
TEST(Sha256, MemoryBitCountWrapsAt512MiB) {
  const uint32_t length = (1u << 29) + 5;
  const std::vector<unsigned char> zeros(length);
  EXPECT_EQ(MemoryHex(Algo::Sha256, zeros.data(), length),
            InMemoryRuleHex(Algo::Sha256, zeros.data(), length));
}

// Beyond 4 GiB the stream variant still counts every byte. A sparse file of 2^32 + 61
// bytes, zero but for the FIPS message at the start and across the 4 GiB mark and "the end."
// at its end; the expected digest is Python's hashlib over the same bytes.
TEST(Sha256, StreamBeyond4GiBIsStandard) {
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

// Null buffers, the text shortcuts (the view only, the in-memory rule) and read errors.
TEST(Hash, EdgesAndShortcuts) {
  for (Algo algo : {Algo::Md5, Algo::Sha224, Algo::Sha256})
    EXPECT_EQ(MemoryHex(algo, nullptr, 0), StandardHex(algo, "", 0));
  EXPECT_THROW(MD5().Digest(nullptr, 1), TFunctionFailedException);
  EXPECT_THROW(SHA224().Digest(nullptr, 56), TFunctionFailedException);
  EXPECT_THROW(SHA256().Digest(nullptr, 64), TFunctionFailedException);
  const vexcstr abc = vexcstr("xabcx").SubString(1, 3);
  EXPECT_EQ(Ascii(MD5Text(abc)), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Ascii(SHA224Text(abc)),
            "23097d22 3405d822 8642a477 bda255b3 2aadbce4 bda0b3f7 e36c9da7");
  EXPECT_EQ(Ascii(SHA256Text(abc)),
            "ba7816bf 8f01cfea 414140de 5dae2223 b00361a3 96177a9c b410ff61 f20015ad");
  const vexcstr fips(kFips448.data(), kFips448.size());
  EXPECT_EQ(NoBlanks(Ascii(SHA256Text(fips))), InMemoryRuleHex(Algo::Sha256, kFips448.data(), 56));
  EXPECT_EQ(Ascii(MD5Text(fips)), InMemoryRuleHex(Algo::Md5, kFips448.data(), 56));
  // Reads: one full chunk of blocks, the remaining blocks, the 48-byte tail.
  const std::string data = Pattern(70000, 5);
  for (int failing : {1, 2, 3}) {
    TestStream forMd5(data, failing), forSha(data, failing);
    EXPECT_THROW(MD5().DigestStream(forMd5), ReadFailure);
    EXPECT_THROW(SHA256().DigestStream(forSha), ReadFailure);
  }
}

}  // namespace
}  // namespace zodu
