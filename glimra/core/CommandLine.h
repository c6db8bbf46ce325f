#pragma once
#include <string>
#include <vector>

namespace glimra {

// Longest current file name and picture folder the viewer keeps.
constexpr size_t kMaxFileName = 511;
constexpr size_t kMaxFolder = 2047;

// The command line as one text, as the system hands it to a program: the
// arguments after the program name joined by single blanks.
std::string JoinArguments(int argc, const char* const* argv);

// Splits the viewer's command line "/" file "/" folder: the first character
// is skipped, the text up to the next "/" is the file name and everything
// after that "/" is the folder (so a folder may hold "/" itself). False when
// there is no file name, or a piece is longer than the viewer keeps.
bool ParseGlimraCommandLine(const std::string& line, std::string& file, std::string& folder);

}  // namespace glimra
