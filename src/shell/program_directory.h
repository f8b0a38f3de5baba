// Finding data/ beside the program whatever the working directory.
#pragma once

#include <filesystem>

// The directory of the running executable; empty when it cannot be found.
std::filesystem::path program_directory();

// Changes into the program's directory, so that "data/..." names resolve
// beside the executable and every message keeps those relative names.
// Returns false, changing nothing, when that is not possible.
bool enter_program_directory();
