// Our JPEG decoder against libjpeg-turbo on the same 640x480 colour picture
// (2x2 chroma sampling, quality 90), both decoding from memory to 4-byte
// RGB pixels with the accurate integer transform and without fancy
// upsampling. Items per second are pixels per second.
#include <benchmark/benchmark.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "jpeg/jpeg_decoder.h"

namespace {

constexpr int picture_width = 640;
constexpr int picture_height = 480;

// A demo-like picture: smooth gradients with texture, encoded by libjpeg.
std::vector<std::uint8_t> encode_picture() {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture_width) * picture_height * 3);
  unsigned state = 12345;
  for (int y = 0; y < picture_height; ++y) {
    for (int x = 0; x < picture_width; ++x) {
      state = state * 1664525u + 1013904223u;
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * picture_width + x) * 3];
      p[0] = static_cast<std::uint8_t>((x * 255) / picture_width);
      p[1] = static_cast<std::uint8_t>(((x ^ y) & 0x3F) + (y * 160) / picture_height);
      p[2] = static_cast<std::uint8_t>(128 + static_cast<int>(state >> 28) * 4 - (y & 0x1F));
    }
  }
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = picture_width;
  info.image_height = picture_height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = &rgb[static_cast<std::size_t>(info.next_scanline) * picture_width * 3];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> jpeg(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return jpeg;
}

const std::vector<std::uint8_t>& picture() {
  static const std::vector<std::uint8_t> jpeg = encode_picture();
  return jpeg;
}

void BM_QuorvaneJpegDecode(benchmark::State& state) {
  const std::vector<std::uint8_t>& jpeg = picture();
  for (auto _ : state) {
    JpegMemoryStream stream(jpeg.data(), jpeg.size());
    JpegDecoder decoder(&stream);
    decoder.begin();
    const std::uint8_t* line = nullptr;
    int length = 0;
    while (decoder.decode(&line, &length) == 0) benchmark::DoNotOptimize(line);
    if (decoder.error_code() != 0) state.SkipWithError("decoder error");
  }
  state.SetItemsProcessed(state.iterations() * picture_width * picture_height);
}
BENCHMARK(BM_QuorvaneJpegDecode)->Unit(benchmark::kMillisecond);

void BM_LibjpegTurboDecode(benchmark::State& state) {
  const std::vector<std::uint8_t>& jpeg = picture();
  std::vector<std::uint8_t> line(picture_width * 4);
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = line.data();
      jpeg_read_scanlines(&info, &row, 1);
      benchmark::DoNotOptimize(row);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
  }
  state.SetItemsProcessed(state.iterations() * picture_width * picture_height);
}
BENCHMARK(BM_LibjpegTurboDecode)->Unit(benchmark::kMillisecond);

}  // namespace
