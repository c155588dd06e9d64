// Parsing the file buffer in place: every entry's texts point into the buffer, terminated by zero
// bytes written over the character that ended them.
//
// A zero byte inside the file counts as a line end, like CR and LF: texts are zero-terminated,
// so a zero inside a line would otherwise cut the entry short and hide the rest of the line
// from lookups and from the text written back.
#include <cstring>

#include "prefs/prefs_file.h"
#include "runtime/runtime.h"

namespace {

enum CharClass : unsigned char { kOther = 0, kBlank = 1, kLineEnd = 2, kEquals = 4, kBracket = 8 };

struct CharTable {
  unsigned char cls[256];
  constexpr CharTable() : cls() {
    cls[static_cast<unsigned char>(' ')] = kBlank;
    cls[static_cast<unsigned char>('\t')] = kBlank;
    cls[static_cast<unsigned char>('\r')] = kLineEnd;
    cls[static_cast<unsigned char>('\n')] = kLineEnd;
    cls[0] = kLineEnd;
    cls[static_cast<unsigned char>('=')] = kEquals;
    cls[static_cast<unsigned char>(']')] = kBracket;
  }
};
constexpr CharTable kChars;

inline unsigned char cls(const char* p) { return kChars.cls[static_cast<unsigned char>(*p)]; }

// Every scan below stops at a zero byte at the latest, and the buffer ends with two of them, so
// no scan needs a bounds check of its own.
inline char* skip_blanks(char* p) {
  while (cls(p) == kBlank) ++p;
  return p;
}
inline char* find_line_end(char* p) {
  while (cls(p) != kLineEnd) ++p;
  return p;
}
inline char* find_any(char* p, unsigned char stop) {
  while (!(cls(p) & (kLineEnd | stop))) ++p;
  return p;
}

class Parser {
 public:
  explicit Parser(PreferenceFile& f) : f_(f) {}

  // False when memory ran out before the end; the entries parsed so far are kept.
  bool run() {
    char* p = f_.buffer;
    char* end = f_.buffer_end;
    while (p < end) {
      p = skip_blanks(p);
      if (cls(p) == kLineEnd) {
        p = skip_line_ends(p, end);
        continue;
      }
      if (*p == ';') {
        p = comment(p + 1);
      } else if (*p == '[') {
        p = group(p + 1);
      } else {
        p = key_line(p);
      }
      if (!p) return false;
      p = skip_line_ends(p, end);
    }
    return true;
  }

 private:
  // Past the run of CR, LF and zero bytes at p, without leaving the contents.
  static char* skip_line_ends(char* p, char* end) {
    while (p < end && cls(p) == kLineEnd) ++p;
    return p;
  }

  // Each returns the character that ended the entry's text (now a zero), or nullptr.
  char* comment(char* p) {
    if (*p == ' ') ++p;
    char* e = find_line_end(p);
    if (!append(EntryKind::comment, nullptr, p)) return nullptr;
    return terminate(e);
  }

  char* group(char* p) {
    char* e = find_any(p, kBracket);
    if (!append(EntryKind::group, nullptr, p)) return nullptr;
    if (*e == ']') {
      *e = 0;
      e = find_line_end(e + 1);  // text after "]" is ignored
    }
    return terminate(e);
  }

  char* key_line(char* p) {
    char* e = find_any(p, kEquals);
    char* key_end = e;
    while (key_end > p && cls(key_end - 1) == kBlank) --key_end;
    if (*e != '=') {
      // No "=": a key with an empty value (its trailing blanks dropped like those before "=").
      char* eol = terminate(e);
      *key_end = 0;
      return append(EntryKind::key, p, e) ? eol : nullptr;
    }
    char* value = skip_blanks(e + 1);
    char* eol = find_line_end(value);
    *key_end = 0;
    if (!append(EntryKind::key, p, value)) return nullptr;
    return terminate(eol);
  }

  // A line end becomes the text's terminator; a zero byte (the buffer end included) already is.
  static char* terminate(char* e) {
    *e = 0;
    return e;
  }

  bool append(EntryKind kind, char* key, char* text) {
    PreferenceEntry* entry = entry_new(f_, kind, key, text);
    if (!entry) return false;
    entry->prev = f_.last_entry;
    if (f_.last_entry) {
      f_.last_entry->next = entry;
    } else {
      f_.entries = entry;
    }
    f_.last_entry = entry;
    return true;
  }

  PreferenceFile& f_;
};

}  // namespace

namespace {

// Parses the first `size` bytes of the file's buffer (a block of at least size + 2 bytes) in
// place. The encoding must be set before.
void parse_buffer(PreferenceFile& f, char* buffer, size_t size) {
  f.buffer = buffer;
  f.buffer_end = buffer + size;
  f.buffer_end[0] = 0;
  f.buffer_end[1] = 0;
  // A list that misses part of the file must never be written back over it.
  if (!Parser(f).run()) f.read_only = 1;
}

}  // namespace

void file_load(PreferenceFile& f, uint64_t size, const FileReader& reader) {
  if (size >= 0xFFFFFFFEu) {
    f.read_only = 1;
    return;
  }
  auto n = static_cast<size_t>(size);
  if (n >= 3) {
    char bom[3];
    if (reader.read(reader.context, bom, 3) == 3 && std::memcmp(bom, "\xEF\xBB\xBF", 3) == 0) {
      f.encoding = kEncodingUtf8;
      n -= 3;
    } else if (!reader.rewind(reader.context)) {
      f.read_only = 1;
      return;
    }
  }
  if (n == 0) return;
  char* buffer = buffer_take(f, n + 2);
  if (!buffer) {
    f.read_only = 1;
    return;
  }
  size_t got = reader.read(reader.context, buffer, n);
  if (got < n) f.read_only = 1;
  parse_buffer(f, buffer, got);
}

namespace {

struct MemoryReader {
  const char* data;
  size_t size;
  size_t position;

  static size_t read(void* context, char* out, size_t size) {
    auto* m = static_cast<MemoryReader*>(context);
    size_t n = m->size - m->position < size ? m->size - m->position : size;
    std::memcpy(out, m->data + m->position, n);
    m->position += n;
    return n;
  }
  static bool rewind(void* context) {
    static_cast<MemoryReader*>(context)->position = 0;
    return true;
  }
};

}  // namespace

bool file_load_text(PreferenceFile& f, const char* data, size_t size) {
  MemoryReader memory{data, size, 0};
  file_load(f, size, FileReader{&MemoryReader::read, &MemoryReader::rewind, &memory});
  // Memory is the only thing that can fail here.
  return f.read_only == 0;
}
