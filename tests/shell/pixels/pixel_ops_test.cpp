// Tests of the whole-buffer pixel operations against plain per-byte
// references written here, on random buffers and on hand-worked cases:
// saturation at both ends, the top byte, the blur borders and the wrap of
// the right-hand neighbours, the gather clamp and the tv mask rows. The
// operations with an SSE2 and an AVX-512 path are tested through each.
#include "shell/pixels/pixel_ops.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "shell/pixels/pixel_ops_paths.h"
#include "shell/pixels/screen_buffer.h"

namespace {

// ---- Per-byte references ------------------------------------------------

unsigned byte_of(Pixel p, int k) { return (p >> (8 * k)) & 0xFFu; }

Pixel from_bytes(const unsigned (&bytes)[4]) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<Pixel>(bytes[3]) << 24;
}

Pixel reference_add(Pixel a, Pixel b) {
  unsigned bytes[4];
  for (int k = 0; k < 4; ++k) {
    const unsigned sum = byte_of(a, k) + byte_of(b, k);
    bytes[k] = sum > 255 ? 255 : sum;
  }
  return from_bytes(bytes);
}

Pixel reference_subtract(Pixel a, Pixel b) {
  unsigned bytes[4];
  for (int k = 0; k < 4; ++k) bytes[k] = byte_of(a, k) > byte_of(b, k) ? byte_of(a, k) - byte_of(b, k) : 0;
  return from_bytes(bytes);
}

Pixel reference_tv_mask(int y, Pixel destination, Pixel mask) {
  switch (y % 4) {
    case 0: return reference_subtract(destination & 0x00FF0000u, mask);
    case 1: return reference_subtract(destination & 0x0000FF00u, mask);
    case 2: return reference_subtract(destination & 0x000000FFu, mask);
    default: return 0;
  }
}

// Source pixel by linear index; the two reads past the end count as black.
Pixel source_at(const Pixel* source, int i) { return i < screen_pixels ? source[i] : 0; }

bool blur_writes(int x, int y) { return y >= 1 && y <= screen_height - 2 && x >= 2; }

Pixel reference_blur8(const Pixel* source, int i) {
  const int neighbours[8] = {-642, -640, -638, -2, 2, 638, 640, 642};
  unsigned bytes[4] = {0, 0, 0, 0};
  for (int offset : neighbours) {
    for (int k = 0; k < 3; ++k) bytes[k] += byte_of(source_at(source, i + offset), k) >> 3;
  }
  return from_bytes(bytes);
}

Pixel reference_blur4(const Pixel* source, int i) {
  auto h = [](Pixel p, int k) { return (byte_of(p, k) >> 1) & 63u; };
  const Pixel up = source[i - 640], down = source_at(source, i + 640);
  const Pixel left = source[i - 2], right = source_at(source, i + 2);
  const unsigned bytes[4] = {h(down, 0) + h(right, 0), h(up, 1) + h(down, 1), h(down, 2) + h(left, 2), 0};
  return from_bytes(bytes);
}

// ---- Buffers and comparison ---------------------------------------------

std::string hex(Pixel p) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", p);
  return text;
}

std::string at(int i) { return "pixel " + std::to_string(i) + " (x " + std::to_string(i % 640) + ", y " + std::to_string(i / 640) + ")"; }

// Random pixels whose bytes are often at or next to the ends of their range,
// so that saturation is hit in every channel, the top byte included.
class PixelSource {
 public:
  explicit PixelSource(unsigned seed) : random_(seed) {}
  Pixel next() {
    static const unsigned extremes[6] = {0, 1, 127, 128, 254, 255};
    unsigned bytes[4];
    for (unsigned& b : bytes) {
      const std::uint32_t r = random_();
      b = (r & 1) ? extremes[(r >> 1) % 6] : (r >> 8) & 0xFFu;
    }
    return from_bytes(bytes);
  }
  void fill(ScreenBuffer& buffer) {
    for (int i = 0; i < screen_pixels; ++i) buffer[i] = next();
  }

