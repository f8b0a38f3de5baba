// Marker search and value reads for the parameter and path files.
#include "data/config_reader.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace {

constexpr char marker[] = "`";
// The longest token, and the longest line remainder thrown away after one.
constexpr int token_limit = 99;

// True when a character could be read; leaves the stream at its end
// (eofbit) or failed otherwise.
bool has_more(std::istream& in) {
  return in && in.peek() != std::istream::traits_type::eof();
}

void skip_whitespace(std::istream& in) {
  while (has_more(in) && std::isspace(in.peek())) in.get();
}

// Reads at most token_limit characters, stopping before `stop` (not consumed).
std::string read_up_to(std::istream& in, char stop) {
  std::string text;
  while (static_cast<int>(text.size()) < token_limit && has_more(in)) {
    const int c = in.peek();
    if (c == static_cast<unsigned char>(stop)) break;
    text.push_back(static_cast<char>(in.get()));
  }
  return text;
}

// One number after a marker; the target changes only if it parses.
template <typename Number>
bool read_marked(std::istream& in, Number& target) {
  if (!skip_to_marker(in)) return false;
  Number value{};
  if (!(in >> value)) return false;
  target = value;
  return true;
}

}  // namespace

bool skip_to_marker(std::istream& in) {
  // Every pass consumes at least one character, so the loop ends with the input.
  for (;;) {
    skip_whitespace(in);
    if (!has_more(in)) return false;
    if (read_up_to(in, ' ') == marker) return true;
    read_up_to(in, '\n');  // the rest of the comment line
  }
}

bool config_read_int(std::istream& in, int& target) { return read_marked(in, target); }
bool config_read_double(std::istream& in, double& target) { return read_marked(in, target); }

bool config_open(ConfigReader& reader, const char* path) {
  reader.stream.open(path);
  if (reader.stream.is_open()) return true;
  std::printf("Cannot find %s\n", path);
  return false;
}

void config_close(ConfigReader& reader) { reader.stream.close(); }
