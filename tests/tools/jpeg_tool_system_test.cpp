// quorvane-jpeg as its users see it: standard output, exit status and the
// pictures it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "jpeg/libjpeg_oracle.h"
#include "support/render_tool.h"
#include "support/scratch_directory.h"

namespace {

// Our decoder's picture as bytes, without the fourth byte of colour pixels.
std::string decoded_samples(const Bytes& jpeg) {
  const DecodedPicture picture = decode_with_ours(jpeg).picture;
  std::string samples;
  for (std::size_t i = 0; i < picture.pixels.size(); i += picture.bytes_per_pixel) {
    samples.append(reinterpret_cast<const char*>(&picture.pixels[i]), picture.bytes_per_pixel == 1 ? 1 : 3);
  }
  return samples;
}

TEST(JpegTool, PrintsTheHeaderLineAndTheLoadersMessagesAndWritesThePicturesAskedFor) {
  ScratchDirectory scratch;
  const std::string folder = scratch.path() + "/";
  const Bytes colour_jpeg = libjpeg_encode(make_test_picture(40, 30, 3), {});
  const Bytes grey_jpeg = libjpeg_encode(make_test_picture(1, 1, 1), {});
  scratch.write("colour.jpg", colour_jpeg);
  scratch.write("grey.jpg", grey_jpeg);
  scratch.write("progressive.jpg", libjpeg_encode(make_test_picture(40, 30, 3), encode_options("progressive")));
  scratch.write("cmyk.jpg", libjpeg_encode(make_test_picture(8, 8, 4), {}));
  scratch.write("text.jpg", Bytes{'n', 'o'});
  const std::string colour = decoded_samples(colour_jpeg), grey = decoded_samples(grey_jpeg);  // 40 x 30, 1 x 1
  std::string middle;  // the rectangle 10 x 4 from (5, 7)
  for (int row = 7; row < 11; ++row) middle += colour.substr(static_cast<std::size_t>(row * 40 + 5) * 3, 30);

  struct Case {
    std::string arguments;  // NAME.EXT stands for a file in the scratch folder
    int status;
    std::string output, written;  // written: the file, as bytes (PPM, PGM) or samples (PNG); nothing on failures
  };
  const std::string colour_header = "40x30, 3 components, sequential\n";
  const Case cases[] = {
      {"colour.jpg", 0, colour_header, ""},
      {"progressive.jpg", 0, "40x30, 3 components, progressive\n", ""},
      {"cmyk.jpg", 1, "8x8, 4 components, sequential\nError: Decoder failed! Error status: -225\n", ""},
      {"text.jpg", 1, "Error: Decoder failed! Error status: -217\n", ""},
      {"missing.jpg", 1, "Error: Unable to open file \"" + folder + "missing.jpg\" for reading!\n", ""},
      {"grey.jpg grey.ppm", 2, "1x1, 1 component, sequential\n", ""},  // PPM is for colour, PGM for grey
      {"colour.jpg colour.pgm", 2, colour_header, ""},
      {"colour.jpg colour.txt", 2, "", ""},
      {"", 2, "", ""},
      {"--bench 0 colour.jpg", 2, "", ""},
      {"--bench 2 colour.jpg colour.ppm", 2, "", ""},
      {"--crop 0,0,41,30 colour.jpg wide.png", 2, colour_header, ""},
      {"--crop 0,25,1,6 colour.jpg low.png", 2, colour_header, ""},
      {"--crop 0,-1,1,1 colour.jpg up.png", 2, colour_header, ""},
      {"--crop 0,0,0,1 colour.jpg empty.png", 2, colour_header, ""},
      {"--crop 1,2,3 colour.jpg three.png", 2, "", ""},
      {"--crop 1,2,3,4 colour.jpg", 2, "", ""},
      {"colour.jpg out.ppm", 0, colour_header, "P6\n40 30\n255\n" + colour},
      {"grey.jpg out.pgm", 0, "1x1, 1 component, sequential\n", "P5\n1 1\n255\n" + grey},
      {"colour.jpg colour.png", 0, colour_header, colour},
      {"grey.jpg grey.png", 0, "1x1, 1 component, sequential\n", grey},
      {"--crop 5,7,10,4 colour.jpg middle.png", 0, colour_header, middle},
      {"--crop 39,29,1,1 colour.jpg corner.png", 0, colour_header, colour.substr((29 * 40 + 39) * 3)},
  };
  for (const Case& c : cases) {
    ChildOptions options;
    std::istringstream words(c.arguments);
    for (std::string word; words >> word;)
      options.arguments.push_back(word.find('.') < word.size() ? folder + word : word);
    const ChildResult got = run_child(binary_path("quorvane-jpeg"), options, 60);
    EXPECT_EQ(std::pair(got.status, got.out), std::pair(c.status, c.output)) << "quorvane-jpeg " << c.arguments;
    const std::filesystem::path written = options.arguments.empty() ? "" : options.arguments.back();
    if (written.extension() == ".jpg" || written.empty()) continue;
    const std::string bytes = written.extension() == ".png" ? read_png(written, written.stem() == "grey").bytes
                                                              : read_file_bytes(written);
    EXPECT_TRUE(bytes == c.written) << "quorvane-jpeg " << c.arguments << ": " << bytes.size()
                                    << " bytes written, expected " << c.written.size();
  }
  ChildOptions bench_options;
  bench_options.arguments = {"--bench", "3", folder + "colour.jpg"};
  const ChildResult bench = run_child(binary_path("quorvane-jpeg"), bench_options, 60);
  EXPECT_TRUE(std::regex_match(bench.out, std::regex(colour_header + "40x30: [0-9.]*[1-9][0-9.]* MP/s\n")))
      << bench.out;
}

}  // namespace