 private:
  std::mt19937 random_;
};

ScreenBuffer copy_of(const ScreenBuffer& buffer) {
  ScreenBuffer copy;
  for (int i = 0; i < screen_pixels; ++i) copy[i] = buffer[i];
  return copy;
}

// Compares whole buffers; the first mismatches name the pixel, its inputs,
// the expected and the obtained value.
::testing::AssertionResult same_pixels(const ScreenBuffer& expected, const ScreenBuffer& got,
                                       const std::function<std::string(int)>& inputs) {
  int mismatches = 0;
  std::string report;
  for (int i = 0; i < screen_pixels; ++i) {
    if (expected[i] == got[i]) continue;
    if (++mismatches <= 5) report += "\n  " + at(i) + ": " + inputs(i) + ", expected " + hex(expected[i]) + ", got " + hex(got[i]);
  }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << mismatches << " pixels differ:" << report;
}

// ---- Saturating addition and subtraction --------------------------------

struct BinaryCase {
  const char* name;
  std::function<void(const ScreenBuffer& a, ScreenBuffer& b)> run;  // b is updated
  Pixel (*reference)(Pixel a, Pixel b);                             // new b[i]
};

const BinaryCase binary_cases[] = {
    {"add_buffers_saturate into a third buffer",
     [](const ScreenBuffer& a, ScreenBuffer& b) {
       ScreenBuffer sum;
       add_buffers_saturate(a.pixels(), b.pixels(), sum.pixels());
       b = std::move(sum);
     },
     reference_add},
    {"add_buffers_saturate into its second source",
     [](const ScreenBuffer& a, ScreenBuffer& b) { add_buffers_saturate(a.pixels(), b.pixels(), b.pixels()); }, reference_add},
    {"add_buffer_saturate", [](const ScreenBuffer& a, ScreenBuffer& b) { add_buffer_saturate(a.pixels(), b.pixels()); },
     reference_add},
    {"subtract_buffer_saturate",
     [](const ScreenBuffer& a, ScreenBuffer& b) { subtract_buffer_saturate(a.pixels(), b.pixels()); },
     [](Pixel a, Pixel b) { return reference_subtract(b, a); }},
};

TEST(SaturatingOps, MatchThePerByteReferenceOnRandomBuffers) {
  for (const BinaryCase& c : binary_cases) {
    SCOPED_TRACE(c.name);
    PixelSource random(1234);
    ScreenBuffer a, b;
    random.fill(a);
    random.fill(b);
    const ScreenBuffer b_before = copy_of(b);
    ScreenBuffer expected;
    for (int i = 0; i < screen_pixels; ++i) expected[i] = c.reference(a[i], b_before[i]);

    c.run(a, b);
    EXPECT_TRUE(same_pixels(expected, b, [&](int i) { return "source " + hex(a[i]) + ", destination " + hex(b_before[i]); }));
  }
}

