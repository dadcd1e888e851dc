// MD5, SHA-224 and SHA-256: standard vectors, the in-memory padding rule, streams, texts.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/md5.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sdl/ebase.h"
#include "sdl/efile.h"
#include "sdl/hex.h"
#include "sdl/istream.h"
#include "sdl/md5.h"
#include "sdl/sha2.h"
#include "sdl/sha256_blocks.h"

// The low-level OpenSSL calls below build final blocks by hand; they are deprecated, not gone.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace zodu {
namespace {

std::string Pattern(size_t length, unsigned seed = 1) {
  std::string s(length, '\0');
  uint32_t x = seed * 2654435761u + 12345;
  for (auto& c : s) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

// A stream over bytes in memory that counts its reads.
class TestStream : public IInputStream {
 public:
  explicit TestStream(const std::string& bytes) : bytes_(bytes) {}

  uint64_t Length() override { return bytes_.size(); }
  uint64_t GetPosition() override { return position_; }
  void SetPosition(uint64_t position) override { position_ = position; }
  void Read(void* buffer, size_t count) override {
    if (count > bytes_.size() - position_) throw std::out_of_range("read past the end");
    memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    ++reads_;
  }
  int Reads() const { return reads_; }

 private:
  std::string bytes_;
  uint64_t position_ = 0;
  int reads_ = 0;
};

struct ReadFailure {};

// Raises on the read with the given ordinal (counting from 1).
class FailingStream : public TestStream {
 public:
  FailingStream(const std::string& bytes, int failingRead)
      : TestStream(bytes), failing_(failingRead) {}
  void Read(void* buffer, size_t count) override {
    if (Reads() + 1 == failing_) throw ReadFailure();
    TestStream::Read(buffer, count);
  }

 private:
  int failing_;
};

std::string Str(const vexcstr& text) {
  return std::string(text.raw(), text.Length());
}

std::string Hex(const unsigned char* bytes, size_t count) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < count; ++i) s += {digits[bytes[i] >> 4], digits[bytes[i] & 15]};
  return s;
}

enum class Algo { Md5, Sha224, Sha256 };

const EVP_MD* EvpOf(Algo algo) {
  return algo == Algo::Md5 ? EVP_md5() : algo == Algo::Sha224 ? EVP_sha224() : EVP_sha256();
}

// The standard digest, from OpenSSL, as plain hexadecimal.
std::string StandardHex(Algo algo, const void* data, size_t length) {
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EXPECT_EQ(EVP_Digest(data, length, md, &size, EvpOf(algo), nullptr), 1);
  return Hex(md, size);
}

