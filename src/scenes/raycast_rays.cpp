// Light mask, ray table and the ray marcher of the raycast scene.
//
// The marcher keeps its accumulator as one pixel in a vector register
// (pixel_vector.h): packed saturating byte adds and subtracts.
#include "scenes/raycast_rays.h"

#include <cmath>
#include <cstdint>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/pixel_vector.h"
#include "shell/pixels/screen_buffer.h"

namespace {

bool on_screen(int x, int y) { return x >= 0 && x < screen_width && y >= 0 && y < screen_height; }

}  // namespace

void raycast_make_light_mask(Pixel* picture) {
  for (int i = 0; i < screen_pixels; ++i) {
    picture[i] = picture[i] < raycast_light_mask_threshold ? raycast_light_mask_pixel : 0u;
  }
}

void raycast_build_ray_table(RayTableEntry* ray_table) {
  for (int dy = 0; dy < screen_height; ++dy) {
    for (int dx = 0; dx < screen_width; ++dx) {
      RayTableEntry& entry = ray_table[dy * screen_width + dx];
      if (dx == 0 && dy == 0) {
        entry = RayTableEntry{0, 0, 0};  // no direction; a ray of length 0 draws nothing
        continue;
      }
      // One root, unrounded, for both steps.
      const double length = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      entry.step_x = static_cast<std::int32_t>(to_fixed(dx) / length);
      entry.step_y = static_cast<std::int32_t>(to_fixed(dy) / length);
      entry.length = static_cast<std::int32_t>(length);
    }
  }
}

void raycast_cast_ray(const RayTableEntry* ray_table, int decay, int shift, int x0, int y0, int x1, int y1,
                      const Pixel* mask, Pixel* work) {
  // Off-screen ends would index past the table or the pictures.
  if (!on_screen(x0, y0) || !on_screen(x1, y1)) return;
  const int dx = x1 - x0;
  const int dy = y1 - y0;
  const RayTableEntry& entry = ray_table[std::abs(dy) * screen_width + std::abs(dx)];
  const std::int32_t step_x = dx < 0 ? -entry.step_x : entry.step_x;
  const std::int32_t step_y = dy < 0 ? -entry.step_y : entry.step_y;
  int remaining = entry.length - raycast_ray_short_of_target;
  if (remaining > raycast_ray_max_pixels) remaining = raycast_ray_max_pixels;

  // 16.16 position. The steps are truncated unit vectors and the ray stops
  // short of its target, so every position stays between start and target:
  // on the screen and never negative.
  std::int32_t px = to_fixed(x0);
  std::int32_t py = to_fixed(y0);
  // The accumulator stays in the vector's first lane from pixel to pixel:
  // kept as a Pixel, through the single-pixel helpers, the loop measures
  // four times slower.
  const PixelVector decay_amount{static_cast<Pixel>(decay)};
  PixelVector light{};
  for (; remaining > 0; --remaining) {
    const int index = from_fixed(px) + from_fixed(py) * screen_width;
    light = add_saturate(light, PixelVector{mask[index]});
    const PixelVector lit = light << shift;  // into the light's channel
    work[index] = add_saturate(PixelVector{work[index]}, lit)[0];
    light = subtract_saturate(light, decay_amount);
    px += step_x;
    py += step_y;
  }
}

void raycast_cast_light(const RayTableEntry* ray_table, int decay, int shift, int light_x, int light_y,
                        const Pixel* mask, Pixel* work) {
  constexpr int spacing = 4;
  constexpr int first = 1;
  constexpr int last_column = screen_width - 1;  // 639
  constexpr int last_row = screen_height - 1;    // 479
  for (int x = first; x < screen_width; x += spacing) {
    raycast_cast_ray(ray_table, decay, shift, light_x, light_y, x, 0, mask, work);
  }
  for (int x = first; x < screen_width; x += spacing) {
    raycast_cast_ray(ray_table, decay, shift, light_x, light_y, x, last_row, mask, work);
  }
  for (int y = first; y < screen_height; y += spacing) {
    raycast_cast_ray(ray_table, decay, shift, light_x, light_y, first, y, mask, work);
  }
  for (int y = first; y < screen_height; y += spacing) {
    raycast_cast_ray(ray_table, decay, shift, light_x, light_y, last_column, y, mask, work);
  }
}
