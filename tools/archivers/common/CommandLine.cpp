#include "CommandLine.h"

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
    return t.text.size() > 1 && t.text[0] == '-';
}

bool contains(const std::vector<std::string_view> &list, std::string_view s, bool ignoreCase)
{
    return std::any_of(list.begin(), list.end(), [&](std::string_view e) {
        return ignoreCase ? equalsIgnoringCase(e, s) : e == s;
    });
}

std::string asDirectory(std::string_view path)
{
    std::string dir = toSlashes(path);
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');
    return dir;
}

bool endsWithSeparator(std::string_view s)
{
    return !s.empty() && (s.back() == '\\' || s.back() == '/');
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
        Token token;
        bool inQuotes = false;
        for (; i < line.size() && (inQuotes || !isBlank(line[i])); ++i) {
            if (line[i] == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
            } else {
                token.text.push_back(line[i]);
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::string toSlashes(std::string_view path)
{
    std::string s(path);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
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
            cmd.targetDir = asDirectory(*o);
    } else {
        if (next < operands.size())
            cmd.archive = toSlashes(operands[next++].text);
        // The target folder always ends in a separator; without one the operand is a name.
        if (next < operands.size() && endsWithSeparator(operands[next].text))
            cmd.targetDir = asDirectory(operands[next++].text);
    }
    if (cmd.archive.empty())
        return std::nullopt;
    for (; next < operands.size(); ++next) {
        if (!operands[next].text.empty())
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

std::vector<std::string> parseResponseFile(std::string_view content)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = content.substr(start, end - start);
        while (!line.empty() && isBlank(line.back()))
            line.remove_suffix(1);
        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        if (line.find('"') != std::string_view::npos) {
            for (Token &t : tokenize(line)) {
                if (!t.text.empty())
                    names.push_back(toSlashes(t.text));
            }
        } else if (!line.empty()) {
            names.push_back(toSlashes(line));
        }
        start = end + 1;
    }
    return names;
}

} // namespace archivers