TEST(SaturatingOps, SaturateEachByteAtBothEndsWithoutCarries) {
  struct Case {
    Pixel source, destination, added, subtracted;
  };
  const Case cases[] = {
      {0x00FFFFFF, 0x00123456, 0x00FFFFFF, 0x00000000},  // white onto anything
      {0x00123456, 0x00FFFFFF, 0x00FFFFFF, 0x00EDCBA9},
      {0x01020304, 0x02030405, 0x03050709, 0x01010101},
      {0x02030405, 0x01020304, 0x03050709, 0x00000000},  // clamps at 0 per byte, no borrow
      {0x80808080, 0x80808080, 0xFFFFFFFF, 0x00000000},
      {0x01010101, 0xFEFEFEFE, 0xFFFFFFFF, 0xFDFDFDFD},
      {0x01000000, 0xFF000000, 0xFF000000, 0xFE000000},  // top byte clamps too, no carry out
      {0x000000FF, 0x00000001, 0x000000FF, 0x00000000},  // no carry into green
      {0x00000001, 0x00000100, 0x00000101, 0x00000100},  // no borrow from green
  };
  constexpr int case_count = sizeof cases / sizeof cases[0];
  ScreenBuffer source, added, subtracted;
  for (int i = 0; i < screen_pixels; ++i) {
    source[i] = cases[i % case_count].source;
    added[i] = subtracted[i] = cases[i % case_count].destination;
  }
  add_buffer_saturate(source.pixels(), added.pixels());
  subtract_buffer_saturate(source.pixels(), subtracted.pixels());
  for (int i = 0; i < screen_pixels; ++i) {
    const Case& c = cases[i % case_count];
    ASSERT_EQ(added[i], c.added) << at(i) << ": " << hex(c.destination) << " (+) " << hex(c.source);
    ASSERT_EQ(subtracted[i], c.subtracted) << at(i) << ": " << hex(c.destination) << " (-) " << hex(c.source);
  }
}

// ---- Fade ----------------------------------------------------------------

TEST(FadeBuffer, SubtractsTheAmountFromEveryByte) {
  const Pixel amounts[] = {0, 0x010101, 0x404040, 255 * 0x010101u, 0xFFFFFFFF, 0x01000000, 0x00FF0000, 0x7F000180};
  for (Pixel amount : amounts) {
    PixelSource random(99);
    ScreenBuffer buffer;
    random.fill(buffer);
    const ScreenBuffer before = copy_of(buffer);
    ScreenBuffer expected;
    for (int i = 0; i < screen_pixels; ++i) expected[i] = reference_subtract(before[i], amount);

    fade_buffer(amount, buffer.pixels());
    EXPECT_TRUE(same_pixels(expected, buffer, [&](int i) { return hex(before[i]) + " (-) amount " + hex(amount); }));
  }
}

// ---- TV mask ---------------------------------------------------------------

TEST(TvMask, MatchesThePerByteReferenceOnRandomBuffers) {
  PixelSource random(4321);
  ScreenBuffer mask, buffer;
  random.fill(mask);
  random.fill(buffer);
  const ScreenBuffer before = copy_of(buffer);
  ScreenBuffer expected;
  for (int i = 0; i < screen_pixels; ++i) expected[i] = reference_tv_mask(i / screen_width, before[i], mask[i]);

  apply_tv_mask(mask.pixels(), buffer.pixels());
  EXPECT_TRUE(same_pixels(expected, buffer, [&](int i) { return "destination " + hex(before[i]) + ", mask " + hex(mask[i]); }));
}

TEST(TvMask, KeepsRedGreenBlueThenBlackInTheFourRowsOfAGroup) {
  struct Case {
    Pixel destination, mask;
    Pixel row[4];
  };
  const Case cases[] = {
      {0xFFFFFFFF, 0x00000000, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}},  // black mask, top byte dropped
      {0x00808080, 0x00404040, {0x00400000, 0x00004000, 0x00000040, 0}},
      {0x00808080, 0xFFC0C0C0, {0x00000000, 0x00000000, 0x00000000, 0}},  // mask larger than the channel
      {0x00102030, 0x00000000, {0x00100000, 0x00002000, 0x00000030, 0}},
  };
  for (const Case& c : cases) {
    ScreenBuffer mask, buffer;
    for (int i = 0; i < screen_pixels; ++i) {
      mask[i] = c.mask;
      buffer[i] = c.destination;
    }
    apply_tv_mask(mask.pixels(), buffer.pixels());
    for (int i = 0; i < screen_pixels; ++i) {
      const int y = i / screen_width;
      ASSERT_EQ(buffer[i], c.row[y % 4]) << at(i) << ": row " << y % 4 << " of its group, destination " << hex(c.destination)
                                         << ", mask " << hex(c.mask);
    }
  }
}

