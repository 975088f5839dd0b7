// The desktop program's command line: options, help, version and usage errors, shared by every
// platform's entry.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/options.h"

namespace mw {

// Exit codes: 0 a normal end (also after --help and --version), 1 the program cannot run (no
// screen to show on), 2 a bad command line.
constexpr int EXIT_USAGE = 2;

// What the command line decided.
struct CommandLine {
  std::optional<int> exitCode;  // set when the program ends at once, before anything starts
  StartOptions options;         // what a run starts with when exitCode is empty
  std::string out;              // text for standard output (help, version)
  std::string err;              // text for standard error (a bad argument)
};

// Reads the arguments after the program's name, in UTF-8. They are read from left to right and
// the first that ends the program decides: --help (-h), --version (-V), or a bad argument.
// Short options may be joined (-hV is -h -V). "--" ends the options; as the program takes no
// other arguments, anything after it is a stray argument.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints and the one --version prints, each ending in a newline.
std::string usageText();
std::string versionText();

}  // namespace mw
