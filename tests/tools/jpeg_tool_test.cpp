// quorvane-jpeg as its users see it: standard output, exit status and the
// pictures it writes.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "jpeg/libjpeg_oracle.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string output;  // standard output only
};

RunResult run_tool(const std::string& arguments) {
  const std::string command = std::string(QUORVANE_BINARY_DIR) + "/quorvane-jpeg " + arguments + " 2>/dev/null";
  RunResult result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[256];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

Bytes read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Our decoder's picture without the fourth byte of colour pixels.
Bytes decoded_samples(const Bytes& jpeg) {
  const DecodedPicture picture = decode_with_ours(jpeg).picture;
  if (picture.bytes_per_pixel == 1) return picture.pixels;
  Bytes rgb;
  for (std::size_t i = 0; i < picture.pixels.size(); i += 4) {
    rgb.insert(rgb.end(), picture.pixels.begin() + static_cast<long>(i),
               picture.pixels.begin() + static_cast<long>(i) + 3);
  }
  return rgb;
}

Bytes read_png_samples(const fs::path& path, int channels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
  image.format = channels == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  Bytes samples(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr) == 0) return {};
  return samples;
}

class JpegTool : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("quorvane-jpeg-tool-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    colour_ = libjpeg_encode(make_test_picture(40, 30, 3), {});
    grey_ = libjpeg_encode(make_test_picture(1, 1, 1), {});
    EncodeOptions progressive;
    progressive.progressive = true;
    write("colour.jpg", colour_);
    write("grey.jpg", grey_);
    write("progressive.jpg", libjpeg_encode(make_test_picture(40, 30, 3), progressive));
    write("cmyk.jpg", libjpeg_encode(make_test_picture(8, 8, 4), {}));
    write("text.jpg", Bytes{'n', 'o'});
  }
  void TearDown() override { fs::remove_all(folder_); }

  void write(const std::string& name, const Bytes& bytes) {
    std::ofstream(folder_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
  Bytes colour_;
  Bytes grey_;
};

}  // namespace

TEST_F(JpegTool, PrintsTheHeaderLineAndTheLoadersMessages) {
  struct Case {
    std::string arguments;
    int status;
    std::string output;
  };
  const std::vector<Case> cases = {
      {path("colour.jpg"), 0, "40x30, 3 components, sequential\n"},
      {path("grey.jpg"), 0, "1x1, 1 component, sequential\n"},
      {path("progressive.jpg"), 0, "40x30, 3 components, progressive\n"},
      {path("cmyk.jpg"), 1, "8x8, 4 components, sequential\nError: Decoder failed! Error status: -225\n"},
      {path("text.jpg"), 1, "Error: Decoder failed! Error status: -217\n"},
      {path("missing.jpg"), 1, "Error: Unable to open file \"" + path("missing.jpg") + "\" for reading!\n"},
      {path("grey.jpg") + " " + path("grey.ppm"), 2, "1x1, 1 component, sequential\n"},
      {path("colour.jpg") + " " + path("colour.pgm"), 2, "40x30, 3 components, sequential\n"},
      {path("colour.jpg") + " " + path("colour.txt"), 2, ""},
      {"", 2, ""},
      {"--bench 0 " + path("colour.jpg"), 2, ""},
      {"--bench 2 " + path("colour.jpg") + " " + path("colour.ppm"), 2, ""},
      {"--crop 0,0,41,30 " + path("colour.jpg") + " " + path("wide.ppm"), 2, "40x30, 3 components, sequential\n"},
      {"--crop 35,0,6,1 " + path("colour.jpg") + " " + path("right.ppm"), 2, "40x30, 3 components, sequential\n"},
      {"--crop 0,-1,1,1 " + path("colour.jpg") + " " + path("up.ppm"), 2, "40x30, 3 components, sequential\n"},
      {"--crop 0,0,0,1 " + path("colour.jpg") + " " + path("empty.ppm"), 2, "40x30, 3 components, sequential\n"},
      {"--crop 1,2,3 " + path("colour.jpg") + " " + path("three.ppm"), 2, ""},
      {"--crop 1,2,3,4 " + path("colour.jpg"), 2, ""},
  };
  for (const Case& c : cases) {
    const RunResult got = run_tool(c.arguments);
    EXPECT_EQ(got.status, c.status) << "quorvane-jpeg " << c.arguments;
    EXPECT_EQ(got.output, c.output) << "quorvane-jpeg " << c.arguments;
  }
  for (const char* name : {"wide.ppm", "right.ppm", "up.ppm", "empty.ppm", "three.ppm"}) {
    EXPECT_FALSE(fs::exists(folder_ / name)) << name;
  }
  EXPECT_FALSE(fs::exists(folder_ / "grey.ppm"));
  EXPECT_FALSE(fs::exists(folder_ / "colour.pgm"));
}

