// Finding data/ whatever the working directory: beside the program in the
// build tree, or in the installed share/quorvane beside its bin/.
#pragma once

#include <filesystem>

// The directory of the running executable; empty when it cannot be found.
std::filesystem::path program_directory();

// The directory holding data/ for a program in `directory`: `directory`
// itself when data/ is beside the program (the build tree), else
// `directory`/../share/quorvane when that holds data/ (an installed
// program, in PREFIX/bin with its data in PREFIX/share/quorvane/data).
// Empty when neither does.
std::filesystem::path data_home_for(const std::filesystem::path& directory);

// Changes into the running program's data home, so that "data/..." names
// resolve and every message keeps those relative names; without one, into
// the program's directory, where each data file then reports itself
// missing. Returns false, changing nothing, when that is not possible.
bool enter_program_directory();
