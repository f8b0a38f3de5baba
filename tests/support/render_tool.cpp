// quorvane-render as a child process of the tests.
#include "support/render_tool.h"

#include <png.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

ChildOptions render_options(std::vector<std::string> arguments, const std::string& working_directory) {
  ChildOptions options;
  options.arguments = std::move(arguments);
  options.working_directory = working_directory;
  options.environment["DISPLAY"] = std::nullopt;  // never needs one
  return options;
}

ChildResult render(std::vector<std::string> arguments, const std::string& working_directory) {
  return run_child(binary_path("quorvane-render"), render_options(std::move(arguments), working_directory),
                   render_timeout_seconds);
}

std::set<std::string> files_in(const fs::path& directory) {
  std::set<std::string> names;
  if (!fs::is_directory(directory)) return names;
  for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

std::string read_file_bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string keys_at(int frame, int count) {
  std::string keys;
  for (int i = 0; i < count; ++i) keys += (i == 0 ? "" : ",") + std::to_string(frame);
  return keys;
}

PngPicture read_png(const fs::path& path, bool grey) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
  image.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  PngPicture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  picture.bytes.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, picture.bytes.data(), 0, nullptr) == 0) return {};
  return picture;
}
