#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace archivers
{

// One piece of a command line: a run of non-blank characters in which double quotes group
// blanks and are removed. `quoted` tells whether any quote took part.
struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a command line into tokens. Backslashes are ordinary characters (the callers write
// folders as "C:\dir\" with the backslash right before the closing quote); an unterminated
// quote runs to the end of the line.
std::vector<Token> tokenize(std::string_view line);

// How one library reads its command lines.
struct Syntax {
    // Command words accepted in the first position.
    std::vector<std::string_view> commands;
    // true: commands are written as switches ("-x"); only a listed one counts as command.
    // false: the first unquoted token that is not a switch is the command ("x").
    bool commandIsSwitch = false;
    bool commandIgnoresCase = false;
    // Switches whose value is the following token ("-f" "archive" for the TAR syntax).
    std::vector<std::string_view> valueSwitches;
    // true: the archive and target folder come from value switches only (-f, -o).
    bool archiveFromSwitch = false;
};

struct ParsedCommand {
    std::string command;               // empty when the line has none
    std::vector<std::string> switches; // as written, quotes removed: "-n1", "--i", "-w/tmp/"
    std::vector<std::pair<std::string, std::string>> values; // value switch, its value
    std::string archive;                                     // '/' separators
    std::string targetDir;          // '/' separators, ends in '/', empty when none
    std::vector<std::string> files; // masks and names, '/' separators; "@path" = response file
};

// Reads a command line by the library's syntax. Pure: touches no file. Returns nothing when
// the line names no archive.
std::optional<ParsedCommand> parseCommandLine(std::string_view line, const Syntax &syntax);

// Backslashes read as '/' (paths on this platform use '/').
std::string toSlashes(std::string_view path);

bool hasSwitch(const ParsedCommand &cmd, std::string_view sw);
// The rest of the first switch that starts with `prefix`, if any ("-jx*.txt" -> "*.txt").
std::optional<std::string> switchValue(const ParsedCommand &cmd, std::string_view prefix);
// Every switch that starts with `prefix`, rest of each.
std::vector<std::string> switchValues(const ParsedCommand &cmd, std::string_view prefix);
std::optional<std::string> valueOf(const ParsedCommand &cmd, std::string_view valueSwitch);

// The names of a response file: one name per line, a line in double quotes may hold
// blanks; CR LF or LF line ends; empty lines ignored. Pure.
std::vector<std::string> parseResponseFile(std::string_view content);

} // namespace archivers
