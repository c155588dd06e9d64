// The launcher's JSON files: jsmn tokenizes, a walk over its tokens checks the grammar that
// jsmn leaves open (separators, numbers, literals, escapes, UTF-8), and edits splice the
// original bytes between token boundaries.
#include "app/version_json.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// jsmn is header-only; this is the one file that holds its code. Parent links make a closing
// bracket cost the depth, not the count of tokens before it. The lax mode lets a lone number
// stand as a whole document; the walk below checks every primitive itself.
#define JSMN_STATIC
#define JSMN_PARENT_LINKS
#include "jsmn.h"

namespace {

constexpr size_t kMaxBytes = 16u << 20;  // larger files are no launcher file
constexpr size_t kMaxTokens = 2u << 20;  // about 48 MiB of tokens and links at most
constexpr int kMaxDepth = 256;           // the launcher's files nest about eight deep

bool is_ws(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the well-formed UTF-8 sequence at s[i] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), 0 when there is none. Sets *code to its code point.
size_t utf8_sequence(std::string_view s, size_t i, uint32_t* code) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  if (b < 0x80) {
    *code = b;
    return 1;
  }
  size_t length;
  uint32_t c, min;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, c = b & 0x1F, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, c = b & 0x0F, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, c = b & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *code = c;
  return length;
}

void append_utf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The body of a JSON string (between its quotes): printable, well-formed UTF-8, valid escapes.
bool string_body_valid(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x20) return false;
    if (b == '\\') {
      if (i + 1 >= s.size()) return false;
      const char e = s[i + 1];
      if (e == 'u') {
        if (s.size() - i < 6) return false;
        for (size_t k = 2; k < 6; ++k) {
          if (hex_value(s[i + k]) < 0) return false;
        }
        i += 6;
      } else if (std::strchr("\"\\/bfnrt", e) != nullptr && e != '\0') {
        i += 2;
      } else {
        return false;
      }
      continue;
    }
    uint32_t code;
    const size_t n = utf8_sequence(s, i, &code);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

uint32_t hex4(std::string_view s) {
  uint32_t v = 0;
  for (size_t k = 0; k < 4; ++k) v = v * 16 + static_cast<uint32_t>(hex_value(s[k]));
  return v;
}

// The UTF-8 text of a valid string body; a lone surrogate escape becomes U+FFFD.
std::string decode_string_body(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '\\') {
      out.push_back(s[i++]);
      continue;
    }
    const char e = s[i + 1];
    if (e != 'u') {
      static const char kFrom[] = "\"\\/bfnrt";
      static const char kTo[] = "\"\\/\b\f\n\r\t";
      out.push_back(kTo[std::strchr(kFrom, e) - kFrom]);
      i += 2;
      continue;
    }
    uint32_t c = hex4(s.substr(i + 2));
    i += 6;
    if (c >= 0xD800 && c <= 0xDBFF && s.size() - i >= 6 && s[i] == '\\' && s[i + 1] == 'u') {
      const uint32_t low = hex4(s.substr(i + 2));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 6;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    append_utf8(c, &out);
  }
  return out;
}

