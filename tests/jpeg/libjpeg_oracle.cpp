// The libjpeg-turbo oracle: encoding the corpus, the lossless transposition
// and the reference decoding; and our decoder's output in the same form.
#include "jpeg/libjpeg_oracle.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "jpeg/jpeg_decoder.h"

namespace {

// libjpeg reports errors through a callback that must not return; ours
// throws, so that a failing oracle fails the test instead of the process.
[[noreturn]] void throw_libjpeg_error(j_common_ptr info) {
  char message[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, message);
  throw std::runtime_error(std::string("libjpeg: ") + message);
}

jpeg_error_mgr* error_handler(jpeg_error_mgr& errors) {
  jpeg_std_error(&errors);
  errors.error_exit = throw_libjpeg_error;
  errors.output_message = [](j_common_ptr) {};  // warnings: the comparison tells
  return &errors;
}

struct Compressor {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;

  Compressor() {
    info.err = error_handler(errors);
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
  }
  ~Compressor() {
    jpeg_destroy_compress(&info);
    std::free(buffer);
  }
  Bytes bytes() const { return Bytes(buffer, buffer + size); }
};

struct Decompressor {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};

  explicit Decompressor(const Bytes& jpeg) {
    info.err = error_handler(errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
};

std::uint8_t clamp_byte(int value) { return static_cast<std::uint8_t>(std::min(255, std::max(0, value))); }

// A progression with narrow spectral bands and up to three successive
// approximation steps on every component, DC scans interleaved and not,
// written for three components; a greyscale picture keeps the scans of its
// one component.
std::vector<jpeg_scan_info> deep_progression_script(int components) {
  struct Scan {
    const char* components;
    int ss, se, ah, al;
  };
  const Scan scans[] = {
      {"012", 0, 0, 0, 2}, {"0", 1, 2, 0, 3},   {"1", 1, 9, 0, 2},   {"2", 1, 9, 0, 2},  {"0", 3, 20, 0, 2},
      {"0", 21, 63, 0, 1}, {"012", 0, 0, 2, 1}, {"1", 10, 63, 0, 0}, {"0", 1, 2, 3, 2},  {"0", 1, 20, 2, 1},
      {"2", 10, 63, 0, 1}, {"0", 0, 0, 1, 0},   {"12", 0, 0, 1, 0},  {"0", 1, 63, 1, 0}, {"1", 1, 9, 2, 1},
      {"1", 1, 9, 1, 0},   {"2", 1, 9, 2, 1},   {"2", 1, 63, 1, 0},
  };
  std::vector<jpeg_scan_info> script;
  for (const Scan& scan : scans) {
    jpeg_scan_info info{0, {}, scan.ss, scan.se, scan.ah, scan.al};
    for (const char* c = scan.components; *c != 0; ++c) {
      if (*c - '0' < components) info.component_index[info.comps_in_scan++] = *c - '0';
    }
    if (info.comps_in_scan > 0) script.push_back(info);
  }
  return script;
}

// The lossless transposition (as jpegtran -transpose), through libjpeg's
// coefficient API.
Bytes libjpeg_transpose(const Bytes& jpeg) {
  Decompressor source(jpeg);
  jpeg_decompress_struct& in = source.info;
  // The transposed coefficient arrays must be requested before the source's
  // arrays are realised by jpeg_read_coefficients. Each covers the source's
  // block grid padded to whole MCUs, turned over.
  const auto whole_mcus = [](JDIMENSION blocks, int sampling) { return (blocks + sampling - 1) / sampling * sampling; };
  jvirt_barray_ptr transposed[MAX_COMPONENTS] = {};
  JDIMENSION wide[MAX_COMPONENTS], high[MAX_COMPONENTS];
  const j_common_ptr common = reinterpret_cast<j_common_ptr>(&in);
  for (int c = 0; c < in.num_components; ++c) {
    const jpeg_component_info& component = in.comp_info[c];
    wide[c] = whole_mcus(component.width_in_blocks, component.h_samp_factor);
    high[c] = whole_mcus(component.height_in_blocks, component.v_samp_factor);
    transposed[c] = (*in.mem->request_virt_barray)(common, JPOOL_IMAGE, FALSE, high[c], wide[c],
                                                   static_cast<JDIMENSION>(component.h_samp_factor));
  }
  jvirt_barray_ptr* original = jpeg_read_coefficients(&in);

  Compressor encoder;
  jpeg_compress_struct& out = encoder.info;
  jpeg_copy_critical_parameters(&in, &out);
  out.image_width = in.image_height;
  out.image_height = in.image_width;
  for (int c = 0; c < out.num_components; ++c) {
    std::swap(out.comp_info[c].h_samp_factor, out.comp_info[c].v_samp_factor);
  }
  for (JQUANT_TBL* table : out.quant_tbl_ptrs) {
    if (table == nullptr) continue;
    for (int r = 0; r < 8; ++r) {
      for (int c = r + 1; c < 8; ++c) std::swap(table->quantval[8 * r + c], table->quantval[8 * c + r]);
    }
  }
  out.optimize_coding = TRUE;

  for (int c = 0; c < in.num_components; ++c) {
    for (JDIMENSION out_y = 0; out_y < wide[c]; ++out_y) {
      JBLOCKROW out_row = (*in.mem->access_virt_barray)(common, transposed[c], out_y, 1, TRUE)[0];
      for (JDIMENSION out_x = 0; out_x < high[c]; ++out_x) {
        const JBLOCKROW in_row = (*in.mem->access_virt_barray)(common, original[c], out_x, 1, FALSE)[0];
        const JCOEF* from = in_row[out_y];
        JCOEF* to = out_row[out_x];
        for (int r = 0; r < 8; ++r) {
          for (int col = 0; col < 8; ++col) to[8 * r + col] = from[8 * col + r];
        }
      }
    }
  }
  jpeg_write_coefficients(&out, transposed);
  jpeg_finish_compress(&out);
  jpeg_finish_decompress(&in);
  return encoder.bytes();
}

// The decoder's in-memory stream, counting the decoder's notifications and
// failing its reads from byte `fail_from` on, or delivering nothing without
// ending.
class ProbeStream : public JpegMemoryStream {
 public:
  ProbeStream(const Bytes& bytes, std::size_t fail_from, bool stall)
      : JpegMemoryStream(bytes.data(), bytes.size()), fail_from_(fail_from), stall_(stall) {}

  int read(std::uint8_t* destination, int maximum, bool* end_of_stream) override {
    if (delivered_ >= fail_from_) return -1;
    if (stall_) return 0;
    const auto allowed = static_cast<int>(std::min<std::size_t>(maximum, fail_from_ - delivered_));
    const int count = JpegMemoryStream::read(destination, allowed, end_of_stream);
    delivered_ += static_cast<std::size_t>(count);
    return count;
  }
  void attach() override { ++attached; }
  void release() override { ++released; }

  int attached = 0, released = 0;

 private:
  std::size_t fail_from_;
  bool stall_;
  std::size_t delivered_ = 0;
};

}  // namespace

TestPicture make_test_picture(int width, int height, int components, unsigned seed) {
  TestPicture picture{width, height, components, {}};
  picture.samples.resize(static_cast<std::size_t>(width) * height * components);
  unsigned state = seed * 2654435761u + 12345u;
  std::size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c) {
        state = state * 1664525u + 1013904223u;
        const int noise = static_cast<int>(state >> 27) - 16;  // -16..15
        const int gradient = (x * (3 + c) + y * (5 - c)) & 0xFF;
        const int edge = ((x / (7 + c) + y / 5) & 1) ? 90 : -90;  // hard edges, off the block grid
        const int value = (x + y + c) % 61 < 40 ? gradient + noise : 128 + edge + noise;
        picture.samples[i++] = clamp_byte(value);
      }
    }
  }
  return picture;
}

