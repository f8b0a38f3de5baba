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

namespace fs = std::filesystem;

// Our decoder's picture as bytes, without the fourth byte of colour pixels.
std::string decoded_samples(const Bytes& jpeg) {
  const DecodedPicture picture = decode_with_ours(jpeg).picture;
  std::string samples;
  for (std::size_t i = 0; i < picture.pixels.size(); i += picture.bytes_per_pixel) {
    samples.append(picture.pixels.begin() + static_cast<long>(i),
                   picture.pixels.begin() + static_cast<long>(i) + (picture.bytes_per_pixel == 1 ? 1 : 3));
  }
  return samples;
}

class JpegTool : public ::testing::Test {
 protected:
  void SetUp() override {
    write("colour.jpg", colour_);
    write("grey.jpg", grey_);
    write("progressive.jpg", libjpeg_encode(make_test_picture(40, 30, 3), encode_options("progressive")));
    write("cmyk.jpg", libjpeg_encode(make_test_picture(8, 8, 4), {}));
    write("text.jpg", Bytes{'n', 'o'});
  }

  void write(const std::string& name, const Bytes& bytes) { scratch_.write(name, bytes); }
  std::string path(const std::string& name) const { return scratch_.path() + "/" + name; }
  // quorvane-jpeg with `arguments`, words apart; NAME.EXT stands for a file in the scratch folder.
  ChildResult run(const std::string& arguments) const {
    ChildOptions options;
    std::istringstream words(arguments);
    for (std::string word; words >> word;)
      options.arguments.push_back(word.find('.') != std::string::npos ? path(word) : word);
    return run_child(binary_path("quorvane-jpeg"), options, 60);
  }

  ScratchDirectory scratch_;
  const Bytes colour_ = libjpeg_encode(make_test_picture(40, 30, 3), {});
  const Bytes grey_ = libjpeg_encode(make_test_picture(1, 1, 1), {});
};

}  // namespace

TEST_F(JpegTool, PrintsTheHeaderLineAndTheLoadersMessages) {
  struct Case {
    std::string arguments;
    int status;
    std::string output;
  };
  const std::string colour_header = "40x30, 3 components, sequential\n";
  const std::vector<Case> cases = {
      {"colour.jpg", 0, colour_header},
      {"grey.jpg", 0, "1x1, 1 component, sequential\n"},
      {"progressive.jpg", 0, "40x30, 3 components, progressive\n"},
      {"cmyk.jpg", 1, "8x8, 4 components, sequential\nError: Decoder failed! Error status: -225\n"},
      {"text.jpg", 1, "Error: Decoder failed! Error status: -217\n"},
      {"missing.jpg", 1, "Error: Unable to open file \"" + path("missing.jpg") + "\" for reading!\n"},
      {"grey.jpg grey.ppm", 2, "1x1, 1 component, sequential\n"},  // PPM is for colour, PGM for grey
      {"colour.jpg colour.pgm", 2, colour_header},
      {"colour.jpg colour.txt", 2, ""},
      {"", 2, ""},
      {"--bench 0 colour.jpg", 2, ""},
      {"--bench 2 colour.jpg colour.ppm", 2, ""},
      {"--crop 0,0,41,30 colour.jpg wide.png", 2, colour_header},
      {"--crop 0,25,1,6 colour.jpg low.png", 2, colour_header},
      {"--crop 0,-1,1,1 colour.jpg up.png", 2, colour_header},
      {"--crop 0,0,0,1 colour.jpg empty.png", 2, colour_header},
      {"--crop 1,2,3 colour.jpg three.png", 2, ""},
      {"--crop 1,2,3,4 colour.jpg", 2, ""},
  };
  for (const Case& c : cases) {
    const ChildResult got = run(c.arguments);
    EXPECT_EQ(got.status, c.status) << "quorvane-jpeg " << c.arguments;
    EXPECT_EQ(got.out, c.output) << "quorvane-jpeg " << c.arguments;
  }
  // Only the pictures in the folder: no output was written by the failures.
  EXPECT_EQ(files_in(scratch_.path()),
            (std::set<std::string>{"colour.jpg", "grey.jpg", "progressive.jpg", "cmyk.jpg", "text.jpg"}));
}

// Whole pictures as PPM, PGM and PNG, and rectangles of them as PNG.
TEST_F(JpegTool, WritesThePicturesItDecodesAndTheRectanglesAskedFor) {
  const std::string colour = decoded_samples(colour_);  // 40 x 30, 3 bytes a pixel
  const std::string grey = decoded_samples(grey_);
  const auto rectangle = [&](int x, int y, int width, int height) {
    std::string part;
    for (int row = y; row < y + height; ++row)
      part += colour.substr(static_cast<std::size_t>(row * 40 + x) * 3, width * 3);
    return part;
  };
  struct Case {
    std::string arguments;
    std::string output;
    std::string expected;  // file bytes (PPM, PGM) or samples (PNG)
  };
  const Case cases[] = {
      {"colour.jpg out.ppm", "out.ppm", "P6\n40 30\n255\n" + colour},
      {"grey.jpg out.pgm", "out.pgm", "P5\n1 1\n255\n" + grey},
      {"colour.jpg colour.png", "colour.png", colour},
      {"grey.jpg grey.png", "grey.png", grey},
      {"--crop 5,7,10,4 colour.jpg middle.png", "middle.png", rectangle(5, 7, 10, 4)},
      {"--crop 39,29,1,1 colour.jpg corner.png", "corner.png", rectangle(39, 29, 1, 1)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(c.arguments).status, 0) << c.arguments;
    const fs::path written = path(c.output);
    const std::string got =
        written.extension() == ".png" ? read_png(written, c.output == "grey.png").bytes : read_file_bytes(written);
    EXPECT_TRUE(got == c.expected) << "quorvane-jpeg " << c.arguments << ": " << got.size() << " bytes, expected "
                                   << c.expected.size() << (got.size() == c.expected.size() ? ", contents differ" : "");
  }
}

TEST_F(JpegTool, BenchPrintsTheHeaderLineAndASpeed) {
  const ChildResult got = run("--bench 3 colour.jpg");
  EXPECT_EQ(got.status, 0);
  const std::regex expected("40x30, 3 components, sequential\n40x30: [0-9.]*[1-9][0-9.]* MP/s\n");
  EXPECT_TRUE(std::regex_match(got.out, expected)) << got.out;
}
