// Platform-free pieces of starting a program.
#pragma once

#include <string>

namespace process_text {

// The command line: the program text in double quotes (unchanged when it already starts with
// one), then one space and the parameters when there are any. Null texts count as "".
std::string command_line(const char* program, const char* parameters);

// The folder that the shell opens a document in when the caller gave none: the text up to and
// including its last "\" when that comes after the first character, else "".
std::string document_folder(const char* program);

}  // namespace process_text
