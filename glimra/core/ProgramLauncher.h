#pragma once
#include <string>
#include <vector>

namespace glimra {

// Starting a program by a command line, as the viewer hands pictures to the
// slide show and the edit tool: the line is split the Windows way (pieces
// separated by blanks or tabs, double quotes group a piece, a quote inside
// quotes written as two quotes or backslash-quote), the first piece is the
// program and the rest its arguments. The program is looked for in
// `callerFolder` first, then on PATH, unless it names a folder itself.

std::vector<std::string> SplitCommandLine(const std::string& line);

// The program file to run; empty when none is found.
std::string FindProgram(const std::string& name, const std::string& callerFolder);

}  // namespace glimra