// ---- Code paths --------------------------------------------------------------

// The gathers and the eight-neighbour blurs have an SSE2 and an AVX-512 path.
// Each path is tested by name, and pixel_ops.h's choice as well. On a
// processor without AVX-512 only the SSE2 path runs, and the test that
// compares the two paths is skipped.
struct Gathers {
  std::string path;
  void (*checked)(const std::int32_t*, const Pixel*, Pixel*);
  void (*unchecked)(const std::int32_t*, const Pixel*, Pixel*);
};

std::vector<Gathers> gather_paths() {
  std::vector<Gathers> paths = {{"pixel_ops.h", gather_pixels, gather_pixels_unchecked},
                                {"SSE2", pixel_ops_sse2::gather_pixels, pixel_ops_sse2::gather_pixels_unchecked}};
  if (pixel_ops_avx512::supported()) {
    paths.push_back({"AVX-512", pixel_ops_avx512::gather_pixels, pixel_ops_avx512::gather_pixels_unchecked});
  }
  return paths;
}

struct Blur8s {
  std::string path;
  void (*single)(const Pixel*, Pixel*);
  void (*dual)(const Pixel*, Pixel*, Pixel*);
};

std::vector<Blur8s> blur8_paths() {
  std::vector<Blur8s> paths = {{"pixel_ops.h", blur8_buffer, blur8_buffer_dual},
                               {"SSE2", pixel_ops_sse2::blur8_buffer, pixel_ops_sse2::blur8_buffer_dual}};
  if (pixel_ops_avx512::supported()) {
    paths.push_back({"AVX-512", pixel_ops_avx512::blur8_buffer, pixel_ops_avx512::blur8_buffer_dual});
  }
  return paths;
}

// ---- Gathers ---------------------------------------------------------------

// A source whose every pixel differs from pixel 0 and from its neighbours.
ScreenBuffer numbered_source() {
  ScreenBuffer source;
  for (int i = 0; i < screen_pixels; ++i) source[i] = static_cast<Pixel>(i) * 2654435761u | 1u;
  source[0] = 0xC0FFEE00;
  return source;
}

// The case list repeats every 14 pixels, so each case meets every lane
// position of the vectors and both ends of the rows.
TEST(GatherPixels, ReadsPixelZeroForEveryIndexOutOfRange) {
  struct Case {
    std::int32_t index, expected_read;
  };
  const Case cases[] = {
      {0, 0},          {1, 1},           {307199, 307199},  {-1, 0},      {307200, 0},
      {307201, 0},     {-307200, 0},     {-(1 << 30), 0},     {INT_MIN, 0}, {INT_MAX, 0},
      {-307201, 0},    {153600, 153600}, {-2, 0},           {1 << 20, 0},
  };
  constexpr int case_count = sizeof cases / sizeof cases[0];
  const ScreenBuffer source = numbered_source();
  ScreenBuffer index;
  for (int i = 0; i < screen_pixels; ++i) index.indices()[i] = cases[i % case_count].index;

  for (const Gathers& path : gather_paths()) {
    ScreenBuffer destination;
    path.checked(index.indices(), source.pixels(), destination.pixels());
    for (int i = 0; i < screen_pixels; ++i) {
      const Case& c = cases[i % case_count];
      ASSERT_EQ(destination[i], source[c.expected_read])
          << path.path << " gather_pixels, " << at(i) << ": index " << c.index << " should read pixel " << c.expected_read;
    }
  }
}

