#include "tools/archivers/common/CommandLine.h"

#include <algorithm>

namespace archivers
{
namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool isSwitch(const Token &t)
{
    return t.exposed && t.text.size() > 1 && t.text[0] == '-';
}

bool isResponseFile(const Token &t)
{
    return t.exposed && t.text.size() > 1 && t.text[0] == '@';
}

bool contains(const std::vector<std::string_view> &list, std::string_view s, bool ignoreCase)
{
    return std::any_of(list.begin(), list.end(), [&](std::string_view e) {
        return ignoreCase ? equalsIgnoringCase(e, s) : e == s;
    });
}

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isTrailByte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

} // namespace

bool isValidUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t more = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1, min = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, min = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= s.size())
            return false;
        for (size_t k = 1; k <= more; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (t & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

namespace
{

// Byte length of the character at i: two for a Shift-JIS double-byte character in text that
// is not UTF-8, else one.
size_t charLength(std::string_view s, size_t i, bool shiftJis)
{
    if (shiftJis && i + 1 < s.size() && isLeadByte(static_cast<unsigned char>(s[i])) &&
        isTrailByte(static_cast<unsigned char>(s[i + 1])))
        return 2;
    return 1;
}

// Reads one token starting at a non-blank byte; stops before the first blank outside quotes.
Token readToken(std::string_view line, size_t &i)
{
    Token token;
    const size_t start = i;
    bool inQuotes = false;
    while (i < line.size()) {
        if (line[i] == '"') {
            size_t run = 0;
            while (i < line.size() && line[i] == '"')
                ++run, ++i;
            token.text.append(run / 3, '"');
            if (run % 3 == 1)
                inQuotes = !inQuotes;
            token.quoted = true;
            continue;
        }
        if (!inQuotes && isBlank(line[i]))
            break;
        if (token.text.empty())
            token.exposed = i == start || (i == start + 1 && line[start] == '"');
        token.text.push_back(line[i++]);
    }
    return token;
}

// Whether the last character is a single-byte '\\' or '/'.
bool endsWithSeparator(std::string_view s)
{
    if (s.empty())
        return false;
    const bool shiftJis = !isValidUtf8(s);
    size_t last = 0;
    for (size_t i = 0; i < s.size(); i += charLength(s, i, shiftJis))
        last = i;
    return last == s.size() - 1 && (s[last] == '\\' || s[last] == '/');
}

} // namespace

std::vector<Token> tokenize(std::string_view line)
{
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        tokens.push_back(readToken(line, i));
    }
    return tokens;
}

std::string toSlashes(std::string_view path)
{
    const bool shiftJis = !isValidUtf8(path);
    std::string s;
    s.reserve(path.size());
    for (size_t i = 0; i < path.size();) {
        const size_t length = charLength(path, i, shiftJis);
        if (length == 1 && path[i] == '\\')
            s.push_back('/');
        else
            s.append(path.substr(i, length));
        i += length;
    }
    return s;
}

std::string folderOperand(std::string_view operand)
{
    if (endsWithSeparator(operand))
        operand.remove_suffix(1);
    std::string dir = toSlashes(operand);
    if (dir.empty() || dir.back() != '/')
        dir.push_back('/');
    return dir;
}

std::optional<ParsedCommand> parseCommandLine(std::string_view line, const Syntax &syntax)
{
    const std::vector<Token> tokens = tokenize(line);
    ParsedCommand cmd;
    size_t i = 0;
    if (i < tokens.size() && !tokens[i].quoted) {
        const Token &first = tokens[i];
        if (syntax.commandIsSwitch
                ? contains(syntax.commands, first.text, syntax.commandIgnoresCase)
                : !isSwitch(first)) {
            cmd.command = first.text;
            ++i;
        }
    }
    std::vector<Token> operands;
    bool switchesEnded = false;
    for (; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (!switchesEnded && t.text == "--" && !t.quoted) {
            switchesEnded = true;
        } else if (!switchesEnded && isSwitch(t)) {
            if (contains(syntax.valueSwitches, t.text, false) && i + 1 < tokens.size()) {
                cmd.values.emplace_back(t.text, tokens[i + 1].text);
                ++i;
            } else {
                cmd.switches.push_back(t.text);
            }
        } else {
            operands.push_back(t);
        }
    }

    size_t next = 0;
    if (syntax.archiveFromSwitch) {
        if (auto f = valueOf(cmd, "-f"))
            cmd.archive = toSlashes(*f);
        else if (next < operands.size())
            cmd.archive = toSlashes(operands[next++].text);
        if (auto o = valueOf(cmd, "-o"); o && !o->empty())
            cmd.targetDir = folderOperand(*o);
    } else {
        if (next < operands.size())
            cmd.archive = toSlashes(operands[next++].text);
        // The target folder always ends in a separator; without one the operand is a name.
        if (next < operands.size() && endsWithSeparator(operands[next].text))
            cmd.targetDir = folderOperand(operands[next++].text);
    }
    if (cmd.archive.empty())
        return std::nullopt;
    for (; next < operands.size(); ++next) {
        if (operands[next].text.empty())
            continue;
        if (isResponseFile(operands[next]))
            cmd.responseFiles.push_back(cmd.files.size());
        cmd.files.push_back(toSlashes(operands[next].text));
    }
    return cmd;
}

bool hasSwitch(const ParsedCommand &cmd, std::string_view sw)
{
    return std::find(cmd.switches.begin(), cmd.switches.end(), sw) != cmd.switches.end();
}

std::optional<std::string> switchValue(const ParsedCommand &cmd, std::string_view prefix)
{
    for (const std::string &s : cmd.switches) {
        if (s.size() >= prefix.size() && std::string_view(s).substr(0, prefix.size()) == prefix)
            return s.substr(prefix.size());
    }
    return std::nullopt;
}

std::vector<std::string> switchValues(const ParsedCommand &cmd, std::string_view prefix)
{
    std::vector<std::string> values;
    for (const std::string &s : cmd.switches) {
        if (s.size() > prefix.size() && std::string_view(s).substr(0, prefix.size()) == prefix)
            values.push_back(s.substr(prefix.size()));
    }
    return values;
}

std::optional<std::string> valueOf(const ParsedCommand &cmd, std::string_view valueSwitch)
{
    for (const auto &[sw, value] : cmd.values) {
        if (sw == valueSwitch)
            return value;
    }
    return std::nullopt;
}

std::optional<int> digitsAfter(std::string_view sw, std::string_view prefix, size_t maxDigits)
{
    if (sw.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view digits = sw.substr(prefix.size());
    if (digits.empty() || digits.size() > maxDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

std::optional<int> switchNumber(const ParsedCommand &cmd, std::string_view prefix, size_t maxDigits)
{
    const std::optional<std::string> rest = switchValue(cmd, prefix);
    if (!rest)
        return std::nullopt;
    return digitsAfter(*rest, {}, maxDigits);
}

std::vector<std::string> parseResponseFile(std::string_view content)
{
    std::vector<std::string> names;
    size_t i = 0;
    while (i < content.size()) {
        size_t end = content.find('\n', i);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = content.substr(i, end - i);
        if (line.find('"') == std::string_view::npos) {
            while (!line.empty() && isBlank(line.back()))
                line.remove_suffix(1);
            while (!line.empty() && isBlank(line.front()))
                line.remove_prefix(1);
            if (!line.empty())
                names.push_back(toSlashes(line));
            i = end + 1;
            continue;
        }
        // Names as on a command line, up to the first line end outside quotes.
        while (i < content.size() && content[i] != '\n') {
            if (isBlank(content[i])) {
                ++i;
                continue;
            }
            const Token t = readToken(content, i);
            if (!t.text.empty())
                names.push_back(toSlashes(t.text));
        }
        ++i;
    }
    return names;
}

} // namespace archivers
