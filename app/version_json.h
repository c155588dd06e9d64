// The launcher's JSON files, read and edited as bytes: a version's "<id>.json" and
// "launcher_profiles.json". Platform-free.
//
// Edits splice the original bytes: everything outside the changed members stays byte for byte,
// so a file the launcher wrote keeps its layout, order and escapes. Input is UTF-8 with or
// without a byte-order mark; written text is UTF-8 (quotes, backslashes and control characters
// escaped). Member names are compared after decoding their escapes. A document of more than
// 16 MiB, more than about two million values or nesting deeper than 256 counts as not
// well-formed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the version list needs of a version json.
struct VersionJsonInfo {
  bool object = false;       // the file is one well-formed JSON object
  std::string id;            // the top-level "id" (decoded UTF-8), "" when missing or no string
  bool has_id = false;       // exactly one top-level "id" exists, and it is a string
  bool inherits = false;     // a top-level "inheritsFrom" member exists
  std::string release_time;  // the top-level "releaseTime" string (decoded), "" when missing
};
VersionJsonInfo read_version_json(std::string_view bytes);

// A copy of a base version's json for the new id: the value of the top-level "id" replaced by
// new_id (UTF-8, escaped as JSON needs) and the top-level member "downloads" removed with its
// separating comma (every one, when the name is repeated). False (out untouched) when bytes is
// not a well-formed object with exactly one "id", a string.
bool make_version_json(std::string_view bytes, std::string_view new_id, std::string* out);

// The launcher profile Pelmora writes for a version.
struct LauncherProfile {
  std::string key;         // member name in "profiles", e.g. "pelmora-<id>" (UTF-8)
  std::string name;        // "<id> (Pelmora)" (UTF-8)
  std::string version_id;  // "<id>" (UTF-8)
  std::string time;        // "2026-12-07T18:05:09.000Z", for "created" and "lastUsed"
};
// launcher_profiles.json with the member `key` of its top-level object "profiles" added, or
// replaced when present. The new member is written in the layout of the profile it replaces or
// else of the last profile (indentation, spaces around the colon); without one, compactly.
// False (out untouched) when bytes is not a well-formed object with exactly one "profiles", an
// object.
bool add_launcher_profile(std::string_view bytes, const LauncherProfile& profile, std::string* out);

// True when bytes is one well-formed JSON value (an optional byte-order mark and whitespace
// around it).
bool json_well_formed(std::string_view bytes);

// Windows-1252 text (the program's window texts and file names) to UTF-8 and back. The five
// bytes Windows-1252 leaves free (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for U+0081 ... as in
// Windows' own conversion. Characters without a Windows-1252 form and bytes that are no UTF-8
// become '?' on the way back.
std::string utf8_from_cp1252(std::string_view text);
std::string cp1252_from_utf8(std::string_view text);

// Base version ids ordered for the list: newest "releaseTime" first (ISO 8601 date and time
// with "Z", an offset such as "+00:00" or "-0000", or none for UTC; compared as times, equal
// times by name), then the ids without a readable time, by name (bytewise).
struct BaseVersion {
  std::string id;            // as shown and as the folder is named (Windows-1252)
  std::string release_time;  // the json's "releaseTime", "" when missing
};
void sort_base_versions(std::vector<BaseVersion>* versions);