TEST(GatherPixels, BothGathersMatchTheReferenceOnRandomIndices) {
  std::mt19937 random(555);
  const ScreenBuffer source = numbered_source();
  ScreenBuffer in_range, mixed;
  for (int i = 0; i < screen_pixels; ++i) {
    in_range.indices()[i] = static_cast<std::int32_t>(random() % screen_pixels);
    mixed.indices()[i] = static_cast<std::int32_t>(random());  // about 1 in 7000 in range
    if (i % 2 == 0) mixed.indices()[i] = in_range.indices()[i];
  }
  for (const Gathers& path : gather_paths()) {
    struct Case {
      const char* name;
      void (*gather)(const std::int32_t*, const Pixel*, Pixel*);
      const ScreenBuffer& index;
    };
    const Case cases[] = {
        {"gather_pixels, in range", path.checked, in_range},
        {"gather_pixels, mixed", path.checked, mixed},
        {"gather_pixels_unchecked, in range", path.unchecked, in_range},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(path.path + " " + c.name);
      ScreenBuffer expected, got;
      for (int i = 0; i < screen_pixels; ++i) {
        const std::int32_t read = c.index.indices()[i];
        expected[i] = source[read >= 0 && read < screen_pixels ? read : 0];
      }
      c.gather(c.index.indices(), source.pixels(), got.pixels());
      EXPECT_TRUE(same_pixels(expected, got, [&](int i) { return "index " + std::to_string(c.index.indices()[i]); }));
    }
  }
}

// ---- Blurs -----------------------------------------------------------------

struct BlurCase {
  std::string name;
  // Blurs source into destination; the dual blur also into `second`.
  std::function<void(const Pixel* source, Pixel* destination, Pixel* second)> blur;
  Pixel (*reference)(const Pixel*, int);
  bool dual;
};

std::vector<BlurCase> blur_cases() {
  std::vector<BlurCase> cases;
  for (const Blur8s& path : blur8_paths()) {
    auto single = path.single;
    cases.push_back({path.path + " blur8_buffer", [single](const Pixel* s, Pixel* d, Pixel*) { single(s, d); }, reference_blur8, false});
    cases.push_back({path.path + " blur8_buffer_dual", path.dual, reference_blur8, true});
  }
  cases.push_back({"blur4_channels", [](const Pixel* s, Pixel* d, Pixel*) { blur4_channels(s, d); }, reference_blur4, false});
  return cases;
}

// Runs a blur into a destination that starts as `previous`; for the dual
// blur also checks that the second destination agrees with the first.
ScreenBuffer run_blur(const BlurCase& c, const ScreenBuffer& source, const ScreenBuffer& previous) {
  ScreenBuffer destination = copy_of(previous);
  ScreenBuffer second = copy_of(previous);
  c.blur(source.pixels(), destination.pixels(), second.pixels());
  if (c.dual) {
    EXPECT_TRUE(same_pixels(destination, second, [](int) { return std::string("second destination"); })) << c.name;
  }
  return destination;
}

TEST(Blurs, MatchThePerByteReferenceAndLeaveTheBorderAlone) {
  for (const BlurCase& c : blur_cases()) {
    SCOPED_TRACE(c.name);
    PixelSource random(2024);
    ScreenBuffer source, previous;
    random.fill(source);
    random.fill(previous);
    ScreenBuffer expected = copy_of(previous);
    for (int i = 0; i < screen_pixels; ++i) {
      if (blur_writes(i % screen_width, i / screen_width)) expected[i] = c.reference(source.pixels(), i);
    }
    const ScreenBuffer got = run_blur(c, source, previous);
    EXPECT_TRUE(same_pixels(expected, got, [&](int i) { return "source " + hex(source[i]) + ", previous " + hex(previous[i]); }));
  }
}

