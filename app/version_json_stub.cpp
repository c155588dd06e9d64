// Temporary stand-in for the JSON module until its implementation is merged.
#include <algorithm>

#include "app/version_json.h"

namespace {

struct Member {
  std::string key;
  size_t key_begin, value_begin, value_end;
};

struct Scanner {
  std::string_view s;
  size_t i = 0;
  void ws() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
  }
  bool string(std::string* out) {
    if (i >= s.size() || s[i] != '"') return false;
    ++i;
    while (i < s.size() && s[i] != '"') {
      if (s[i] == '\\') {
        if (++i >= s.size()) return false;
        if (out) out->push_back(s[i] == 'n' ? '\n' : s[i]);
      } else if (out) {
        out->push_back(s[i]);
      }
      ++i;
    }
    if (i >= s.size()) return false;
    ++i;
    return true;
  }
  bool value() {
    ws();
    if (i >= s.size()) return false;
    if (s[i] == '"') return string(nullptr);
    if (s[i] == '{' || s[i] == '[') {
      const char close = s[i] == '{' ? '}' : ']';
      const bool object = s[i] == '{';
      ++i;
      ws();
      if (i < s.size() && s[i] == close) return ++i, true;
      for (;;) {
        ws();
        if (object) {
          if (!string(nullptr)) return false;
          ws();
          if (i >= s.size() || s[i++] != ':') return false;
        }
        if (!value()) return false;
        ws();
        if (i >= s.size()) return false;
        if (s[i] == ',') {
          ++i;
          continue;
        }
        if (s[i] == close) return ++i, true;
        return false;
      }
    }
    const size_t start = i;
    while (i < s.size() && (isalnum(static_cast<unsigned char>(s[i])) || s[i] == '-' ||
                            s[i] == '+' || s[i] == '.'))
      ++i;
    return i > start;
  }
  // Members of the object starting at i.
  bool members(std::vector<Member>* out, size_t* close) {
    ws();
    if (i >= s.size() || s[i] != '{') return false;
    ++i;
    ws();
    if (i < s.size() && s[i] == '}') return *close = i++, true;
    for (;;) {
      ws();
      Member m;
      m.key_begin = i;
      if (!string(&m.key)) return false;
      ws();
      if (i >= s.size() || s[i++] != ':') return false;
      ws();
      m.value_begin = i;
      if (!value()) return false;
      m.value_end = i;
      out->push_back(m);
      ws();
      if (i >= s.size()) return false;
      if (s[i] == ',') {
        ++i;
        continue;
      }
      if (s[i] == '}') return *close = i++, true;
      return false;
    }
  }
};

size_t skip_bom(std::string_view s) { return s.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0; }

bool top_members(std::string_view bytes, std::vector<Member>* out, size_t* close) {
  Scanner sc{bytes, skip_bom(bytes)};
  if (!sc.members(out, close)) return false;
  sc.ws();
  return sc.i == bytes.size();
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

const Member* find(const std::vector<Member>& ms, const char* key) {
  for (const Member& m : ms)
    if (m.key == key) return &m;
  return nullptr;
}

}  // namespace

VersionJsonInfo read_version_json(std::string_view bytes) {
  VersionJsonInfo info;
  std::vector<Member> ms;
  size_t close = 0;
  if (!top_members(bytes, &ms, &close)) return info;
  info.object = true;
  if (const Member* id = find(ms, "id")) {
    Scanner sc{bytes, id->value_begin};
    info.has_id = sc.string(&info.id);
  }
  info.inherits = find(ms, "inheritsFrom") != nullptr;
  if (const Member* t = find(ms, "releaseTime")) {
    Scanner sc{bytes, t->value_begin};
    sc.string(&info.release_time);
  }
  return info;
}

bool make_version_json(std::string_view bytes, std::string_view new_id, std::string* out) {
  std::vector<Member> ms;
  size_t close = 0;
  if (!top_members(bytes, &ms, &close)) return false;
  const Member* id = find(ms, "id");
  if (!id || bytes[id->value_begin] != '"') return false;
  std::string text(bytes);
  // From the back, so earlier offsets stay valid.
  std::vector<std::pair<size_t, size_t>> cuts;
  std::vector<std::string> with;
  for (size_t k = 0; k < ms.size(); ++k) {
    if (ms[k].key == "downloads") {
      size_t from = ms[k].key_begin, to = ms[k].value_end;
      if (k + 1 < ms.size()) to = ms[k + 1].key_begin;
      else if (k > 0) from = ms[k - 1].value_end;
      cuts.push_back({from, to});
      with.push_back("");
    } else if (&ms[k] == id) {
      cuts.push_back({id->value_begin, id->value_end});
      with.push_back(quoted(new_id));
    }
  }
  for (size_t k = cuts.size(); k-- > 0;)
    text.replace(cuts[k].first, cuts[k].second - cuts[k].first, with[k]);
  *out = text;
  return true;
}

bool add_launcher_profile(std::string_view bytes, const LauncherProfile& p, std::string* out) {
  std::vector<Member> ms;
  size_t close = 0;
  if (!top_members(bytes, &ms, &close)) return false;
  const Member* profiles = find(ms, "profiles");
  if (!profiles || bytes[profiles->value_begin] != '{') return false;
  Scanner sc{bytes, profiles->value_begin};
  std::vector<Member> inner;
  size_t inner_close = 0;
  if (!sc.members(&inner, &inner_close)) return false;
  const std::string value = "{\"name\": " + quoted(p.name) +
                            ", \"type\": \"custom\", \"lastVersionId\": " + quoted(p.version_id) +
                            ", \"created\": " + quoted(p.time) + ", \"lastUsed\": " +
                            quoted(p.time) + ", \"icon\": \"Grass\"}";
  std::string text(bytes);
  if (const Member* old = find(inner, p.key.c_str())) {
    text.replace(old->value_begin, old->value_end - old->value_begin, value);
  } else {
    text.insert(inner_close, std::string(inner.empty() ? "" : ",") + quoted(p.key) + ": " + value);
  }
  *out = text;
  return true;
}

bool json_well_formed(std::string_view bytes) {
  Scanner sc{bytes, skip_bom(bytes)};
  if (!sc.value()) return false;
  sc.ws();
  return sc.i == bytes.size();
}

std::string utf8_from_cp1252(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string cp1252_from_utf8(std::string_view text) { return std::string(text); }

void sort_base_versions(std::vector<BaseVersion>* versions) {
  std::stable_sort(versions->begin(), versions->end(),
                   [](const BaseVersion& a, const BaseVersion& b) {
                     if (a.release_time.empty() != b.release_time.empty())
                       return b.release_time.empty();
                     if (a.release_time != b.release_time) return a.release_time > b.release_time;
                     return a.id < b.id;
                   });
}
