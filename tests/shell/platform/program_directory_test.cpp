// Where the program finds its data: beside it, or in the installed share folder.
#include "shell/platform/program_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

TEST(ProgramDirectory, DataIsFoundBesideTheProgramOrInTheInstalledShareFolder) {
  struct Case {
    const char* layout;
    std::vector<std::string> data_folders;  // under the scratch folder; "files/data" is a file
    const char* program;                    // the program's directory
    const char* expected;                   // the data home; "" for none
  };
  const Case cases[] = {
      {"build tree", {"build/data"}, "build", "build"},
      {"installed", {"prefix/share/quorvane/data"}, "prefix/bin", "prefix/share/quorvane"},
      {"both: beside wins", {"prefix/bin/data", "prefix/share/quorvane/data"}, "prefix/bin", "prefix/bin"},
      {"none", {}, "prefix/bin", ""},
      {"a file named data", {}, "files", ""},
  };
  for (const Case& c : cases) {
    ScratchDirectory scratch;
    const fs::path root = scratch.path();
    for (const std::string& folder : c.data_folders) fs::create_directories(root / folder);
    scratch.write("files/data", {'n', 'o'});
    const fs::path expected = std::string(c.expected).empty() ? fs::path() : root / c.expected;
    EXPECT_EQ(data_home_for(root / c.program).lexically_normal(), expected.lexically_normal()) << c.layout;
  }
}

}  // namespace