TEST(Blurs, UniformSourcesGiveTheWorkedValues) {
  struct Case {
    Pixel source, blur8, blur8_last_two, blur4;  // last two: x = 638, 639 of row 478
  };
  const Case cases[] = {
      {0x00FFFFFF, 0x00F8F8F8, 0x00D9D9D9, 0x007E7E7E},  // 8 and 7 times 31; twice h(255) = 63
      {0x00C0C0C0, 0x00C0C0C0, 0x00A8A8A8, 0x00404040},  // h(192) = 32, not 96
      {0x00808080, 0x00808080, 0x00707070, 0x00000000},  // h(128) = 0
      {0x00080808, 0x00080808, 0x00070707, 0x00080808},
      {0x00070707, 0x00000000, 0x00000000, 0x00060606},
      {0xFF000000, 0x00000000, 0x00000000, 0x00000000},  // the top byte never contributes
      {0x00FF0000, 0x00F80000, 0x00D90000, 0x007E0000},
  };
  constexpr Pixel untouched = 0xA5A5A5A5;
  for (const Case& c : cases) {
    ScreenBuffer source, previous;
    for (int i = 0; i < screen_pixels; ++i) {
      source[i] = c.source;
      previous[i] = untouched;
    }
    for (const BlurCase& blur : blur_cases()) {
      const ScreenBuffer got = run_blur(blur, source, previous);
      for (int i = 0; i < screen_pixels; ++i) {
        const int x = i % screen_width, y = i / screen_width;
        Pixel expected = untouched;
        if (blur_writes(x, y)) {
          const bool last_two = y == screen_height - 2 && x >= screen_width - 2;
          expected = blur.reference == reference_blur4 ? c.blur4 : last_two ? c.blur8_last_two : c.blur8;
        }
        ASSERT_EQ(got[i], expected) << blur.name << " of uniform " << hex(c.source) << " at " << at(i);
      }
    }
  }
}

// One bright source pixel: the destination pixels it reaches show how the
// neighbours are addressed, the linear wrap of the right-hand ones included.
TEST(Blurs, ASinglePixelReachesExactlyItsLinearNeighbours) {
  struct Reached {
    int x, y;
    Pixel value;
  };
  struct Case {
    bool blur8;  // else blur4_channels
    int x, y;
    std::vector<Reached> reached;
  };
  constexpr Pixel eighth = 0x001F1F1F;
  const Case cases[] = {
      // From x = 0 the left-hand neighbours of x = 638 of the rows above
      // reach it; up and down land on x = 0, which is not written.
      {true, 0, 5, {{638, 3, eighth}, {2, 4, eighth}, {638, 4, eighth}, {2, 5, eighth}, {638, 5, eighth}, {2, 6, eighth}}},
      {true, 1, 5, {{639, 3, eighth}, {3, 4, eighth}, {639, 4, eighth}, {3, 5, eighth}, {639, 5, eighth}, {3, 6, eighth}}},
      {true, 10, 1, {{8, 2, eighth}, {10, 2, eighth}, {12, 2, eighth}, {8, 1, eighth}, {12, 1, eighth}}},  // row 0 is not written
      {true, 0, 479, {{638, 477, eighth}, {2, 478, eighth}, {638, 478, eighth}}},
      {true, 639, 0, {{637, 1, eighth}, {639, 1, eighth}}},  // two to its right lies row 1, x = 1: not written
      {true, 15, 7, {{13, 6, eighth}, {15, 6, eighth}, {17, 6, eighth}, {13, 7, eighth}, {17, 7, eighth},
                     {13, 8, eighth}, {15, 8, eighth}, {17, 8, eighth}}},  // across a 16-pixel block edge
      {false, 0, 5, {{638, 4, 0x0000003F}, {2, 5, 0x003F0000}}},
      {false, 1, 479, {{639, 478, 0x0000003F}}},
      {false, 5, 5, {{5, 4, 0x003F3F3F}, {5, 6, 0x00003F00}, {7, 5, 0x003F0000}, {3, 5, 0x0000003F}}},
  };
  for (const Case& c : cases) {
    ScreenBuffer source;
    source[c.y * screen_width + c.x] = 0x00FFFFFF;
    ScreenBuffer expected;
    for (const Reached& r : c.reached) expected[r.y * screen_width + r.x] = r.value;

    for (const BlurCase& blur : blur_cases()) {
      if ((blur.reference == reference_blur8) != c.blur8) continue;
      const ScreenBuffer got = run_blur(blur, source, ScreenBuffer());
      EXPECT_TRUE(same_pixels(expected, got, [](int) { return std::string("black"); }))
          << blur.name << " of one white pixel at x " << c.x << ", y " << c.y;
    }
  }
}

