// The marker-token discipline of the parameter (.conf) and path (.bsp) files.
//
// A file is free text in which every value is announced by the marker token
// "`" followed by a space. Only the space character ends a token (tabs and
// line breaks do not), a token holds at most 99 characters, and a token that
// is not the marker throws away the rest of its line (again at most 99
// characters). So a one-word comment line runs on into the next line and
// swallows that line's marker and value: data files give every comment line
// at least two words.
//
// Failures never stop the demo: a missing file is reported as
// "Cannot find <path>" on standard output, and once the stream has failed
// (missing file, a value that does not parse, end of file) every later read
// leaves its target as it was.
#pragma once

#include <fstream>
#include <istream>

// Consumes input up to and including the next marker token. Returns false,
// having read nothing useful, when the stream has failed or ended first.
bool skip_to_marker(std::istream& in);

// skip_to_marker, then one number. The target changes only when both the
// marker and the number were found; a number that does not parse leaves the
// stream failed.
bool config_read_int(std::istream& in, int& target);
bool config_read_double(std::istream& in, double& target);

// One open parameter or path file.
struct ConfigReader {
  std::ifstream stream;
};

// Opens `path`; prints "Cannot find <path>" and returns false if it cannot.
// The reads below are then harmless no-ops.
bool config_open(ConfigReader& reader, const char* path);
void config_close(ConfigReader& reader);

inline bool config_read_int(ConfigReader& reader, int& target) { return config_read_int(reader.stream, target); }
inline bool config_read_double(ConfigReader& reader, double& target) {
  return config_read_double(reader.stream, target);
}
