// The program's command line and a console to answer it on, for a program of the window
// subsystem.
#pragma once

#include <string>
#include <vector>

namespace win32ui {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> ProgramArguments();
// Writes text to the program's standard output (or error) when it has one, else to the
// console of the program that started it, if any.
void WriteToConsole(const std::string& text, bool error);

}  // namespace win32ui
