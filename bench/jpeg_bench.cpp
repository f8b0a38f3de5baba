// Our JPEG decoder beside libjpeg-turbo on the same files in the same run:
// 640x480 colour with 1x1 and 2x2 chroma sampling, 640x480 progressive (2x2,
// libjpeg's standard script), 640x480 greyscale, and 4096x4096 colour (2x2).
// The pictures are dense (gradients under noise, quality 90), made by
// libjpeg's encoder. Both decoders read from memory and write 4-byte RGB
// pixels, libjpeg with the accurate integer transform and without fancy
// upsampling, like ours. The Mpixels counter is megapixels per second.
//
// libjpeg-turbo's SIMD code is on unless the environment says
// JSIMD_FORCENONE=1: run the program both ways.
#include <benchmark/benchmark.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "jpeg/jpeg_decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct BenchPicture {
  std::string name;
  int width;
  int height;
  int components;
  int luma_sampling;  // 1: 1x1, 2: 2x2
  bool progressive;
};

const BenchPicture bench_pictures[] = {
    {"640x480_colour_1x1", 640, 480, 3, 1, false},   {"640x480_colour_2x2", 640, 480, 3, 2, false},
    {"640x480_progressive", 640, 480, 3, 2, true},   {"640x480_grey", 640, 480, 1, 1, false},
    {"4096x4096_colour_2x2", 4096, 4096, 3, 2, false},
};

// Gradients in each channel under strong noise: most coefficients of most
// blocks survive quality 90, as in photographs with fine texture.
Bytes dense_samples(const BenchPicture& picture) {
  Bytes samples(static_cast<std::size_t>(picture.width) * picture.height * picture.components);
  unsigned state = 12345;
  std::size_t i = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      for (int c = 0; c < picture.components; ++c) {
        state = state * 1664525u + 1013904223u;
        const int noise = static_cast<int>(state >> 26) - 32;  // -32..31
        const int gradient = ((x * (c + 1)) / 5 + (y * (3 - c)) / 4) & 0xFF;
        const int value = 32 + gradient * 3 / 4 + noise;
        samples[i++] = static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
      }
    }
  }
  return samples;
}

Bytes encode(const BenchPicture& picture) {
  const Bytes samples = dense_samples(picture);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = picture.components;
  info.in_color_space = picture.components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  if (picture.components == 3) {
    info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = picture.luma_sampling;
  }
  if (picture.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const std::size_t row_bytes = static_cast<std::size_t>(picture.width) * picture.components;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[info.next_scanline * row_bytes]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes jpeg(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return jpeg;
}

void count_pixels(benchmark::State& state, const BenchPicture& picture, std::size_t file_size) {
  const double pixels = static_cast<double>(picture.width) * picture.height;
  state.counters["Mpixels"] = benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6,
                                              benchmark::Counter::kIsRate);
  state.counters["KB"] = static_cast<double>(file_size) / 1024;
}

void quorvane_decode(benchmark::State& state, const BenchPicture& picture, const Bytes& jpeg) {
  for (auto _ : state) {
    JpegMemoryStream stream(jpeg.data(), jpeg.size());
    JpegDecoder decoder(&stream);
    decoder.begin();
    const std::uint8_t* line = nullptr;
    int length = 0;
    while (decoder.decode(&line, &length) == 0) benchmark::DoNotOptimize(line);
    if (decoder.error_code() != 0) state.SkipWithError("decoder error");
  }
  count_pixels(state, picture, jpeg.size());
}

void libjpeg_turbo_decode(benchmark::State& state, const BenchPicture& picture, const Bytes& jpeg) {
  Bytes line(static_cast<std::size_t>(picture.width) * 4);
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = picture.components == 3 ? JCS_EXT_RGBX : JCS_GRAYSCALE;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = line.data();
      jpeg_read_scanlines(&info, &row, 1);
      benchmark::DoNotOptimize(row);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
  }
  count_pixels(state, picture, jpeg.size());
}

// Both decoders of each picture, one after the other.
const bool registered = [] {
  static std::vector<Bytes> files;
  files.reserve(std::size(bench_pictures));
  for (const BenchPicture& picture : bench_pictures) {
    files.push_back(encode(picture));
    const Bytes& jpeg = files.back();
    benchmark::RegisterBenchmark(("JpegDecode/quorvane/" + picture.name).c_str(), quorvane_decode, picture, jpeg)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("JpegDecode/libjpeg_turbo/" + picture.name).c_str(), libjpeg_turbo_decode, picture,
                                 jpeg)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
