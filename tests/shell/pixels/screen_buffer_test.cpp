#include "shell/pixels/screen_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ScreenBuffer, StartsZeroAlignedAndKeepsItsPaddingZeroThroughClear) {
  ScreenBuffer buffer;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.pixels()) % 64, 0u);
  for (int i = 0; i < screen_pixels + screen_padding_pixels; ++i) ASSERT_EQ(buffer.pixels()[i], 0u) << "pixel " << i;

  for (int i = 0; i < screen_pixels; ++i) buffer[i] = 0x00FFFFFFu;
  EXPECT_EQ(buffer.indices()[screen_pixels - 1], 0x00FFFFFF);
  buffer.clear();
  for (int i = 0; i < screen_pixels + screen_padding_pixels; ++i) ASSERT_EQ(buffer.pixels()[i], 0u) << "pixel " << i;
}
