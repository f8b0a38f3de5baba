// The portrait loader reads a bitmap it may not write, as from a read-only
// copy of data/: in a child process that, if root, first becomes an
// unprivileged user (root may write to any file).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "data/picture_loader.h"
#include "support/scratch_directory.h"

TEST(PictureLoader, ReadsABitmapItMayNotWrite) {
  namespace fs = std::filesystem;
  const ScratchDirectory scratch;
  std::vector<std::uint8_t> bitmap(14 + 40 + 1024 + 4, 0);
  bitmap[14 + 40 + 1024] = 1;  // 2 x 1 pixels: black, then white
  const std::string path = scratch.write("read-only.bmp", bitmap);
  fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::others_exec);
  fs::permissions(path, fs::perms::owner_read | fs::perms::others_read);
  const auto load_as_unprivileged_user = [&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::exit(3);
    Pixel destination[2] = {0x00123456, 0x00123456};
    load_bmp_picture(2, 1, path.c_str(), destination);
    std::exit(destination[0] == 0 && destination[1] == 0x00FFFFFF ? 0 : 1);
  };
  EXPECT_EXIT(load_as_unprivileged_user(), ::testing::ExitedWithCode(0), "");
}
