// Comparing pictures in tests: a failure names the first pixel that differs
// and how many do, and leaves both pictures beside each other as PNG files.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "shell/pixels/pixel.h"
#include "shell/pixels/screen_buffer.h"

// Whether `got` holds exactly the pixels of `expected`, width x height with
// rows `width` pixels apart. On a difference, writes
// build/test-output/NAME-expected.png and NAME-got.png and says where.
::testing::AssertionResult same_picture(const std::string& name, const Pixel* expected, const Pixel* got,
                                        int width = screen_width, int height = screen_height);
