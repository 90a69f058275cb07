// Where the instrument keeps its files. On the handheld the program runs
// from its storage card, and the settings file and the flight logs sit at
// the card's root: a program started as \SDMMC\Apps\prog.exe keeps
// \SDMMC\TermIni.INI and \SDMMC\FlyData.
//
// On Linux the "card" is the folder that holds the program. Its path is
// presented in the handheld's form, \<folder>\<program> (for example
// "\/home/pilot/instrument\flight-instrument"), so the storage folder is the
// text between the first and the second backslash, exactly as on the
// handheld. ToLocalPath turns such a path back into a Linux path; it is the
// only place where the two forms meet.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The text between the (n-1)-th and the n-th backslash of `path`, counting
// from 1 (empty when the path has fewer backslashes).
std::string GetPathComponent(std::string_view path, int n);

// The program's own path in the handheld's form, from its Linux path.
std::string HandheldModulePath(const std::filesystem::path& program);

// The running program's own path in the handheld's form.
std::string GetModulePath();

// A handheld-form path \<folder>\<rest> as a Linux path <folder>/<rest>.
std::filesystem::path ToLocalPath(std::string_view handheldPath);
