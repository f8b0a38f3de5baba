// quorvane-jpeg: decodes a JPEG file with the demo's own decoder, for people
// who make or debug the demo's pictures. Prints the picture's header line,
// writes it as PPM, PGM or PNG, or measures the decoder's speed.
//
//   quorvane-jpeg INPUT [OUTPUT]    OUTPUT by extension: .ppm, .pgm or .png
//   quorvane-jpeg --crop X,Y,W,H INPUT OUTPUT   only that rectangle (the
//                                   build cuts the program's icon so)
//   quorvane-jpeg --bench N INPUT   decodes N times from memory, best speed
//
// Exit status: 0 done, 1 the file cannot be read or decoded (the picture
// loader's message on standard output), 2 usage error.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "data/jpeg_file_stream.h"
#include "jpeg/jpeg_decoder.h"
#include "picture_output.h"

namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

void print_open_failure(const std::string& path) {
  std::printf("Error: Unable to open file \"%s\" for reading!\n", path.c_str());
}

void print_decoder_failure(const JpegDecoder& decoder) {
  std::printf("Error: Decoder failed! Error status: %i\n", decoder.error_code());
}

void print_header_line(const JpegDecoder& decoder) {
  std::printf("%dx%d, %d component%s, %s\n", decoder.width(), decoder.height(), decoder.component_count(),
              decoder.component_count() == 1 ? "" : "s", decoder.progressive() ? "progressive" : "sequential");
}

// Delivers every line into `image` (the fourth byte of colour pixels
// dropped). Returns false on a decoder error.
bool decode_picture(JpegDecoder& decoder, DecodedImage* image) {
  if (decoder.begin() != 0) return false;
  const int channels = decoder.component_count() == 3 ? 3 : 1;
  if (image != nullptr) {
    *image = DecodedImage{decoder.width(), decoder.height(), channels, {}};
    image->samples.reserve(static_cast<std::size_t>(decoder.width()) * decoder.height() * channels);
  }
  const std::uint8_t* line = nullptr;
  int length = 0;
  while (decoder.decode(&line, &length) == 0) {
    if (image == nullptr) continue;
    if (channels == 1) {
      image->samples.insert(image->samples.end(), line, line + length);
      continue;
    }
    for (int x = 0; x < decoder.width(); ++x)
      image->samples.insert(image->samples.end(), line + 4 * x, line + 4 * x + 3);
  }
  return decoder.error_code() == 0;
}

// The part of a picture a crop asks for: left, top, width, height in pixels.
struct Crop {
  int x = 0, y = 0, width = 0, height = 0;
};

// "X,Y,W,H" in whole numbers; empty when the text is anything else.
std::optional<Crop> parse_crop(const std::string& text) {
  Crop crop;
  char end = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &crop.x, &crop.y, &crop.width, &crop.height, &end) != 4) {
    return std::nullopt;
  }
  return crop;
}

bool crop_fits(const Crop& crop, const DecodedImage& image) {
  return crop.x >= 0 && crop.y >= 0 && crop.width > 0 && crop.height > 0 && crop.x <= image.width - crop.width &&
         crop.y <= image.height - crop.height;
}

// Precondition: crop_fits(crop, image).
DecodedImage cropped(const DecodedImage& image, const Crop& crop) {
  DecodedImage part{crop.width, crop.height, image.channels, {}};
  const std::size_t row_bytes = static_cast<std::size_t>(crop.width) * image.channels;
  for (int y = crop.y; y < crop.y + crop.height; ++y) {
    const auto row = image.samples.begin() +
                     static_cast<std::ptrdiff_t>((static_cast<std::size_t>(y) * image.width + crop.x) * image.channels);
    part.samples.insert(part.samples.end(), row, row + static_cast<std::ptrdiff_t>(row_bytes));
  }
  return part;
}