// ---- The two paths against each other ----------------------------------------

// Byte for byte on inputs that reach every lane of the vectors: random
// pictures, saturated ones, and index tables that mix every kind of index.
TEST(PixelOpPaths, Avx512AndSse2GiveTheSameBytes) {
  if (!pixel_ops_avx512::supported()) GTEST_SKIP() << "this processor has no AVX-512";
  std::mt19937 random(77);
  PixelSource pixels(78);
  ScreenBuffer random_picture, white, previous;
  pixels.fill(random_picture);
  pixels.fill(previous);
  for (int i = 0; i < screen_pixels; ++i) white[i] = 0xFFFFFFFF;
  ScreenBuffer any_index, valid_index;
  const std::int32_t edges[] = {0, 1, 639, 640, 307199, 307200, -1, INT_MIN, INT_MAX};
  for (int i = 0; i < screen_pixels; ++i) {
    valid_index.indices()[i] = static_cast<std::int32_t>(random() % screen_pixels);
    const std::uint32_t r = random();
    any_index.indices()[i] = r % 3 == 0 ? edges[r / 3 % 9] : r % 3 == 1 ? valid_index.indices()[i] : static_cast<std::int32_t>(r);
  }

  struct Operation {
    const char* name;
    std::function<void(const Pixel* source, Pixel* destination, Pixel* second)> sse2, avx512;
  };
  const Operation operations[] = {
      {"gather_pixels",
       [&](const Pixel* s, Pixel* d, Pixel*) { pixel_ops_sse2::gather_pixels(any_index.indices(), s, d); },
       [&](const Pixel* s, Pixel* d, Pixel*) { pixel_ops_avx512::gather_pixels(any_index.indices(), s, d); }},
      {"gather_pixels_unchecked",
       [&](const Pixel* s, Pixel* d, Pixel*) { pixel_ops_sse2::gather_pixels_unchecked(valid_index.indices(), s, d); },
       [&](const Pixel* s, Pixel* d, Pixel*) { pixel_ops_avx512::gather_pixels_unchecked(valid_index.indices(), s, d); }},
      {"blur8_buffer", [](const Pixel* s, Pixel* d, Pixel*) { pixel_ops_sse2::blur8_buffer(s, d); },
       [](const Pixel* s, Pixel* d, Pixel*) { pixel_ops_avx512::blur8_buffer(s, d); }},
      {"blur8_buffer_dual", pixel_ops_sse2::blur8_buffer_dual, pixel_ops_avx512::blur8_buffer_dual},
  };
  for (const Operation& operation : operations) {
    for (const ScreenBuffer* source : {&random_picture, &white}) {
      ScreenBuffer sse2 = copy_of(previous), sse2_second = copy_of(previous);
      ScreenBuffer avx512 = copy_of(previous), avx512_second = copy_of(previous);
      operation.sse2(source->pixels(), sse2.pixels(), sse2_second.pixels());
      operation.avx512(source->pixels(), avx512.pixels(), avx512_second.pixels());
      const char* picture = source == &white ? "white" : "random";
      EXPECT_TRUE(same_pixels(sse2, avx512, [&](int i) { return std::string("source ") + hex((*source)[i]); }))
          << operation.name << " of a " << picture << " picture: SSE2 expected, AVX-512 got";
      EXPECT_TRUE(same_pixels(sse2_second, avx512_second, [](int) { return std::string("second destination"); }))
          << operation.name << " of a " << picture << " picture";
    }
  }
}

}  // namespace
