#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace archivers
{

// One piece of a command line, read by the quoting rule of ArchiverApi.h: blanks outside
// double quotes end it; a run of n quotes stands for n / 3 literal quotes and switches quoting
// on and off n % 3 times. `quoted` tells whether any quote took part. `exposed` tells whether
// its first character stands first on the line (-n1) or right after one opening quote
// ("-jox y"): only such a '-' starts a switch and only such an '@' a response file, so an
// operand written as ""-"name" is a name whatever it begins with.
struct Token {
    std::string text;
    bool quoted = false;
    bool exposed = false;
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
    std::vector<std::string> files; // masks and names, '/' separators
    // Indexes into `files` of the operands that name response files ("@path", '@' kept). A
    // name that merely begins with '@' is not among them.
    std::vector<size_t> responseFiles;
};

// Reads a command line by the library's syntax. Pure: touches no file. Returns nothing when
// the line names no archive.
std::optional<ParsedCommand> parseCommandLine(std::string_view line, const Syntax &syntax);

// Whether the bytes are UTF-8 text (else this platform reads them as Shift-JIS).
bool isValidUtf8(std::string_view s);

// Backslashes read as '/' (paths on this platform use '/'). In text that is not valid UTF-8
// (Shift-JIS), a backslash that is the second byte of a double-byte character is part of
// that character and stays.
std::string toSlashes(std::string_view path);

// A target folder operand: its last character, a '\' or '/', marks it as a folder (a
// Shift-JIS character whose second byte is 0x5C is none); the rest is read with toSlashes,
// and ends in one '/' ("C:\out\" and "/out/\" read "C:/out/" and "/out/").
std::string folderOperand(std::string_view operand);

bool hasSwitch(const ParsedCommand &cmd, std::string_view sw);
// The rest of the first switch that starts with `prefix`, if any ("-jx*.txt" -> "*.txt").
std::optional<std::string> switchValue(const ParsedCommand &cmd, std::string_view prefix);
// Every switch that starts with `prefix`, rest of each.
std::vector<std::string> switchValues(const ParsedCommand &cmd, std::string_view prefix);
std::optional<std::string> valueOf(const ParsedCommand &cmd, std::string_view valueSwitch);
// The number after `prefix` in one switch: 1 to `maxDigits` decimal digits ("-r1" with "-r"
// reads 1); nothing when the switch does not start with the prefix or its rest is no such
// number.
std::optional<int> digitsAfter(std::string_view sw, std::string_view prefix, size_t maxDigits);
// digitsAfter on the first switch that starts with `prefix` ("-o5", "-l9").
std::optional<int> switchNumber(const ParsedCommand &cmd, std::string_view prefix,
                                size_t maxDigits);

// The names of a response file. A line without a double quote is one name (blanks at its
// ends dropped); a line with one holds names written as on the command line, and a quoted
// name may go on over the line's end. CR LF or LF line ends; empty lines ignored. Every token
// is a name (nothing in it is a switch or another response file). Pure.
std::vector<std::string> parseResponseFile(std::string_view content);

} // namespace archivers
