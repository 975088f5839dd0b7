// The desktop program's command line: a table of options read from left to right.
#include "app/command_line.h"

#include <cstdio>

#ifndef MIRTHWICK_VERSION
#error "MIRTHWICK_VERSION is defined by the build from the CMake project's version"
#endif

namespace mw {

namespace {

enum class Action { Help, Version, Windowed, Mute, NoHint };

struct Option {
  char shortName;  // 0: none
  const char* longName;
  Action action;
};

constexpr Option OPTIONS[] = {
    {'h', "help", Action::Help},           {'V', "version", Action::Version}, {0, "windowed", Action::Windowed},
    {0, "mute", Action::Mute},             {0, "no-hint", Action::NoHint},
};

// An argument as it may be shown on a terminal: control bytes are written as \xNN, so a stray
// escape sequence is never sent to the terminal.
std::string printable(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}

void reject(CommandLine& line, const std::string& problem, const std::string& argument) {
  line.exitCode = EXIT_USAGE;
  line.err = "mirthwick: " + problem + " '" + printable(argument) + "'\nTry 'mirthwick --help'.\n";
}

// Applies one option; true when it ends the program.
bool apply(CommandLine& line, Action action) {
  switch (action) {
    case Action::Help:
      line.exitCode = 0;
      line.out = usageText();
      return true;
    case Action::Version:
      line.exitCode = 0;
      line.out = versionText();
      return true;
    case Action::Windowed:
      line.options.windowed = true;
      break;
    case Action::Mute:
      line.options.mute = true;
      break;
    case Action::NoHint:
      line.options.hint = false;
      break;
  }
  return false;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      // "-" and "" included: the program reads no files and takes no operands.
      reject(line, "unexpected argument", argument);
      return line;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument[1] == '-') {
      // A long option, spelled out whole: no abbreviations and no "=value".
      const Option* found = nullptr;
      for (const Option& option : OPTIONS) {
        if (argument.compare(2, std::string::npos, option.longName) == 0) found = &option;
      }
      if (found == nullptr) {
        reject(line, "unknown option", argument);
        return line;
      }
      if (apply(line, found->action)) return line;
      continue;
    }
    // One or more short options joined: each letter in turn.
    for (size_t i = 1; i < argument.size(); ++i) {
      const Option* found = nullptr;
      for (const Option& option : OPTIONS) {
        if (option.shortName != 0 && option.shortName == argument[i]) found = &option;
      }
      if (found == nullptr) {
        reject(line, "unknown option", std::string("-") + argument[i]);
        return line;
      }
      if (apply(line, found->action)) return line;
    }
  }
  return line;
}

std::string versionText() { return "mirthwick " MIRTHWICK_VERSION "\n"; }

std::string usageText() {
  return "Usage: mirthwick [OPTION]...\n"
         "Photographs the desktop, covers the screen with the photo and lets you wreck it\n"
         "with a hammer, a lighter, a rifle and two armies of stick soldiers.\n"
         "\n"
         "Options:\n"
         "  -h, --help      print this help and exit\n"
         "  -V, --version   print the version and exit\n"
         "      --windowed  start in a window rather than full screen (F11 still switches)\n"
         "      --mute      start with sound off, opening no sound device (M turns it on)\n"
         "      --no-hint   leave out the start hint\n"
         "      --          end of the options; the program takes no other arguments\n"
         "Short options may be joined (-hV). The first of --help, --version or a bad\n"
         "argument, read from the left, decides.\n"
         "\n"
         "Controls:\n"
         "  Right button  opens and closes the menu panel: tools, soldiers, options\n"
         "  Left button   uses the tool in hand, or places the soldier in hand\n"
         "  Space         rifle: next fire mode; soldiers: turns the next one around\n"
         "  Enter         restores the undamaged desktop\n"
         "  M             switches the sound off and on\n"
         "  F11           switches between full screen and a window\n"
         "  F12           saves a picture of the screen\n"
         "  Escape        quits\n"
         "\n"
         "Files:\n"
#ifdef _WIN32
         "  The photo of the desktop is Files\\Img\\1.bmp beside the program, or\n"
         "  %LOCALAPPDATA%\\Mirthwick\\1.bmp where that folder cannot be written to.\n"
         "  F12 saves \"Mirthwick YYYY-MM-DD HH-MM-SS.png\" in your Pictures folder.\n"
#else
         "  The photo of the desktop is Files/Img/1.bmp beside the program when it can\n"
         "  write there, otherwise $XDG_RUNTIME_DIR/mirthwick/1.bmp.\n"
         "  F12 saves \"Mirthwick YYYY-MM-DD HH-MM-SS.png\" in your pictures folder:\n"
         "  XDG_PICTURES_DIR (from user-dirs.dirs), else ~/Pictures, else your home.\n"
#endif
         "\n"
         "Exit status:\n"
         "  0  it ended normally (also after --help and --version)\n"
         "  1  it could not run (no screen to show on)\n"
         "  2  a bad command line\n";
}

}  // namespace mw
