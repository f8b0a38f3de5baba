// The whole-buffer pixel operations against per-byte references written here, one table over every
// operation on every code path this processor runs (pixel_ops_paths.h), on random pictures whose bytes
// are often at the ends of their range, a white one, and index tables mixing every kind of index.
// Destinations start random, padding included.
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
#include "shell/pixels/pixel_vector.h"
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

using Gather = void (*)(const std::int32_t*, const Pixel*, Pixel*);
using OneSource = void (*)(const Pixel*, Pixel*);

// A code path's operations; those it does not have are null.
struct Path {
  const char* name;
  void (*add_buffers)(const Pixel*, const Pixel*, Pixel*);
  OneSource add_buffer, subtract;
  void (*fade)(std::uint32_t, Pixel*);
  OneSource tv_mask, blur4;
  Gather gather, gather_unchecked;
  OneSource blur8;
  void (*blur8_dual)(const Pixel*, Pixel*, Pixel*);
};

std::vector<Path> paths() {
  std::vector<Path> list = {
      {"pixel_ops.h", add_buffers_saturate, add_buffer_saturate, subtract_buffer_saturate, fade_buffer, apply_tv_mask,
       blur4_channels, gather_pixels, gather_pixels_unchecked, blur8_buffer, blur8_buffer_dual},
      {"portable", pixel_ops_portable::add_buffers_saturate, pixel_ops_portable::add_buffer_saturate,
       pixel_ops_portable::subtract_buffer_saturate, pixel_ops_portable::fade_buffer, pixel_ops_portable::apply_tv_mask,
       pixel_ops_portable::blur4_channels, pixel_ops_portable::gather_pixels,
       pixel_ops_portable::gather_pixels_unchecked, pixel_ops_portable::blur8_buffer,
       pixel_ops_portable::blur8_buffer_dual},
  };
#if defined(__x86_64__)
  list.push_back({"SSE2", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, pixel_ops_sse2::gather_pixels,
                  pixel_ops_sse2::gather_pixels_unchecked, nullptr, nullptr});
  if (pixel_ops_avx512::supported()) {
    list.push_back({"AVX-512", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, pixel_ops_avx512::gather_pixels,
                    pixel_ops_avx512::gather_pixels_unchecked, pixel_ops_avx512::blur8_buffer,
                    pixel_ops_avx512::blur8_buffer_dual});
  }
#endif
  return list;
}

std::vector<Operation> operations(const Inputs& in) {
  const Pixel *a = in.a.pixels(), *b = in.b.pixels();
  const std::int32_t *any = in.any_index.indices(), *valid = in.valid_index.indices();
  const auto sum = [a, b](int i) { return reference_add(a[i], b[i]); };
  const auto blurred = [b](const Pixel* source, Pixel (*reference)(const Pixel*, int)) {
    return [=](int i) { return blur_writes(i) ? reference(source, i) : b[i]; };
  };
  const auto gathered = [a](const std::int32_t* index) {
    return [=](int i) { return a[index[i] >= 0 && index[i] < screen_pixels ? index[i] : 0]; };
  };
  std::vector<Operation> table;
  for (const Path& p : paths()) {
    const std::string path = p.name + std::string(" ");
    if (p.add_buffers != nullptr) {
      table.push_back({path + "add_buffers_saturate into a third buffer",
                       [=](Pixel* d, Pixel*) { p.add_buffers(a, b, d); }, sum});
      table.push_back({path + "add_buffers_saturate into its second source",
                       [=](Pixel* d, Pixel*) { p.add_buffers(a, d, d); }, sum});
      table.push_back({path + "add_buffer_saturate", [=](Pixel* d, Pixel*) { p.add_buffer(a, d); }, sum});
    }
    if (p.subtract != nullptr) {
      table.push_back({path + "subtract_buffer_saturate", [=](Pixel* d, Pixel*) { p.subtract(a, d); },
                       [a, b](int i) { return reference_subtract(b[i], a[i]); }});
    }
    if (p.tv_mask != nullptr) {
      table.push_back({path + "apply_tv_mask", [=](Pixel* d, Pixel*) { p.tv_mask(a, d); },
                       [a, b](int i) { return reference_tv_mask(i, b[i], a[i]); }});
    }
    for (Pixel amount : {0u, 0x00404040u, 0xFFFFFFFFu, 0x7F000180u}) {
      if (p.fade == nullptr) break;
      table.push_back({path + "fade_buffer by " + std::to_string(amount),
                       [=](Pixel* d, Pixel*) { p.fade(amount, d); },
                       [b, amount](int i) { return reference_subtract(b[i], amount); }});
    }
    if (p.gather != nullptr) {
      table.push_back({path + "gather_pixels", [=](Pixel* d, Pixel*) { p.gather(any, a, d); }, gathered(any)});
      table.push_back({path + "gather_pixels_unchecked", [=](Pixel* d, Pixel*) { p.gather_unchecked(valid, a, d); },
                       gathered(valid)});
    }
    for (const Pixel* source : {a, in.white.pixels()}) {
      const std::string of = source == a ? " of a random picture" : " of a white picture";
      if (p.blur8 != nullptr) {
        table.push_back({path + "blur8_buffer" + of, [=](Pixel* d, Pixel*) { p.blur8(source, d); },
                         blurred(source, reference_blur8)});
        table.push_back({path + "blur8_buffer_dual" + of, [=](Pixel* d, Pixel* s) { p.blur8_dual(source, d, s); },
                         blurred(source, reference_blur8), true});
      }
      if (p.blur4 != nullptr) {
        table.push_back({path + "blur4_channels" + of, [=](Pixel* d, Pixel*) { p.blur4(source, d); },
                         blurred(source, reference_blur4)});
      }
    }
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

// pixel_vector.h's saturating byte operations, this processor's form and the portable one, on every
// pair of bytes: sixteen values of b against each a per vector.
TEST(PixelVector, SaturatingByteOperationsMatchThePerByteReferenceOnEveryPair) {
  using Operation = PixelVector (*)(PixelVector, PixelVector);
  const struct {
    const char* name;
    Operation add, subtract;
  } forms[] = {{"pixel_vector.h", add_saturate, subtract_saturate},
               {"portable", pixel_vector_portable::add_saturate, pixel_vector_portable::subtract_saturate}};
  for (const auto& form : forms) {
    for (Pixel a = 0; a < 256; ++a) {
      for (Pixel b = 0; b < 256; b += 16) {
        const PixelVector as = broadcast_pixel(a * 0x01010101u);
        const PixelVector steps = {0x03020100, 0x07060504, 0x0B0A0908, 0x0F0E0D0C};  // b + 0 .. b + 15
        const PixelVector bs = broadcast_pixel(b * 0x01010101u) + steps;
        const PixelVector sums = form.add(as, bs), differences = form.subtract(as, bs);
        for (int k = 0; k < 4; ++k) {
          ASSERT_EQ(sums[k], reference_add(as[k], bs[k])) << form.name << " add " << a << ", " << b;
          ASSERT_EQ(differences[k], reference_subtract(as[k], bs[k])) << form.name << " subtract " << a << ", " << b;
        }
      }
    }
  }
}

}  // namespace
