// The command line in one table: every option, joined short options, "--", unknown and stray
// arguments, and which of several ending options decides.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace mw {
namespace {

enum Ends { RUNS, HELP, VERSION, BAD };

struct Case {
  std::vector<std::string> arguments;
  Ends ends;
  bool windowed = false, mute = false, hint = true;
  const char* error = "";  // the first line on standard error
};

const Case CASES[] = {
    {{}, RUNS},
    {{"--windowed"}, RUNS, true},
    {{"--mute"}, RUNS, false, true},
    {{"--no-hint"}, RUNS, false, false, false},
    {{"--no-hint", "--mute", "--windowed", "--mute"}, RUNS, true, true, false},
    {{"--"}, RUNS},
    {{"--mute", "--"}, RUNS, false, true},
    {{"--help"}, HELP},
    {{"-h"}, HELP},
    {{"--version"}, VERSION},
    {{"-V"}, VERSION},
    {{"-hV"}, HELP},
    {{"-Vh"}, VERSION},
    {{"--mute", "--version", "--help"}, VERSION},
    {{"--help", "--bogus"}, HELP},
    {{"-hx"}, HELP},
    {{"--x"}, BAD, false, false, true, "mirthwick: unknown option '--x'"},
    {{"--bogus", "--help"}, BAD, false, false, true, "mirthwick: unknown option '--bogus'"},
    {{"-xh"}, BAD, false, false, true, "mirthwick: unknown option '-x'"},
    {{"-Vx"}, VERSION},
    {{"-v"}, BAD, false, false, true, "mirthwick: unknown option '-v'"},
    {{"-H"}, BAD, false, false, true, "mirthwick: unknown option '-H'"},
    {{"--he"}, BAD, false, false, true, "mirthwick: unknown option '--he'"},
    {{"--helpx"}, BAD, false, false, true, "mirthwick: unknown option '--helpx'"},
    {{"--help=yes"}, BAD, false, false, true, "mirthwick: unknown option '--help=yes'"},
    {{"--Mute"}, BAD, false, false, true, "mirthwick: unknown option '--Mute'"},
    {{"---"}, BAD, false, false, true, "mirthwick: unknown option '---'"},
    {{"-windowed"}, BAD, false, false, true, "mirthwick: unknown option '-w'"},
    {{"picture.png"}, BAD, false, false, true, "mirthwick: unexpected argument 'picture.png'"},
    {{"--mute", "extra"}, BAD, false, false, true, "mirthwick: unexpected argument 'extra'"},
    {{"-"}, BAD, false, false, true, "mirthwick: unexpected argument '-'"},
    {{""}, BAD, false, false, true, "mirthwick: unexpected argument ''"},
    {{"--", "--help"}, BAD, false, false, true, "mirthwick: unexpected argument '--help'"},
    {{"--", "--"}, BAD, false, false, true, "mirthwick: unexpected argument '--'"},
    {{"--\x1b[2J"}, BAD, false, false, true, "mirthwick: unknown option '--\\x1B[2J'"},
    {{"\xc3\xa9t\xc3\xa9"}, BAD, false, false, true, "mirthwick: unexpected argument '\xc3\xa9t\xc3\xa9'"},
};

std::string describe(const std::vector<std::string>& arguments) {
  std::string text = "mirthwick";
  for (const std::string& argument : arguments) text += " [" + argument + "]";
  return text;
}

TEST(CommandLine, TableOfArguments) {
  for (const Case& c : CASES) {
    SCOPED_TRACE(describe(c.arguments));
    const CommandLine line = parseCommandLine(c.arguments);
    switch (c.ends) {
      case RUNS:
        EXPECT_FALSE(line.exitCode.has_value());
        EXPECT_EQ(line.options.windowed, c.windowed);
        EXPECT_EQ(line.options.mute, c.mute);
        EXPECT_EQ(line.options.hint, c.hint);
        EXPECT_EQ(line.out, "");
        EXPECT_EQ(line.err, "");
        break;
      case HELP:
      case VERSION:
        EXPECT_EQ(line.exitCode, 0);
        EXPECT_EQ(line.out, c.ends == HELP ? usageText() : versionText());
        EXPECT_EQ(line.err, "");
        break;
      case BAD:
        EXPECT_EQ(line.exitCode, 2);
        EXPECT_EQ(line.out, "");
        EXPECT_EQ(line.err, std::string(c.error) + "\nTry 'mirthwick --help'.\n");
        break;
    }
  }
}

TEST(CommandLine, HelpAndVersionTexts) {
  EXPECT_EQ(versionText(), "mirthwick 1.0.0\n");
  const std::string help = usageText();
  // Every option and key is named, each line fits a terminal of 80 columns.
  for (const char* word : {"--help", "-h,", "--version", "-V,", "--windowed", "--mute", "--no-hint", "Escape",
                           "F11", "F12", "Enter", "Space", "Right button", "Exit status", "1.bmp", "Pictures"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
  size_t start = 0;
  for (size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
  }
  EXPECT_EQ(start, help.size()) << "the help ends in a newline";
}

}  // namespace
}  // namespace mw
