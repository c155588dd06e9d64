#include "process/command_line.h"

#include <cstring>

namespace process_text {

std::string command_line(const char* program, const char* parameters) {
  const char* p = program != nullptr ? program : "";
  std::string line;
  if (*p == '"') {
    line = p;
  } else {
    line.reserve(std::strlen(p) + 2);
    line += '"';
    line += p;
    line += '"';
  }
  if (parameters != nullptr && *parameters != '\0') {
    line += ' ';
    line += parameters;
  }
  return line;
}

std::string document_folder(const char* program) {
  if (program == nullptr) return std::string();
  const char* last = std::strrchr(program, '\\');
  if (last == nullptr || last == program) return std::string();
  return std::string(program, static_cast<size_t>(last - program) + 1);
}

}  // namespace process_text
