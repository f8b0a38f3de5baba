// The picture loaders: what lands in the destination, what stays untouched,
// and the messages on standard output.
#include "data/picture_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "jpeg/libjpeg_oracle.h"
#include "shell/pixels/screen_buffer.h"

namespace {

namespace fs = std::filesystem;

constexpr Pixel sentinel = 0x00123456;
constexpr Pixel white = 0x00FFFFFF;
constexpr Pixel black = 0x00000000;

// A scratch folder for the test's files, removed afterwards.
class LoaderFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("quorvane-loader-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string write_file(const std::string& name, const Bytes& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  fs::path folder_;
};

std::vector<Pixel> filled(std::size_t count) { return std::vector<Pixel>(count, sentinel); }

// What load_jpeg_picture must write: our decoder's lines as 0x00RRGGBB.
std::vector<Pixel> decoded_pixels(const Bytes& jpeg) {
  const OurDecoding decoded = decode_with_ours(jpeg);
  std::vector<Pixel> pixels;
  for (std::size_t i = 0; i + 3 < decoded.picture.pixels.size(); i += 4) {
    const Bytes& p = decoded.picture.pixels;
    pixels.push_back(pixel_rgb(p[i], p[i + 1], p[i + 2]));
  }
  return pixels;
}

template <class Load>
std::string output_of(Load&& load) {
  ::testing::internal::CaptureStdout();
  load();
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

// An 8-bit palette bitmap as the portraits are stored: headers, a palette
// that says nothing useful, then `rows` bottom first, padded to 4 bytes.
Bytes bitmap(int width, const std::vector<std::vector<int>>& rows_in_file_order) {
  Bytes bytes(14 + 40 + 1024, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  const int row_bytes = (width + 3) / 4 * 4;
  for (const auto& row : rows_in_file_order) {
    Bytes stored(static_cast<std::size_t>(row_bytes), 0xEE);  // padding
    for (int x = 0; x < width; ++x) stored[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(row[x]);
    bytes.insert(bytes.end(), stored.begin(), stored.end());
  }
  return bytes;
}

}  // namespace

TEST_F(LoaderFiles, JpegPicturesFillTheirWidthTimesHeightPixels) {
  struct Case {
    int width;
    int height;
  };
  for (const Case& c : {Case{640, 480}, Case{320, 240}, Case{8192, 1}, Case{17, 9}}) {
    const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height);
    const Bytes jpeg = libjpeg_encode(make_test_picture(c.width, c.height, 3), {});
    const std::string path = write_file(name + ".jpg", jpeg);
    std::vector<Pixel> destination = filled(screen_pixels);
    EXPECT_EQ(output_of([&] { load_jpeg_picture(path.c_str(), destination.data()); }), "") << name;
    const std::vector<Pixel> expected = decoded_pixels(jpeg);
    const std::size_t count = static_cast<std::size_t>(c.width) * c.height;
    ASSERT_EQ(expected.size(), count) << name;
    for (std::size_t i = 0; i < destination.size(); ++i) {
      const Pixel want = i < count ? expected[i] : sentinel;
      ASSERT_EQ(destination[i], want) << name << ": pixel " << i;
    }
  }
}

TEST_F(LoaderFiles, JpegFailuresReportAndWriteNothingOrWhatCameBefore) {
  const Bytes grey = libjpeg_encode(make_test_picture(64, 32, 1), {});
  const Bytes too_wide = libjpeg_encode(make_test_picture(641, 480, 3), {});
  Bytes truncated = libjpeg_encode(make_test_picture(64, 64, 3), {});
  truncated.resize(truncated.size() * 3 / 4);
  const std::string missing = (folder_ / "missing.jpg").string();
  struct Case {
    std::string name;
    std::string path;
    std::string message;
    bool writes_some_lines;
  };
  const std::vector<Case> cases = {
      {"greyscale", write_file("grey.jpg", grey), "", false},
      {"missing", missing, "Error: Unable to open file \"" + missing + "\" for reading!\n", false},
      {"not a JPEG file", write_file("text.jpg", Bytes{'h', 'i'}), "Error: Decoder failed! Error status: -217\n",
       false},
      {"641 x 480", write_file("wide.jpg", too_wide),
       "Error: Picture \"" + (folder_ / "wide.jpg").string() +
           "\" is 641x480, more than the 307200 pixels of its destination!\n",
       false},
      {"truncated", write_file("truncated.jpg", truncated), "Error: Decoder failed! Error status: -227\n", true},
  };
  for (const Case& c : cases) {
    std::vector<Pixel> destination = filled(screen_pixels);
    EXPECT_EQ(output_of([&] { load_jpeg_picture(c.path.c_str(), destination.data()); }), c.message) << c.name;
    const bool any_written = destination.front() != sentinel;
    EXPECT_EQ(any_written, c.writes_some_lines) << c.name;
    EXPECT_EQ(destination[64 * 64], sentinel) << c.name << ": nothing past the picture";
  }
}

TEST_F(LoaderFiles, BitmapIndexZeroIsWhiteAndEveryOtherBlackUprightPastTheRowPadding) {
  // 310-wide rows are stored as 312 bytes. File row r (the bottom first)
  // holds index 1 + (r * 37) % 255 (never 0) at x == r, index 0 elsewhere.
  std::vector<std::vector<int>> rows(64, std::vector<int>(310, 0));
  for (int r = 0; r < 64; ++r) rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(r)] = 1 + r * 37 % 255;
  const std::string path = write_file("wide.bmp", bitmap(310, rows));
  std::vector<Pixel> destination = filled(310 * 64 + 1);
  EXPECT_EQ(output_of([&] { load_bmp_picture(310, 64, path.c_str(), destination.data()); }), "");
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 310; ++x) {
      const Pixel expected = x == 63 - y ? black : white;
      ASSERT_EQ(destination[static_cast<std::size_t>(y * 310 + x)], expected) << "x " << x << ", y " << y;
    }
  }
  EXPECT_EQ(destination.back(), sentinel) << "past the picture";
}