// The module's in-memory rule for a message whose remainder r is at most 56, built with
// OpenSSL's block function: full blocks as usual, then one last block holding the r
// bytes, the 0x80 mark unless r is 56, and the 32-bit bit count where the standard puts
// the 64-bit one.
std::string InMemoryRuleHex(Algo algo, const unsigned char* data, size_t length) {
  const size_t full = length / 64 * 64, r = length % 64;
  EXPECT_LE(r, 56u);
  unsigned char block[64] = {};
  memcpy(block, data + full, r);
  if (r < 56) block[r] = 0x80;
  const uint32_t bits = static_cast<uint32_t>(length * 8);
  unsigned char out[32];
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
std::string MemoryHexOf(const void* data, uint32_t length) {
  Hasher h;
  h.Digest(data, length);
  return Hex(h.GetDigest(), Hasher::kDigestSize);
}

std::string MemoryHex(Algo algo, const void* data, uint32_t length) {
  return algo == Algo::Md5      ? MemoryHexOf<MD5>(data, length)
         : algo == Algo::Sha224 ? MemoryHexOf<SHA224>(data, length)
                                : MemoryHexOf<SHA256>(data, length);
}

// MD5 goes through MD5Bytes, the form the frames digest uses.
std::string StreamHex(Algo algo, IInputStream& stream) {
  if (algo == Algo::Md5) {
    const auto bytes = MD5Bytes(stream);
    return Hex(bytes.data(), bytes.size());
  }
  SHA256 h;
  h.DigestStream(stream);
  return Hex(h.GetDigest(), SHA256::kDigestSize);
}

std::string NoBlanks(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

// The SHA-256 compressions, each with whether this processor can run it.
enum class Compression { kPortable, kAvx2, kShaExtensions };

bool Runs(Compression c) {
  return c == Compression::kPortable ||
         (c == Compression::kAvx2 ? zt7::sha256_blocks::CpuHasAvx2AndBmi2()
                                  : zt7::sha256_blocks::CpuHasShaExtensions());
}

zt7::hash_blocks::BlockFunction FunctionOf(Compression c) {
  return c == Compression::kPortable ? zt7::sha256_blocks::CompressPortable
         : c == Compression::kAvx2   ? zt7::sha256_blocks::CompressAvx2
                                     : zt7::sha256_blocks::CompressShaExtensions;
}

// Every SHA test runs on each compression that the processor has.
class ShaPath : public ::testing::TestWithParam<Compression> {
 protected:
  void SetUp() override {
    if (!Runs(GetParam())) GTEST_SKIP() << "not on this processor";
    zt7::sha256_blocks::Force(FunctionOf(GetParam()));
  }
  void TearDown() override { zt7::sha256_blocks::Force(nullptr); }
};

INSTANTIATE_TEST_SUITE_P(Hash, ShaPath,
                         ::testing::Values(Compression::kPortable, Compression::kAvx2,
                                           Compression::kShaExtensions),
                         [](const auto& info) {
                           return info.param == Compression::kPortable ? "Portable"
                                  : info.param == Compression::kAvx2   ? "Avx2"
                                                                       : "ShaExtensions";
                         });

const std::string kFips448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

TEST(Md5, Rfc1321SuiteWithBothVariants) {
  const struct {
    const char* message;
    const char* digest;
  } suite[] = {
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
  for (const auto& row : suite) {
    SCOPED_TRACE(row.message);
    MD5 memory;
    memory.Digest(row.message, static_cast<uint32_t>(strlen(row.message)));
    EXPECT_EQ(Str(memory.ToHex()), row.digest);
    TestStream stream{std::string(row.message)};
    EXPECT_EQ(StreamHex(Algo::Md5, stream), row.digest);
  }
  TestStream million{std::string(1000000, 'a')};
  EXPECT_EQ(StreamHex(Algo::Md5, million), "7707d6ae4e027c70eea2a935c2296f21");
}

// 56 bytes: the stream variant gives the published digest, the in-memory one must not.
TEST_P(ShaPath, Fips180TwoBlockMessage) {
  const char* sha256Standard =
      "248d6a61 d20638b8 e5c02693 0c3e6039 a33ce459 64ff2167 f6ecedd4 19db06c1";
  const char* sha224Standard = "75388b16 512776cc 5dba5da1 fd890150 b0c6455c b4f58b19 52522525";
  ASSERT_EQ(kFips448.size(), 56u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(kFips448.data());

  TestStream stream(kFips448);
  SHA256 streamed;
  streamed.DigestStream(stream);
  EXPECT_EQ(Str(streamed.ToHex()), sha256Standard);

  SHA256 sha256;
  sha256.Digest(kFips448.data(), 56);
  EXPECT_NE(Str(sha256.ToHex()), sha256Standard);
  EXPECT_EQ(NoBlanks(Str(sha256.ToHex())), InMemoryRuleHex(Algo::Sha256, bytes, 56));
  SHA224 sha224;
  sha224.Digest(kFips448.data(), 56);
  EXPECT_NE(Str(sha224.ToHex()), sha224Standard);
  EXPECT_EQ(NoBlanks(Str(sha224.ToHex())), InMemoryRuleHex(Algo::Sha224, bytes, 56));
}

// 1,000,000 is a multiple of 64, so the in-memory variant gives the standard digest too.
TEST_P(ShaPath, Fips180MillionA) {
  const std::string million(1000000, 'a');
  TestStream stream(million);
  SHA256 streamed;
  streamed.DigestStream(stream);
  EXPECT_EQ(Str(streamed.ToHex()),
            "cdc76e5c 9914fb92 81a1c7e2 84d73e67 f1809a48 a497200e 046d39cc c7112cd0");
  SHA224 sha224;
  sha224.Digest(million.data(), 1000000);
  EXPECT_EQ(Str(sha224.ToHex()), "20794655 980c91d8 bbb4c1ea 97618a4b f03f4258 1948b2ee 4ee7ad67");
}

// In memory: standard for every length except remainder 56, where the 32-bit bit count
// replaces the 0x80 mark in the same block.
void CheckMemoryLengths(Algo algo) {
  const std::string data = Pattern(300);
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  for (uint32_t length = 0; length <= 300; ++length) {
    SCOPED_TRACE(length);
    const std::string ours = MemoryHex(algo, bytes, length);
    const std::string standard = StandardHex(algo, bytes, length);
    if (length % 64 != 56) {
      EXPECT_EQ(ours, standard);
    } else {
      EXPECT_NE(ours, standard);
      EXPECT_EQ(ours, InMemoryRuleHex(algo, bytes, length));
    }
  }
}

// Streams: standard for every length, remainder 56 included.
void CheckStreamLengths(Algo algo) {
  const std::string data = Pattern(300, 2);
  for (size_t length = 0; length <= 300; ++length) {
    SCOPED_TRACE(length);
    TestStream stream(data.substr(0, length));
    EXPECT_EQ(StreamHex(algo, stream), StandardHex(algo, data.data(), length));
  }
}

TEST(Md5, MemoryLengthsFollowThePaddingRule) {
  CheckMemoryLengths(Algo::Md5);
}
TEST(Md5, StreamLengthsAreStandard) {
  CheckStreamLengths(Algo::Md5);
}
TEST_P(ShaPath, MemoryLengthsFollowThePaddingRule) {
  CheckMemoryLengths(Algo::Sha224);
  CheckMemoryLengths(Algo::Sha256);
}
TEST_P(ShaPath, StreamLengthsAreStandard) {
  CheckStreamLengths(Algo::Sha256);
}

// Streams longer than one read chunk, ending on and off a chunk boundary.
TEST_P(ShaPath, LongStreamsAreStandard) {
  for (size_t length : {65536u, 65536u * 3 + 57, 200001u}) {
    SCOPED_TRACE(length);
    const std::string data = Pattern(length, 3);
    for (Algo algo : {Algo::Md5, Algo::Sha256}) {
      TestStream stream(data);
      EXPECT_EQ(StreamHex(algo, stream), StandardHex(algo, data.data(), length));
      EXPECT_EQ(stream.GetPosition(), length);
    }
  }
}

// Files are the streams the frames digest hashes.
TEST(Hash, FileStreamsAreStandard) {
  const std::string path = ::testing::TempDir() + "hash_test_file.bin";
  const std::string data = Pattern(65536 + 120, 8);  // remainder 56
  std::ofstream(path, std::ios::binary)
      .write(data.data(), static_cast<std::streamsize>(data.size()));
  for (Algo algo : {Algo::Md5, Algo::Sha256}) {
    TEFile file(vexstr(path.c_str()), vexstr(u"rb"));
    EXPECT_EQ(StreamHex(algo, file), StandardHex(algo, data.data(), data.size()));
  }
  std::remove(path.c_str());
}

TEST(Sha256, EveryCompressionAgreesWithThePortableCode) {
  const std::string data = Pattern(1 << 20, 4);
  auto on = [&](Compression c, auto digest) {
    zt7::sha256_blocks::Force(FunctionOf(c));
    const std::string text = digest();
    zt7::sha256_blocks::Force(nullptr);
    return text;
  };
  for (Compression c : {Compression::kAvx2, Compression::kShaExtensions}) {
    if (!Runs(c)) continue;
    for (uint32_t length : {0u, 1u, 55u, 56u, 63u, 64u, 119u, 120u, 1000u, 1u << 20}) {
      SCOPED_TRACE(length);
      for (Algo algo : {Algo::Sha224, Algo::Sha256}) {
        auto digest = [&] { return MemoryHex(algo, data.data(), length); };
        EXPECT_EQ(on(c, digest), on(Compression::kPortable, digest));
      }
      auto streamed = [&] {
        TestStream stream(data.substr(0, length));
        return StreamHex(Algo::Sha256, stream);
      };
      EXPECT_EQ(on(c, streamed), on(Compression::kPortable, streamed));
    }
  }
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

// A null buffer is the empty message with length 0 and refused with any other length.
TEST(Hash, NullBuffers) {
  for (Algo algo : {Algo::Md5, Algo::Sha224, Algo::Sha256})
    EXPECT_EQ(MemoryHex(algo, nullptr, 0), StandardHex(algo, "", 0));
  EXPECT_THROW(MD5().Digest(nullptr, 1), TFunctionFailedException);
  EXPECT_THROW(SHA224().Digest(nullptr, 56), TFunctionFailedException);
  EXPECT_THROW(SHA256().Digest(nullptr, 64), TFunctionFailedException);
}

// The shortcuts hash the characters of the string view only, not what follows it.
TEST(Hash, TextShortcuts) {
  const vexcstr abc = vexcstr("xabcx").SubString(1, 3);
  EXPECT_EQ(Str(MD5Text(abc)), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Str(SHA224Text(abc)), "23097d22 3405d822 8642a477 bda255b3 2aadbce4 bda0b3f7 e36c9da7");
  EXPECT_EQ(Str(SHA256Text(abc)),
            "ba7816bf 8f01cfea 414140de 5dae2223 b00361a3 96177a9c b410ff61 f20015ad");
  EXPECT_EQ(Str(MD5Text(vexcstr())), "d41d8cd98f00b204e9800998ecf8427e");
  // The shortcuts follow the in-memory padding rule.
  const vexcstr fips(kFips448.data(), kFips448.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(kFips448.data());
  EXPECT_EQ(NoBlanks(Str(SHA256Text(fips))), InMemoryRuleHex(Algo::Sha256, bytes, 56));
  EXPECT_EQ(Str(MD5Text(fips)), InMemoryRuleHex(Algo::Md5, bytes, 56));
}

TEST(Hash, StreamReadErrorsPassThrough) {
  const std::string data = Pattern(70000, 5);
  // Reads: one full chunk of blocks, the remaining blocks, the 48-byte tail.
  for (int failing : {1, 2, 3}) {
    SCOPED_TRACE(failing);
    FailingStream forMd5(data, failing);
    EXPECT_THROW(MD5().DigestStream(forMd5), ReadFailure);
    FailingStream forSha(data, failing);
    EXPECT_THROW(SHA256().DigestStream(forSha), ReadFailure);
  }
}

TEST(Hash, BytesToHexGroups) {
  const unsigned char bytes[] = {0x00, 0x1f, 0xa0, 0xff, 0x7e};
  const struct {
    size_t count, group;
    char separator;
    const char* text;
  } table[] = {
      {0, 0, ' ', ""},
      {0, 2, ' ', ""},
      {5, 0, '-', "001fa0ff7e"},
      {5, 1, ':', "00:1f:a0:ff:7e"},
      {5, 2, '-', "001f-a0ff-7e"},
      {4, 2, ' ', "001f a0ff"},
      {5, 5, ' ', "001fa0ff7e"},
      {5, 9, ' ', "001fa0ff7e"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(Str(BytesToHex(bytes, row.count, row.group, row.separator)), row.text)
        << row.count << " " << row.group;
  }
}

}  // namespace
}  // namespace zodu
