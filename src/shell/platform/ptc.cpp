// The console objects: argument checks and state, then the backend does the
// platform's part.
#include "shell/platform/ptc.h"

#include <cstring>

#include "shell/pixels/screen_buffer.h"
#include "shell/platform/message_box.h"
#include "shell/platform/ptc_backend.h"

namespace ptc {

void DynamicError::report() const { report_fatal_error(what()); }

Format::Format(int bits, std::uint32_t red_mask, std::uint32_t green_mask, std::uint32_t blue_mask,
               std::uint32_t alpha_mask)
    : bits_(bits), red_mask_(red_mask), green_mask_(green_mask), blue_mask_(blue_mask), alpha_mask_(alpha_mask) {}

bool Format::operator==(const Format& other) const {
  return bits_ == other.bits_ && red_mask_ == other.red_mask_ && green_mask_ == other.green_mask_ &&
         blue_mask_ == other.blue_mask_ && alpha_mask_ == other.alpha_mask_;
}

Format program_format() { return Format(32, pixel_red_mask, pixel_green_mask, pixel_blue_mask, 0); }

namespace {

// "default width N" / "default height N" with a positive whole N.
bool is_size_option(const std::string& text, const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  if (text.compare(0, length, prefix) != 0) return false;
  const std::string number = text.substr(length);
  if (number.empty() || number.size() > 5) return false;
  for (char c : number) {
    if (c < '0' || c > '9') return false;
  }
  return std::stoi(number) > 0;
}

}  // namespace

Console::Console(Backend& backend) : backend_(backend) {}

Console::~Console() { close(); }

bool Console::option(const std::string& text) {
  if (open_) return false;  // options only shape the opening
  if (text == "fullscreen output") {
    fullscreen_ = true;
    return true;
  }
  return text == "DirectX" || is_size_option(text, "default width ") || is_size_option(text, "default height ");
}

void Console::open(const std::string& title, int width, int height, const Format& format, int pages) {
  if (open_) throw DynamicError("The console is already open.");
  if (width != screen_width || height != screen_height) {
    throw DynamicError("The console opens only at 640 x 480, not " + std::to_string(width) + " x " +
                       std::to_string(height) + ".");
  }
  if (format != program_format()) throw DynamicError("The console shows only 32-bit 0x00RRGGBB pixels.");
  if (pages != 0) throw DynamicError("The console takes only the default page count (0).");
  backend_.open(OpenRequest{title, width, height, fullscreen_});
  open_ = true;
}

void Console::close() {
  if (!open_) return;
  open_ = false;
  backend_.close();
}

NativeWindow* Console::window() { return open_ ? backend_.native_window() : nullptr; }

bool Console::key() {
  require_open("key()");
  return backend_.key();
}

Key Console::read() {
  require_open("read()");
  if (!backend_.read()) throw DynamicError("read() was called with no key press waiting.");
  return Key{};
}

void Console::update() {
  require_open("update()");
  backend_.update();
}

void Console::load_picture(const Pixel* pixels, int width, int height, const Format& format) {
  require_open("copy()");
  if (width != screen_width || height != screen_height || format != program_format()) {
    throw DynamicError("Only a 640 x 480 surface in the console's format can be copied to the console.");
  }
  backend_.load_picture(pixels);
}

double Console::clock_seconds() { return backend_.seconds(); }

void Console::require_open(const char* operation) const {
  if (!open_) throw DynamicError(std::string("The console is not open for ") + operation + ".");
}

Surface::Surface(int width, int height, const Format& format) : width_(width), height_(height), format_(format) {
  if (width <= 0 || height <= 0) throw DynamicError("A surface needs a positive width and height.");
  if (format.bits() != 32) throw DynamicError("Surfaces hold only 32-bit pixels.");
  pixels_ = allocate_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

Surface::~Surface() { free_pixels(pixels_); }

Pixel* Surface::lock() {
  if (locked_) throw DynamicError("The surface is already locked.");
  locked_ = true;
  return pixels_;
}

void Surface::unlock() {
  if (!locked_) throw DynamicError("The surface is not locked.");
  locked_ = false;
}

void Surface::copy(Console& console) {
  if (locked_) throw DynamicError("A locked surface cannot be copied to the console.");
  console.load_picture(pixels_, width_, height_, format_);
}

Timer::Timer(Console& console) : console_(console) {}

void Timer::start() {
  start_ = console_.clock_seconds();
  previous_ = start_;
  started_ = true;
}

double Timer::time() {
  require_started("time()");
  return console_.clock_seconds() - start_;
}

double Timer::delta() {
  require_started("delta()");
  const double now = console_.clock_seconds();
  const double elapsed = now - previous_;
  previous_ = now;
  return elapsed;
}

void Timer::require_started(const char* operation) const {
  if (!started_) throw DynamicError(std::string("The timer was not started before ") + operation + ".");
}

}  // namespace ptc
