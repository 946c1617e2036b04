#include "ArgumentRules.h"

#include <filesystem>
#include <system_error>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t SkipBlanks(const std::string& text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

// The quoted first token starting at pos (on the opening quote): its text
// runs to the next double quote, or to the end of the line when none closes it.
TLeadingProgram QuotedToken(const std::string& line, std::size_t pos) {
    const std::size_t close = line.find('"', pos + 1);
    TLeadingProgram result;
    if (close == std::string::npos) {
        result.Token = line.substr(pos + 1);
        result.Rest = line.size();
    } else {
        result.Token = line.substr(pos + 1, close - pos - 1);
        result.Rest = close + 1;
    }
    result.File = result.Token;
    return result;
}

std::string Resolve(const std::string& name, const std::string& baseFolder) {
    if (name.empty() || name.front() == '/' || baseFolder.empty()) return name;
    return baseFolder + name;
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;  // a quote alone starts an (empty) argument
    bool quoted = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            std::size_t run = 0;
            while (i < text.size() && text[i] == '\\') {
                ++run;
                ++i;
            }
            inArgument = true;
            if (i < text.size() && text[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                current.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (IsBlank(c) && !quoted) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
        ++i;
    }
    if (inArgument) args.push_back(current);
    return args;
}

std::string EscapeQuotedArgument(const std::string& path) {
    std::string out;
    std::size_t backslashes = 0;
    for (const char c : path) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Each backslash before a quote needs its pair, and the quote its own.
            out.append(backslashes * 2 + 1, '\\');
            out += '"';
        } else {
            out.append(backslashes, '\\');
            out += c;
        }
        backslashes = 0;
    }
    // The closing quote follows: trailing backslashes must not escape it.
    out.append(backslashes * 2, '\\');
    return out;
}

TLeadingProgram LeadingToken(const std::string& line, const std::string& program) {
    const std::size_t start = SkipBlanks(line, 0);
    TLeadingProgram result;
    if (start < line.size() && line[start] == '"') {
        result = QuotedToken(line, start);
    } else if (!program.empty() && line.compare(start, program.size(), program) == 0 &&
               (start + program.size() == line.size() || IsBlank(line[start + program.size()]))) {
        result.Token = program;
        result.Rest = start + program.size();
    } else {
        std::size_t end = start;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        result.Token = line.substr(start, end - start);
        result.Rest = end;
    }
    result.File = program;
    return result;
}

std::optional<TLeadingProgram> FindLeadingProgram(const std::string& line,
                                                  const std::string& baseFolder) {
    const std::size_t start = SkipBlanks(line, 0);
    if (start >= line.size()) return std::nullopt;
    if (line[start] == '"') {
        TLeadingProgram result = QuotedToken(line, start);
        result.File = Resolve(result.Token, baseFolder);
        if (!IsExecutableFile(result.File)) return std::nullopt;
        return result;
    }
    // Each prefix that ends before a blank, shortest first, then the whole line.
    std::size_t end = start;
    while (true) {
        while (end < line.size() && !IsBlank(line[end])) ++end;
        const std::string candidate = line.substr(start, end - start);
        const std::string file = Resolve(candidate, baseFolder);
        if (IsExecutableFile(file)) {
            TLeadingProgram result;
            result.Token = candidate;
            result.File = file;
            result.Rest = end;
            return result;
        }
        if (end >= line.size()) return std::nullopt;
        ++end;  // past the blank: the next prefix takes it in
    }
}

bool IsExecutableFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) return false;
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return (status.permissions() & exec) != fs::perms::none;
}
