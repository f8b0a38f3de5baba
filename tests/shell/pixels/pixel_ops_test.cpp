// The whole-buffer pixel operations against per-byte references written here, one table over every
// operation and every code path (pixel_ops_paths.h), on random pictures whose bytes are often at the
// ends of their range, a white one, and index tables mixing every kind of index. Destinations start
// random, padding included.
#include "shell/pixels/pixel_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "shell/pixels/pixel_ops_paths.h"
#include "shell/pixels/screen_buffer.h"
#include "support/picture_check.h"

namespace {

constexpr int padded_pixels = screen_pixels + screen_padding_pixels;

unsigned byte_of(Pixel p, int k) { return (p >> (8 * k)) & 0xFFu; }

template <typename Byte>  // Byte(k) gives byte k of the result, 0..255
Pixel from_bytes(Byte byte) {
  Pixel p = 0;
  for (int k = 0; k < 4; ++k) p |= static_cast<Pixel>(byte(k)) << (8 * k);
  return p;
}

// a (+) b and a (-) b, byte by byte.
Pixel reference_add(Pixel a, Pixel b) {
  return from_bytes([&](int k) { return std::min(255u, byte_of(a, k) + byte_of(b, k)); });
}
Pixel reference_subtract(Pixel a, Pixel b) {
  return from_bytes([&](int k) { return std::max(byte_of(a, k), byte_of(b, k)) - byte_of(b, k); });
}

// Rows in groups of four: red only, green only, blue only, each minus the mask, then black.
Pixel reference_tv_mask(int i, Pixel destination, Pixel mask) {
  const Pixel keep[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
  const int row = i / screen_width % 4;
  return row == 3 ? 0 : reference_subtract(destination & keep[row], mask);
}

// Rows 1..478, x = 2..639 are written. Neighbours are addressed linearly and
// the two reads past the end land in the zeroed padding.
bool blur_writes(int i) { return i / screen_width >= 1 && i / screen_width <= screen_height - 2 && i % screen_width >= 2; }

Pixel reference_blur8(const Pixel* source, int i) {
  return from_bytes([&](int k) {
    unsigned sum = 0;
    for (int offset : {-642, -640, -638, -2, 2, 638, 640, 642}) sum += byte_of(source[i + offset], k) >> 3;
    return k == 3 ? 0u : sum;
  });
}

Pixel reference_blur4(const Pixel* source, int i) {
  const auto h = [](Pixel p, int k) { return (byte_of(p, k) >> 1) & 63u; };
  const Pixel up = source[i - 640], down = source[i + 640], left = source[i - 2], right = source[i + 2];
  const unsigned bytes[4] = {h(down, 0) + h(right, 0), h(up, 1) + h(down, 1), h(down, 2) + h(left, 2), 0};
  return from_bytes([&](int k) { return bytes[k]; });
}

// Random pixels whose bytes are half the time 0, 1, 127, 128, 254 or 255.
void fill_random(ScreenBuffer& buffer, unsigned seed, int count) {
  static const unsigned extremes[6] = {0, 1, 127, 128, 254, 255};
  std::mt19937 random(seed);
  for (int i = 0; i < count; ++i) {
    buffer[i] = from_bytes([&](int) {
      const std::uint32_t r = random();
      return (r & 1) ? extremes[(r >> 1) % 6] : (r >> 8) & 0xFFu;
    });
  }
}

struct Inputs {
  ScreenBuffer a, b, white;               // b, padding included, is where each destination starts
  ScreenBuffer any_index, valid_index;    // index tables
  Inputs() {
    fill_random(a, 1234, screen_pixels);  // a's padding stays zero: the blurs read it
    fill_random(b, 4321, padded_pixels);
    for (int i = 0; i < screen_pixels; ++i) white[i] = 0xFFFFFFFFu;
    const std::int32_t edges[] = {0, 1, 639, 640, 307199, 307200, 307201, -1, -2, -307200, 1 << 20, INT_MIN, INT_MAX};
    std::mt19937 random(555);
    for (int i = 0; i < screen_pixels; ++i) {
      valid_index.indices()[i] = static_cast<std::int32_t>(random() % screen_pixels);
      const std::uint32_t r = random();
      const std::int32_t any = r % 3 == 0 ? edges[r / 3 % 13] : static_cast<std::int32_t>(random());
      any_index.indices()[i] = r % 3 == 1 ? valid_index.indices()[i] : any;
    }
  }
};

struct Operation {
  std::string name;
  std::function<void(Pixel* destination, Pixel* second)> run;  // `second` only for the dual blur
  std::function<Pixel(int i)> expected;                         // for pixels 0..307,199
  bool dual = false;
};

std::vector<Operation> operations(const Inputs& in) {
  const Pixel *a = in.a.pixels(), *b = in.b.pixels();
  const auto sum = [a, b](int i) { return reference_add(a[i], b[i]); };
  std::vector<Operation> table = {
      {"add_buffers_saturate into a third buffer", [a, b](Pixel* d, Pixel*) { add_buffers_saturate(a, b, d); }, sum},
      {"add_buffers_saturate into its second source", [a](Pixel* d, Pixel*) { add_buffers_saturate(a, d, d); }, sum},
      {"add_buffer_saturate", [a](Pixel* d, Pixel*) { add_buffer_saturate(a, d); }, sum},
      {"subtract_buffer_saturate", [a](Pixel* d, Pixel*) { subtract_buffer_saturate(a, d); },
       [a, b](int i) { return reference_subtract(b[i], a[i]); }},
      {"apply_tv_mask", [a](Pixel* d, Pixel*) { apply_tv_mask(a, d); },
       [a, b](int i) { return reference_tv_mask(i, b[i], a[i]); }},
  };
  for (Pixel amount : {0u, 0x00404040u, 0xFFFFFFFFu, 0x7F000180u}) {
    table.push_back({"fade_buffer by " + std::to_string(amount), [amount](Pixel* d, Pixel*) { fade_buffer(amount, d); },
                     [b, amount](int i) { return reference_subtract(b[i], amount); }});
  }
  const auto blurred = [b](const Pixel* source, Pixel (*reference)(const Pixel*, int)) {
    return [=](int i) { return blur_writes(i) ? reference(source, i) : b[i]; };
  };
  const auto gathered = [a](const std::int32_t* index) {
    return [=](int i) { return a[index[i] >= 0 && index[i] < screen_pixels ? index[i] : 0]; };
  };
  using Gather = void (*)(const std::int32_t*, const Pixel*, Pixel*);
  const struct {
    const char* name;
    Gather gather, gather_unchecked;
    void (*blur8)(const Pixel*, Pixel*);
    void (*blur8_dual)(const Pixel*, Pixel*, Pixel*);
  } paths[] = {
      {"pixel_ops.h", gather_pixels, gather_pixels_unchecked, blur8_buffer, blur8_buffer_dual},
      {"SSE2", pixel_ops_sse2::gather_pixels, pixel_ops_sse2::gather_pixels_unchecked, pixel_ops_sse2::blur8_buffer,
       pixel_ops_sse2::blur8_buffer_dual},
      {"AVX-512", pixel_ops_avx512::gather_pixels, pixel_ops_avx512::gather_pixels_unchecked,
       pixel_ops_avx512::blur8_buffer, pixel_ops_avx512::blur8_buffer_dual},
  };
  const std::int32_t *any = in.any_index.indices(), *valid = in.valid_index.indices();
  for (const auto& p : paths) {
    if (p.gather == pixel_ops_avx512::gather_pixels && !pixel_ops_avx512::supported()) continue;
    const std::string path = p.name + std::string(" ");
    const Gather gather = p.gather, unchecked = p.gather_unchecked;
    const auto blur8 = p.blur8;
    const auto dual = p.blur8_dual;
    table.push_back({path + "gather_pixels", [=](Pixel* d, Pixel*) { gather(any, a, d); }, gathered(any)});
    table.push_back({path + "gather_pixels_unchecked", [=](Pixel* d, Pixel*) { unchecked(valid, a, d); }, gathered(valid)});
    for (const Pixel* source : {a, in.white.pixels()}) {
      const std::string of = source == a ? " of a random picture" : " of a white picture";
      table.push_back({path + "blur8_buffer" + of, [=](Pixel* d, Pixel*) { blur8(source, d); },
                       blurred(source, reference_blur8)});
      table.push_back({path + "blur8_buffer_dual" + of, [=](Pixel* d, Pixel* s) { dual(source, d, s); },
                       blurred(source, reference_blur8), true});
    }
  }
  for (const Pixel* source : {a, in.white.pixels()}) {
    table.push_back({std::string("blur4_channels of a ") + (source == a ? "random" : "white") + " picture",
                     [source](Pixel* d, Pixel*) { blur4_channels(source, d); }, blurred(source, reference_blur4)});
  }
  return table;
}

TEST(PixelOps, EveryOperationOnEveryPathMatchesThePerByteReference) {
  const Inputs in;
  for (const Operation& op : operations(in)) {
    ScreenBuffer expected, destination, second;
    for (int i = 0; i < padded_pixels; ++i) destination[i] = second[i] = in.b[i];
    for (int i = 0; i < screen_pixels; ++i) expected[i] = op.expected(i);
    op.run(destination.pixels(), second.pixels());
    for (const ScreenBuffer* got : {&destination, op.dual ? &second : &destination}) {
      EXPECT_TRUE(same_picture(op.name, expected.pixels(), got->pixels())) << op.name;
      EXPECT_TRUE(std::equal(in.b.pixels() + screen_pixels, in.b.pixels() + padded_pixels, got->pixels() + screen_pixels))
          << op.name << " wrote into the padding";
    }
  }
}

}  // namespace