TEST_F(LoaderFiles, MissingOrShortBitmapsReportAndLeaveTheDestination) {
  Bytes short_file = bitmap(310, std::vector<std::vector<int>>(64, std::vector<int>(310, 1)));
  short_file.pop_back();
  const std::string short_path = write_file("short.bmp", short_file);
  const std::string missing = (folder_ / "missing.bmp").string();
  struct Case {
    std::string name;
    std::string path;
    std::string message;
  };
  for (const Case& c :
       {Case{"missing", missing, "Error: Unable to open file \"" + missing + "\" for reading!\n"},
        Case{"one byte short", short_path, "Error: Bitmap \"" + short_path + "\" is too short for 310x64 pixels!\n"}}) {
    std::vector<Pixel> destination = filled(310 * 64);
    EXPECT_EQ(output_of([&] { load_bmp_picture(310, 64, c.path.c_str(), destination.data()); }), c.message) << c.name;
    EXPECT_EQ(destination, filled(310 * 64)) << c.name;
  }
}

// Exits 0 when the two-pixel bitmap at `path` loads as black, white.
[[noreturn]] void load_black_white_as_unprivileged_user(const std::string& path) {
  if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::exit(3);
  Pixel destination[2] = {sentinel, sentinel};
  load_bmp_picture(2, 1, path.c_str(), destination);
  std::exit(destination[0] == black && destination[1] == white ? 0 : 1);
}

// Run in a child process that, if it is root, first becomes an unprivileged
// user: root may write to any file, so only then does read-only mean it.
TEST_F(LoaderFiles, ReadsABitmapItMayNotWrite) {
  const std::string path = write_file("read-only.bmp", bitmap(2, {{1, 0}}));
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EXIT(load_black_white_as_unprivileged_user(path), ::testing::ExitedWithCode(0), "");
}
