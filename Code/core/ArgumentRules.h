// How a command line is cut into a program and its arguments, without a
// shell. The encoder's line is composed as one text; these rules give the
// encoder exactly the arguments the text stands for, and give the line's
// builder the escaping that keeps any path intact.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Splits text into arguments: blanks and tabs separate; double quotes
// group (and "" gives an empty argument); 2n backslashes before a double
// quote give n backslashes and the quote opens or closes a group; 2n+1
// give n backslashes and a literal double quote; other backslashes are
// literal.
std::vector<std::string> SplitArguments(const std::string& text);

// The text to place between two double quotes so that SplitArguments gives
// exactly path back: backslashes before a double quote and at the end are
// doubled, and each double quote is escaped.
std::string EscapeQuotedArgument(const std::string& path);

// The program a line starts with, and where its arguments begin.
struct TLeadingProgram {
    std::string Token;     // the first token as written (without its quotes)
    std::string File;      // the file to start
    std::size_t Rest = 0;  // offset in the line where the arguments begin
};

// The first token of a line whose program the caller knows: the quoted
// text when the line starts with a double quote, otherwise program itself
// when the line starts with it (blanks included), otherwise the text up to
// the first blank. File is program.
TLeadingProgram LeadingToken(const std::string& line, const std::string& program);

// Finds the program of a line whose program is not known. A quoted first
// token names the file as it stands; an unquoted one is tried prefix by
// prefix, each ending before a blank, shortest first, then the whole line,
// until one names a regular file with an execute bit. A relative name is
// looked for in baseFolder (with its trailing "/"). Nothing when no
// candidate is such a file.
std::optional<TLeadingProgram> FindLeadingProgram(const std::string& line,
                                                  const std::string& baseFolder);

// True when path names a regular file (links followed) with at least one
// execute bit set.
bool IsExecutableFile(const std::string& path);
