// The pixel format's helpers, and the screen buffer's zeroed, aligned padding.
#include "shell/pixels/screen_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ScreenBuffer, PixelsAre0x00RRGGBBAndBuffersStartZeroAlignedAndKeepTheirPaddingZero) {
  EXPECT_EQ(pixel_rgb(0x1FF, 0x134, 0xF56), 0x00FF3456u) << "each channel keeps its low byte";
  EXPECT_EQ(pixel_red(0xAB123456u) << 16 | pixel_green(0xAB123456u) << 8 | pixel_blue(0xAB123456u), 0x00123456u);
  EXPECT_EQ(pixel_grey(0x140), 0x00404040u);

  ScreenBuffer buffer;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.pixels()) % 64, 0u);
  for (int i = 0; i < screen_pixels + screen_padding_pixels; ++i) ASSERT_EQ(buffer.pixels()[i], 0u) << "new, pixel " << i;
  for (int i = 0; i < screen_pixels; ++i) buffer[i] = 0x00FFFFFFu;
  EXPECT_EQ(buffer.indices()[screen_pixels - 1], 0x00FFFFFF);
  buffer.clear();
  for (int i = 0; i < screen_pixels + screen_padding_pixels; ++i) ASSERT_EQ(buffer.pixels()[i], 0u) << "pixel " << i;
}
