// Loading pictures into pixel buffers: full-screen JPEG pictures and the
// two-colour portrait bitmaps. Failures are reported on standard output and
// leave the destination as it was; the demo goes on.
#pragma once

#include "shell/pixels/pixel.h"

// Decodes the JPEG file at `path` into `destination`, rows packed at the
// picture's own width (a 640-wide picture fills a ScreenBuffer).
void load_jpeg_picture(const char* path, Pixel* destination);

// Reads a width x height 8-bit palette bitmap; palette index 0 becomes white,
// every other index black, and the picture lands upright.
void load_bmp_picture(int width, int height, const char* path, Pixel* destination);
