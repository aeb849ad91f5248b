// The exe's unpacker against zlib's packer: whatever zlib writes comes back whole, and
// damaged or cut input is refused without reading or writing out of bounds.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "lib/Inflate.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

// zlib's output for `data`: raw deflate with windowBits -15, a gzip member with 31.
Bytes Pack(const Bytes& data, int level, int strategy, int windowBits) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, 9, strategy), Z_OK);
  Bytes out(deflateBound(&z, data.size()) + 32);
  z.next_in = const_cast<std::uint8_t*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

Bytes Noise(std::size_t n, unsigned seed) {
  std::mt19937 noise(seed);
  Bytes b(n);
  for (auto& v : b) v = static_cast<std::uint8_t>(noise());
  return b;
}

// Noise said twice: the second half is one long copy from as far back as deflate reaches.
Bytes FarRepeat(std::size_t half) {
  Bytes b = Noise(half, 4);
  b.insert(b.end(), b.begin(), b.end());
  return b;
}

// Text with long and overlapping repeats, as the game's pictures and glyphs have.
Bytes Repetitive(std::size_t n) {
  Bytes b;
  const std::string line = "ab ab ab abc ヴェクサ 0123456789 ";
  for (std::size_t i = 0; b.size() < n; ++i) {
    b.insert(b.end(), line.begin(), line.begin() + std::ptrdiff_t(i % line.size()));
    b.insert(b.end(), i % 300, std::uint8_t(i));
  }
  b.resize(n);
  return b;
}

struct PackCase {
  const char* name;
  Bytes data;
  int level;
  int strategy;
};

TEST(Inflate, GivesBackWhatZlibPackedInEveryKindOfBlock) {
  const PackCase cases[] = {
      {"nothing", {}, 9, Z_DEFAULT_STRATEGY},
      {"one byte", {42}, 9, Z_DEFAULT_STRATEGY},
      {"stored blocks, more than one", Noise(150000, 1), 0, Z_DEFAULT_STRATEGY},
      {"noise, coded", Noise(5000, 2), 9, Z_DEFAULT_STRATEGY},
      {"fixed codes", Repetitive(20000), 9, Z_FIXED},
      {"dynamic codes", Repetitive(200000), 9, Z_DEFAULT_STRATEGY},
      {"codes with no repeats", Repetitive(20000), 9, Z_HUFFMAN_ONLY},
      {"repeats one back", Bytes(70000, 7), 9, Z_RLE},
      {"repeats from far back", FarRepeat(32000), 9, Z_DEFAULT_STRATEGY},
      {"fast level", Repetitive(50000), 1, Z_DEFAULT_STRATEGY},
  };
  for (const auto& c : cases) {
    const auto back = Inflate(Pack(c.data, c.level, c.strategy, -15), c.data.size());
    ASSERT_TRUE(back) << c.name;
    EXPECT_EQ(*back, c.data) << c.name;
  }
}

// Each cut copied to a buffer of its own size, so that reading past it is caught.
TEST(Inflate, RefusesEveryCutWithoutReadingPastIt) {
  const Bytes data = Repetitive(3000);
  for (const int level : {0, 9}) {  // stored and coded blocks
    const Bytes whole = Pack(data, level, Z_DEFAULT_STRATEGY, -15);
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
      EXPECT_FALSE(Inflate(cut, data.size())) << "level " << level << " cut to " << n;
    }
  }
}

TEST(Inflate, RefusesToUnpackPastItsLimit) {
  const Bytes data = Repetitive(1000);
  const Bytes packed = Pack(data, 9, Z_DEFAULT_STRATEGY, -15);
  EXPECT_FALSE(Inflate(packed, 999));
  EXPECT_FALSE(Inflate(Pack(Noise(1000, 3), 0, Z_DEFAULT_STRATEGY, -15), 999)) << "stored";
  EXPECT_TRUE(Inflate(packed, 1000));
}

// Bits as deflate sends them: values lowest bit first, Huffman codes highest bit first.
struct BitWriter {
  Bytes out;
  int used = 8;
  void Put(unsigned value, int n) {
    for (int i = 0; i < n; ++i) {
      if (used == 8) out.push_back(0), used = 0;
      out.back() |= std::uint8_t(((value >> i) & 1) << used++);
    }
  }
  void Code(unsigned code, int n) {
    for (int i = n - 1; i >= 0; --i) Put(code >> i, 1);
  }
};

TEST(Inflate, RefusesMalformedStreams) {
  BitWriter reserved;  // block type 3 does not exist
  reserved.Put(1, 1), reserved.Put(3, 2), reserved.Put(0, 16);
  BitWriter tooFarBack;  // a fixed block whose first symbol copies from before the start
  tooFarBack.Put(1, 1), tooFarBack.Put(1, 2), tooFarBack.Code(1, 7), tooFarBack.Code(0, 5), tooFarBack.Code(0, 7);
  BitWriter badStored;  // a stored block whose length and its check disagree
  badStored.Put(1, 1), badStored.Put(0, 2), badStored.Put(0, 5), badStored.Put(3, 16), badStored.Put(3, 16);
  BitWriter noEnd;  // literals and then nothing
  noEnd.Put(1, 1), noEnd.Put(1, 2), noEnd.Code(0x30 + 'a', 8);
  const std::pair<const char*, Bytes> cases[] = {
      {"no input", {}},
      {"block type 3", reserved.out},
      {"copy from before the start", tooFarBack.out},
      {"stored length unchecked", badStored.out},
      {"ends without an end-of-block", noEnd.out},
  };
  for (const auto& [name, bytes] : cases) EXPECT_FALSE(Inflate(bytes, 1 << 20)) << name;
}

TEST(Gunzip, UnpacksAMemberAndChecksItsLengthAndSum) {
  const Bytes data = Repetitive(30000);
  const Bytes member = Pack(data, 9, Z_DEFAULT_STRATEGY, 31);
  const auto back = Gunzip(member);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, data);

  struct Damage {
    const char* name;
    std::size_t at;
  };
  const Damage damages[] = {
      {"magic", 0}, {"method", 2}, {"flags", 3}, {"packed data", member.size() / 2},
      {"sum", member.size() - 8}, {"length", member.size() - 4},
  };
  for (const auto& d : damages) {
    Bytes bad = member;
    bad[d.at] ^= 0x10;
    EXPECT_FALSE(Gunzip(bad)) << d.name;
  }
}

TEST(Gunzip, RefusesEveryCutAndNeverGivesWrongBytesForFlippedBits) {
  const Bytes member = Pack(Repetitive(3000), 9, Z_DEFAULT_STRATEGY, 31);
  for (std::size_t n = 0; n < member.size(); ++n)
    EXPECT_FALSE(Gunzip(std::span(member).first(n))) << "cut to " << n;
  // A flipped bit may land in the last byte's unused bits; anything else the sum catches.
  const Bytes data = *Gunzip(member);
  std::mt19937 noise(5);
  for (int i = 0; i < 2000; ++i) {
    Bytes bad = member;
    bad[10 + noise() % (bad.size() - 18)] ^= std::uint8_t(1u << (noise() % 8));
    if (const auto back = Gunzip(bad)) {
      EXPECT_EQ(*back, data);
    }
  }
}

}  // namespace
}  // namespace vexa
