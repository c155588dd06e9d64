// The versions layout's names and texts: the ids a jar is installed under, the launcher profile
// that names it, the time text of the launcher's files and the German texts. Platform-free.
#pragma once

#include <string>

#include "app/paths.h"
#include "app/version_json.h"

// Whether a version json read from versions\<folder>\<folder>.json makes that folder a base
// version (its jar and pelmora.ini aside): a JSON object whose one "id" is the folder's name
// (Windows-1252, compared in UTF-8) and that has no "inheritsFrom".
bool is_base_version_json(const VersionJsonInfo& info, const std::string& folder);

// The id candidates for a jar `<stem>.jar`, in the order they are tried: attempt 0 gives
// "<stem>", 1 "<stem>-pelmora", n >= 2 "<stem>-pelmora-n".
std::string version_id_candidate(const std::string& stem, int attempt);
// The jar name without its ".jar" ending (any case); a name without it stays whole.
std::string jar_stem(const std::string& jar_name);

// "2026-12-07T18:05:09.000Z" for the fields of a UTC time.
std::string iso_utc_text(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);

// The profile for version `id` (Windows-1252, as shown and as the folder is named): key
// "pelmora-<id>", name "<id> (Pelmora)", both edits' text in UTF-8; `time` as iso_utc_text gives.
LauncherProfile pelmora_profile(const std::string& id, const std::string& time);

// The "Info" text after an install as version `id`, with the profile's sentence when a launcher
// profile was written, else with the request to make an installation.
std::string version_installed_text(const std::string& id, bool profile_written);
// The "Frage" before a version Pelmora made is replaced.
std::string version_exists_question(const std::string& id);
// A version's backup in the restore list: "<id>: 24.12.2012 18:05:09", " (2)" for a numbered one.
std::string version_backup_shown_text(const std::string& id, const BackupName& backup);