// RFC 8259 numbers and the three literals.
bool primitive_valid(std::string_view p) {
  if (p == "true" || p == "false" || p == "null") return true;
  size_t i = 0;
  const auto digits = [&]() {
    const size_t from = i;
    while (i < p.size() && is_digit(p[i])) ++i;
    return i > from;
  };
  if (i < p.size() && p[i] == '-') ++i;
  if (i < p.size() && p[i] == '0') {
    ++i;
  } else if (!digits()) {
    return false;
  }
  if (i < p.size() && p[i] == '.') {
    ++i;
    if (!digits()) return false;
  }
  if (i < p.size() && (p[i] == 'e' || p[i] == 'E')) {
    ++i;
    if (i < p.size() && (p[i] == '+' || p[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == p.size();
}

// The deepest nesting of brackets outside strings, counted before jsmn runs: jsmn's closing
// bracket walks up the open ones, so very deep input would cost the square of its depth.
bool depth_within_limit(std::string_view s) {
  int depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      if (++depth > kMaxDepth) return false;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return true;
}

// A tokenized, checked document. Token i's subtree ends before token after[i]. Offsets in the
// tokens count from the start of text, which follows a byte-order mark when there is one.
struct Document {
  std::string_view text;
  size_t bom = 0;
  std::vector<jsmntok_t> tokens;
  std::vector<int> after;
};

// Walks jsmn's tokens in document order and checks that the bytes around and between them are
// exactly what the JSON grammar allows.
class GrammarWalk {
 public:
  explicit GrammarWalk(Document* doc) : doc_(*doc), s_(doc->text) {}

  bool run() {
    doc_.after.assign(doc_.tokens.size(), 0);
    if (!value(0)) return false;
    skip_ws();
    return pos_ == s_.size() && next_ == doc_.tokens.size();
  }

 private:
  void skip_ws() {
    while (pos_ < s_.size() && is_ws(s_[pos_])) ++pos_;
  }
  bool at(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
  bool next_is(jsmntype_t type) const {
    return next_ < doc_.tokens.size() && doc_.tokens[next_].type == type;
  }

  bool value(int depth) {
    skip_ws();
    if (next_ >= doc_.tokens.size()) return false;
    const size_t index = next_++;
    const jsmntok_t& t = doc_.tokens[index];
    const size_t start = static_cast<size_t>(t.start), end = static_cast<size_t>(t.end);
    bool ok = false;
    switch (t.type) {
      case JSMN_STRING:
        ok = at('"') && start == pos_ + 1 && end < s_.size() && s_[end] == '"' &&
             string_body_valid(s_.substr(start, end - start));
        pos_ = end + 1;
        break;
      case JSMN_PRIMITIVE:
        ok = start == pos_ && primitive_valid(s_.substr(start, end - start));
        pos_ = end;
        break;
      case JSMN_OBJECT:
      case JSMN_ARRAY:
        ok = start == pos_ && depth < kMaxDepth && container(t.type == JSMN_OBJECT, depth) &&
             end == pos_;
        break;
      default:
        break;
    }
    doc_.after[index] = static_cast<int>(next_);
    return ok;
  }

  // At the opening bracket; on success just past the closing one.
  bool container(bool object, int depth) {
    const char close = object ? '}' : ']';
    ++pos_;
    skip_ws();
    if (!at(close)) {
      for (;;) {
        if (object) {
          skip_ws();
          if (!next_is(JSMN_STRING) || !value(depth + 1)) return false;
          skip_ws();
          if (!at(':')) return false;
          ++pos_;
        }
        if (!value(depth + 1)) return false;
        skip_ws();
        if (!at(',')) break;
        ++pos_;
      }
    }
    if (!at(close)) return false;
    ++pos_;
    return true;
  }

  Document& doc_;
  std::string_view s_;
  size_t pos_ = 0;
  size_t next_ = 0;
};

bool parse(std::string_view bytes, Document* doc) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") doc->bom = 3;
  doc->text = bytes.substr(doc->bom);
  if (doc->text.size() > kMaxBytes || !depth_within_limit(doc->text)) return false;
  jsmn_parser parser;
  jsmn_init(&parser);
  const int count = jsmn_parse(&parser, doc->text.data(), doc->text.size(), nullptr, 0);
  if (count <= 0 || static_cast<size_t>(count) > kMaxTokens) return false;
  doc->tokens.resize(static_cast<size_t>(count));
  jsmn_init(&parser);
  const int used = jsmn_parse(&parser, doc->text.data(), doc->text.size(), doc->tokens.data(),
                              static_cast<unsigned>(count));
  if (used <= 0) return false;
  doc->tokens.resize(static_cast<size_t>(used));
  return GrammarWalk(doc).run();
}

// One member of an object: the indices of its key and value tokens.
struct Member {
  int key;
  int value;
};

std::vector<Member> members(const Document& doc, int object) {
  std::vector<Member> list;
  for (int k = object + 1; k < doc.after[object]; k = doc.after[k + 1]) list.push_back({k, k + 1});
  return list;
}

std::string_view token_text(const Document& doc, int i) {
  const jsmntok_t& t = doc.tokens[i];
  return doc.text.substr(t.start, t.end - t.start);
}

std::string decoded(const Document& doc, int string_token) {
  return decode_string_body(token_text(doc, string_token));
}

// The members of `object` named `name` (compared after decoding escapes).
std::vector<Member> named(const Document& doc, int object, std::string_view name) {
  std::vector<Member> found;
  for (const Member& m : members(doc, object)) {
    if (decoded(doc, m.key) == name) found.push_back(m);
  }
  return found;
}

// Where a token's bytes begin and end, quotes included.
size_t token_begin(const Document& doc, int i) {
  const jsmntok_t& t = doc.tokens[i];
  return static_cast<size_t>(t.start) - (t.type == JSMN_STRING ? 1 : 0);
}
size_t token_end(const Document& doc, int i) {
  const jsmntok_t& t = doc.tokens[i];
  return static_cast<size_t>(t.end) + (t.type == JSMN_STRING ? 1 : 0);
}

// Replacement of the bytes [begin, end) of the document's text.
struct Edit {
  size_t begin;
  size_t end;
  std::string text;
};

// The original bytes (byte-order mark included) with the edits applied; they must not overlap.
std::string spliced(const Document& doc, std::string_view bytes, std::vector<Edit> edits) {
  std::sort(edits.begin(), edits.end(),
            [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
  std::string out(bytes.substr(0, doc.bom));
  size_t pos = 0;
  for (const Edit& e : edits) {
    out.append(doc.text.substr(pos, e.begin - pos));
    out += e.text;
    pos = e.end;
  }
  out.append(doc.text.substr(pos));
  return out;
}

// The edits that remove the chosen members of an object with their separating commas: a member
// followed by another goes up to that one's key; a run of removed members at the end goes from
// the end of the last member kept (or the first key, when none is kept).
std::vector<Edit> removals(const Document& doc, const std::vector<Member>& list,
                           const std::vector<bool>& remove) {
  std::vector<Edit> edits;
  size_t tail = list.size();
  while (tail > 0 && remove[tail - 1]) --tail;
  for (size_t i = 0; i < tail; ++i) {
    if (remove[i]) {
      edits.push_back({token_begin(doc, list[i].key), token_begin(doc, list[i + 1].key), ""});
    }
  }
  if (tail < list.size()) {
    const size_t from =
        tail == 0 ? token_begin(doc, list[0].key) : token_end(doc, list[tail - 1].value);
    edits.push_back({from, token_end(doc, list.back().value), ""});
  }
  return edits;
}

}  // namespace

namespace {

// UTF-8 text as a JSON string: quotes, backslashes and control characters escaped, every byte
// that starts no well-formed UTF-8 sequence written as U+FFFD.
std::string json_quote(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    uint32_t code;
    const size_t n = utf8_sequence(text, i, &code);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\t') {
      out += "\\t";
    } else if (b < 0x20) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  out += '"';
  return out;
}

// The whitespace and colon that an object's members are written with.
struct Layout {
  std::string open;   // after "{" and after each ","
  std::string colon;  // between a key and its value
  std::string close;  // before "}"
};

bool nonempty_object(const Document& doc, int i) {
  return doc.tokens[i].type == JSMN_OBJECT && doc.after[i] > i + 1;
}

// The layout of a non-empty object, read from its first and last members.
Layout layout_of(const Document& doc, int object) {
  const std::vector<Member> list = members(doc, object);
  const size_t first_key = token_begin(doc, list.front().key);
  const size_t first_value = token_begin(doc, list.front().value);
  const size_t key_end = token_end(doc, list.front().key);
  const size_t last_end = token_end(doc, list.back().value);
  const size_t close = token_end(doc, object) - 1;
  const size_t open = token_begin(doc, object) + 1;
  return {std::string(doc.text.substr(open, first_key - open)),
          std::string(doc.text.substr(key_end, first_value - key_end)),
          std::string(doc.text.substr(last_end, close - last_end))};
}

std::string object_text(const std::vector<std::pair<const char*, std::string>>& fields,
                        const Layout& layout) {
  std::string out = "{";
  for (size_t i = 0; i < fields.size(); ++i) {
    out += i == 0 ? layout.open : "," + layout.open;
    out += json_quote(fields[i].first) + layout.colon + json_quote(fields[i].second);
  }
  return out + layout.close + "}";
}

std::string profile_text(const LauncherProfile& p, const Layout& layout) {
  return object_text({{"name", p.name},
                      {"type", "custom"},
                      {"lastVersionId", p.version_id},
                      {"created", p.time},
                      {"lastUsed", p.time},
                      {"icon", "Grass"}},
                     layout);
}

// The whitespace right before byte `at`.
std::string whitespace_before(std::string_view text, size_t at) {
  size_t from = at;
  while (from > 0 && is_ws(text[from - 1])) --from;
  return std::string(text.substr(from, at - from));
}

bool top_object(std::string_view bytes, Document* doc) {
  return parse(bytes, doc) && doc->tokens[0].type == JSMN_OBJECT;
}

// The one member `name` of `object` with a value of the given type, or -1 for its value.
int single_value(const Document& doc, int object, std::string_view name, jsmntype_t type) {
  const std::vector<Member> found = named(doc, object, name);
  if (found.size() != 1 || doc.tokens[found[0].value].type != type) return -1;
  return found[0].value;
}

}  // namespace

VersionJsonInfo read_version_json(std::string_view bytes) {
  VersionJsonInfo info;
  Document doc;
  if (!top_object(bytes, &doc)) return info;
  info.object = true;
  const int id = single_value(doc, 0, "id", JSMN_STRING);
  if (id >= 0) {
    info.has_id = true;
    info.id = decoded(doc, id);
  }
  info.inherits = !named(doc, 0, "inheritsFrom").empty();
  const int time = single_value(doc, 0, "releaseTime", JSMN_STRING);
  if (time >= 0) info.release_time = decoded(doc, time);
  return info;
}

bool make_version_json(std::string_view bytes, std::string_view new_id, std::string* out) {
  Document doc;
  if (!top_object(bytes, &doc)) return false;
  const int id = single_value(doc, 0, "id", JSMN_STRING);
  if (id < 0) return false;
  const std::vector<Member> list = members(doc, 0);
  std::vector<bool> remove(list.size());
  for (size_t i = 0; i < list.size(); ++i) remove[i] = decoded(doc, list[i].key) == "downloads";
  std::vector<Edit> edits = removals(doc, list, remove);
  edits.push_back({token_begin(doc, id), token_end(doc, id), json_quote(new_id)});
  std::string result = spliced(doc, bytes, std::move(edits));
  if (!json_well_formed(result)) return false;
  *out = std::move(result);
  return true;
}

bool add_launcher_profile(std::string_view bytes, const LauncherProfile& profile,
                          std::string* out) {
  Document doc;
  if (!top_object(bytes, &doc)) return false;
  const int profiles = single_value(doc, 0, "profiles", JSMN_OBJECT);
  if (profiles < 0) return false;
  const std::vector<Member> list = members(doc, profiles);
  const std::vector<Member> same = named(doc, profiles, profile.key);
  // The new member takes the layout of the profile it replaces, else of the last profile.
  Layout layout{"", ":", ""};
  const int model = !same.empty() ? same.front().value : list.empty() ? -1 : list.back().value;
  if (model >= 0 && nonempty_object(doc, model)) layout = layout_of(doc, model);
  const std::string value = profile_text(profile, layout);

  std::vector<Edit> edits;
  for (const Member& m : same)
    edits.push_back({token_begin(doc, m.value), token_end(doc, m.value), value});
  if (same.empty() && list.empty()) {
    const size_t at = token_begin(doc, profiles) + 1;
    edits.push_back({at, at, json_quote(profile.key) + layout.colon + value});
  } else if (same.empty()) {
    const Member& last = list.back();
    const size_t key = token_begin(doc, last.key), key_end = token_end(doc, last.key);
    const std::string colon(doc.text.substr(key_end, token_begin(doc, last.value) - key_end));
    const size_t at = token_end(doc, last.value);
    edits.push_back(
        {at, at, "," + whitespace_before(doc.text, key) + json_quote(profile.key) + colon + value});
  }
  std::string result = spliced(doc, bytes, std::move(edits));
  if (!json_well_formed(result)) return false;
  *out = std::move(result);
  return true;
}

bool json_well_formed(std::string_view bytes) {
  Document doc;
  return parse(bytes, &doc);
}

namespace {

// Windows-1252 0x80-0x9F. The five bytes Windows-1252 leaves free stand for the C1 controls of
// the same number, as Windows converts them.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char cp1252_char(uint32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string utf8_from_cp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    append_utf8(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b, &out);
  }
  return out;
}

std::string cp1252_from_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t code;
    const size_t n = utf8_sequence(text, i, &code);
    out.push_back(n == 0 ? '?' : cp1252_char(code));
    i += n == 0 ? 1 : n;
  }
  return out;
}

namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int days_in_month(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads `count` digits at s[*i] into *value.
bool read_digits(std::string_view s, size_t* i, int count, int* value) {
  if (s.size() - *i < static_cast<size_t>(count)) return false;
  *value = 0;
  for (int k = 0; k < count; ++k, ++*i) {
    if (!is_digit(s[*i])) return false;
    *value = *value * 10 + (s[*i] - '0');
  }
  return true;
}

bool read_char(std::string_view s, size_t* i, const char* allowed) {
  if (*i >= s.size() || std::strchr(allowed, s[*i]) == nullptr) return false;
  ++*i;
  return true;
}

// An ISO 8601 date and time, "2011-07-07T22:00:00+00:00", "2024-06-13T08:24:03Z" or with a
// fraction of a second, as seconds since 1970-01-01 UTC and nanoseconds. Without an offset it
// is read as UTC.
bool iso_time(std::string_view s, int64_t* seconds, int64_t* nanos) {
  size_t i = 0;
  int y, mo, d, h, mi, se;
  if (!read_digits(s, &i, 4, &y) || !read_char(s, &i, "-") || !read_digits(s, &i, 2, &mo) ||
      !read_char(s, &i, "-") || !read_digits(s, &i, 2, &d) || !read_char(s, &i, "Tt ") ||
      !read_digits(s, &i, 2, &h) || !read_char(s, &i, ":") || !read_digits(s, &i, 2, &mi) ||
      !read_char(s, &i, ":") || !read_digits(s, &i, 2, &se)) {
    return false;
  }
  if (mo < 1 || mo > 12 || d < 1 || d > days_in_month(y, mo) || h > 23 || mi > 59 || se > 60) {
    return false;
  }
  int64_t fraction = 0;
  if (read_char(s, &i, ".,")) {
    int64_t scale = 100000000;
    const size_t from = i;
    for (; i < s.size() && is_digit(s[i]); ++i, scale /= 10) fraction += (s[i] - '0') * scale;
    if (i == from) return false;
  }
  int offset = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    const int sign = s[i++] == '-' ? -1 : 1;
    int oh, om = 0;
    if (!read_digits(s, &i, 2, &oh)) return false;
    if (i < s.size()) {
      read_char(s, &i, ":");
      if (!read_digits(s, &i, 2, &om)) return false;
    }
    if (oh > 23 || om > 59) return false;
    offset = sign * (oh * 60 + om) * 60;
  } else if (i < s.size() && !read_char(s, &i, "Zz")) {
    return false;
  }
  if (i != s.size()) return false;
  *seconds = days_from_civil(y, mo, d) * 86400 + h * 3600 + mi * 60 + se - offset;
  *nanos = fraction;
  return true;
}

}  // namespace

void sort_base_versions(std::vector<BaseVersion>* versions) {
  struct Keyed {
    bool dated;
    int64_t seconds;
    int64_t nanos;
    BaseVersion version;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(versions->size());
  for (BaseVersion& v : *versions) {
    int64_t seconds = 0, nanos = 0;
    const bool dated = iso_time(v.release_time, &seconds, &nanos);
    keyed.push_back({dated, seconds, nanos, std::move(v)});
  }
  // The ids are folder names and so differ: the order is total and needs no stable sort.
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.dated != b.dated) return a.dated;
    if (a.dated && a.seconds != b.seconds) return a.seconds > b.seconds;
    if (a.dated && a.nanos != b.nanos) return a.nanos > b.nanos;
    return a.version.id < b.version.id;
  });
  versions->clear();
  for (Keyed& k : keyed) versions->push_back(std::move(k.version));
}