EncodeOptions encode_options(const std::string& recipe) {
  EncodeOptions options;
  std::istringstream words(recipe);
  for (std::string word; words >> word;) {
    if (word.size() == 3 && word[1] == 'x') {
      options.h_sampling = word[0] - '0';
      options.v_sampling = word[2] - '0';
    } else if (word == "quality") {
      words >> options.quality;
    } else if (word == "restarts") {
      words >> options.restart_interval;
    } else {
      bool* const flags[] = {&options.optimise, &options.separate_scans, &options.progressive,
                             &options.deep_progression};
      const char* const names[] = {"optimised", "separate", "progressive", "deep"};
      bool known = word == "16-bit";
      if (known) options.force_baseline = false;
      for (int i = 0; i < 4; ++i) {
        if (word == names[i]) known = *flags[i] = true;
      }
      if (!known) throw std::invalid_argument("unknown encoder option " + word);
    }
  }
  return options;
}

Bytes libjpeg_encode(const TestPicture& picture, const EncodeOptions& options) {
  Compressor encoder;
  jpeg_compress_struct& info = encoder.info;
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = picture.components;
  info.in_color_space = picture.components == 3 ? JCS_RGB : picture.components == 4 ? JCS_CMYK : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, options.quality, options.force_baseline ? TRUE : FALSE);
  if (picture.components == 3) {
    info.comp_info[0].h_samp_factor = options.h_sampling;
    info.comp_info[0].v_samp_factor = options.v_sampling;
    for (int c = 1; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  }
  info.restart_interval = static_cast<unsigned>(options.restart_interval);
  info.optimize_coding = options.optimise ? TRUE : FALSE;
  info.dct_method = JDCT_ISLOW;
  if (options.progressive) jpeg_simple_progression(&info);
  std::vector<jpeg_scan_info> script;
  for (int c = 0; options.separate_scans && c < picture.components; ++c) script.push_back({1, {c}, 0, 63, 0, 0});
  if (options.deep_progression) script = deep_progression_script(picture.components);
  if (!script.empty()) {
    info.scan_info = script.data();
    info.num_scans = static_cast<int>(script.size());
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&picture.samples[info.next_scanline * picture.width * picture.components]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return encoder.bytes();
}

DecodedPicture oracle_decode(const Bytes& jpeg) {
  const Bytes transposed = libjpeg_transpose(jpeg);
  Decompressor decoder(transposed);
  jpeg_decompress_struct& info = decoder.info;
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = FALSE;
  info.do_block_smoothing = FALSE;
  info.out_color_space = info.num_components == 3 ? JCS_YCbCr : JCS_GRAYSCALE;
  jpeg_start_decompress(&info);
  // libjpeg's picture is the transposed one: its line x is our column x.
  const int components = info.output_components;
  DecodedPicture picture{
      static_cast<int>(info.output_height), static_cast<int>(info.output_width), components == 3 ? 4 : 1, {}};
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * picture.bytes_per_pixel);
  Bytes line(static_cast<std::size_t>(picture.height) * components);
  for (int x = 0; x < picture.width; ++x) {
    JSAMPROW row = line.data();
    jpeg_read_scanlines(&info, &row, 1);
    for (int y = 0; y < picture.height; ++y) {
      const std::uint8_t* in = &line[static_cast<std::size_t>(y) * components];
      std::uint8_t* out = &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * picture.bytes_per_pixel];
      if (components == 1) {
        out[0] = in[0];
        continue;
      }
      // The JFIF formulas in 16.16 fixed point, rounded as the decoder's
      // tables round: R = Y + red(Cr), G = Y + (green(Cr) + green(Cb)) >> 16,
      // B = Y + blue(Cb).
      out[0] = clamp_byte(in[0] + ((91882 * in[2] - 11682187) >> 16));
      out[1] = clamp_byte(in[0] + ((5967255 - 46802 * in[2] + 2908403 - 22554 * in[1]) >> 16));
      out[2] = clamp_byte(in[0] + ((116130 * in[1] - 14773807) >> 16));
    }
  }
  jpeg_finish_decompress(&info);
  return picture;
}

OurDecoding decode_with_ours(const Bytes& jpeg, std::size_t fail_from, bool stall) {
  OurDecoding result;
  ProbeStream stream(jpeg, fail_from, stall);
  std::vector<int>& calls = result.calling_order;
  {
    JpegDecoder decoder(&stream);
    result.constructed = decoder.error_code();
    result.picture = {decoder.width(), decoder.height(), decoder.bytes_per_pixel(), {}};
    const std::uint8_t* line = nullptr;
    int length = 0;
    calls.push_back(decoder.decode(&line, &length));
    result.begin_result = decoder.begin();
    calls.push_back(decoder.begin());
    while ((result.last_result = decoder.decode(&line, &length)) == 0) {
      result.picture.pixels.insert(result.picture.pixels.end(), line, line + length);
      ++result.lines;
    }
    calls.push_back(decoder.decode(&line, &length));
    calls.push_back(decoder.begin());
    result.error = decoder.error_code();
    calls.insert(calls.end(), {stream.attached, stream.released});
  }
  calls.push_back(stream.released);
  return result;
}