int convert(const std::string& input, const std::string& output, const std::optional<Crop>& crop) {
  const PictureFormat format = output.empty() ? PictureFormat::unknown : picture_format_of(output);
  if (!output.empty() && format == PictureFormat::unknown) {
    std::fprintf(stderr, "%s: OUTPUT must end in .ppm, .pgm or .png\n", output.c_str());
    return exit_usage;
  }
  JpegFileStream stream;
  if (!stream.open(input.c_str())) {
    print_open_failure(input);
    return exit_failure;
  }
  JpegDecoder decoder(&stream);
  if (decoder.error_code() != 0) {
    print_decoder_failure(decoder);
    return exit_failure;
  }
  print_header_line(decoder);
  const bool colour = decoder.component_count() == 3;
  if ((format == PictureFormat::ppm && !colour) || (format == PictureFormat::pgm && colour)) {
    std::fprintf(stderr, "%s: a %s picture cannot be written as %s\n", output.c_str(), colour ? "colour" : "greyscale",
                 colour ? "PGM" : "PPM");
    return exit_usage;
  }
  DecodedImage image;
  if (!decode_picture(decoder, output.empty() ? nullptr : &image)) {
    print_decoder_failure(decoder);
    return exit_failure;
  }
  if (output.empty()) return 0;
  if (crop && !crop_fits(*crop, image)) {
    std::fprintf(stderr, "--crop %d,%d,%d,%d is not inside the %dx%d picture\n", crop->x, crop->y, crop->width,
                 crop->height, image.width, image.height);
    return exit_usage;
  }
  if (crop) image = cropped(image, *crop);
  std::string error;
  if (!write_picture(output, format, image, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return exit_failure;
  }
  return 0;
}

int bench(const std::string& input, int runs) {
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    print_open_failure(input);
    return exit_failure;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  double best_seconds = 0;
  int width = 0;
  int height = 0;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    JpegMemoryStream stream(bytes.data(), bytes.size());
    JpegDecoder decoder(&stream);
    if (decoder.error_code() == 0 && run == 0) print_header_line(decoder);
    width = decoder.width();
    height = decoder.height();
    if (decoder.error_code() != 0 || !decode_picture(decoder, nullptr)) {
      print_decoder_failure(decoder);
      return exit_failure;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run == 0 || seconds < best_seconds) best_seconds = seconds;
  }
  const double pixels = static_cast<double>(width) * height;
  std::printf("%dx%d: %.1f MP/s\n", width, height, pixels / std::max(best_seconds, 1e-9) / 1e6);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Decodes a JPEG picture with the demo's decoder: prints WIDTHxHEIGHT, components and frame type, "
      "and writes the picture as PPM, PGM or PNG (by OUTPUT's extension).",
      "quorvane-jpeg"};
  app.set_version_flag("--version", "quorvane-jpeg " QUORVANE_VERSION);
  std::string input;
  std::string output;
  int runs = 0;
  CLI::Option* bench_option =
      app.add_option("--bench", runs, "Decode INPUT N times from memory and print the best speed in MP/s")
          ->check(CLI::Range(1, 1000000));
  std::string crop_text;
  CLI::Option* crop_option =
      app.add_option("--crop", crop_text, "Write only the rectangle of width W and height H from (X, Y)")
          ->type_name("X,Y,W,H")
          ->check(CLI::Validator([](std::string& text) { return parse_crop(text) ? "" : "give X,Y,W,H"; }, ""))
          ->excludes(bench_option);
  app.add_option("INPUT", input, "JPEG file")->required();
  CLI::Option* output_option =
      app.add_option("OUTPUT", output, "Picture to write: .ppm (colour), .pgm (greyscale) or .png")
          ->excludes(bench_option);
  crop_option->needs(output_option);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : exit_usage;
  }
  const std::optional<Crop> crop = crop_text.empty() ? std::nullopt : parse_crop(crop_text);
  return runs > 0 ? bench(input, runs) : convert(input, output, crop);
}