TEST_F(JpegTool, WritesThePicturesItDecodes) {
  const Bytes colour_samples = decoded_samples(colour_);
  const Bytes grey_samples = decoded_samples(grey_);
  ASSERT_EQ(run_tool(path("colour.jpg") + " " + path("out.ppm")).status, 0);
  ASSERT_EQ(run_tool(path("grey.jpg") + " " + path("out.pgm")).status, 0);
  ASSERT_EQ(run_tool(path("colour.jpg") + " " + path("colour.png")).status, 0);
  ASSERT_EQ(run_tool(path("grey.jpg") + " " + path("grey.png")).status, 0);

  const std::string ppm_header = "P6\n40 30\n255\n";
  Bytes expected_ppm(ppm_header.begin(), ppm_header.end());
  expected_ppm.insert(expected_ppm.end(), colour_samples.begin(), colour_samples.end());
  EXPECT_EQ(read_file(folder_ / "out.ppm"), expected_ppm);

  const std::string pgm_header = "P5\n1 1\n255\n";
  Bytes expected_pgm(pgm_header.begin(), pgm_header.end());
  expected_pgm.insert(expected_pgm.end(), grey_samples.begin(), grey_samples.end());
  EXPECT_EQ(read_file(folder_ / "out.pgm"), expected_pgm);

  EXPECT_EQ(read_png_samples(folder_ / "colour.png", 3), colour_samples);
  EXPECT_EQ(read_png_samples(folder_ / "grey.png", 1), grey_samples);
}

TEST_F(JpegTool, CropWritesOnlyTheRectangleAskedFor) {
  const Bytes whole = decoded_samples(colour_);  // 40 x 30, 3 bytes a pixel
  struct Case {
    int x, y, width, height;
  };
  const Case cases[] = {{0, 0, 40, 30}, {5, 7, 10, 4}, {39, 29, 1, 1}, {0, 29, 40, 1}};
  for (const Case& c : cases) {
    const std::string crop = std::to_string(c.x) + "," + std::to_string(c.y) + "," + std::to_string(c.width) + "," +
                             std::to_string(c.height);
    ASSERT_EQ(run_tool("--crop " + crop + " " + path("colour.jpg") + " " + path("part.png")).status, 0) << crop;
    Bytes expected;
    for (int y = c.y; y < c.y + c.height; ++y) {
      const auto row = whole.begin() + (y * 40 + c.x) * 3;
      expected.insert(expected.end(), row, row + c.width * 3);
    }
    EXPECT_EQ(read_png_samples(folder_ / "part.png", 3), expected) << "--crop " << crop;
  }
}

TEST_F(JpegTool, BenchPrintsTheHeaderLineAndASpeed) {
  const RunResult got = run_tool("--bench 3 " + path("colour.jpg"));
  EXPECT_EQ(got.status, 0);
  const std::string header = "40x30, 3 components, sequential\n";
  const std::string prefix = "40x30: ";
  const std::string suffix = " MP/s\n";
  ASSERT_GT(got.output.size(), header.size() + prefix.size() + suffix.size()) << got.output;
  EXPECT_EQ(got.output.substr(0, header.size() + prefix.size()), header + prefix) << got.output;
  EXPECT_EQ(got.output.substr(got.output.size() - suffix.size()), suffix) << got.output;
  const std::string speed = got.output.substr(header.size() + prefix.size(),
                                              got.output.size() - header.size() - prefix.size() - suffix.size());
  EXPECT_GT(std::strtod(speed.c_str(), nullptr), 0.0) << "speed \"" << speed << "\"";
}
