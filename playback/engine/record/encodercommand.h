// Encoder command lines: split into words as a POSIX shell splits quoted words, without
// running a shell, and the program word resolved against the program folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zengine {

// Splits `line` into words. Blanks (space, tab, newline) separate words outside quotes.
// '...' keeps everything literally; "..." keeps everything but a backslash before
// " \ $ ` (which yields that character); outside quotes a backslash keeps the next
// character. Nothing is expanded ($, *, ~ stay literal). Adjacent quoted and unquoted
// parts make one word; "" is an empty word. nullopt for an unterminated quote or a
// trailing backslash.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line);

// The program path to run for the first word of a command line: an absolute path stays
// as it is; any other (encoder/lame, lame) is taken relative to `programFolder`. No
// PATH search: only the programs the program folder holds run.
std::string ResolveProgram(const std::string& word, const std::string& programFolder);

// `text` made safe between double quotes of a command line: " and \ get a backslash.
std::string EscapeForDoubleQuotes(const std::string& text);

}  // namespace zengine
