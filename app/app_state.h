// The application's variables, shared by its windows and steps.
#pragma once

#include <cstdint>
#include <string>

#include "app/paths.h"

struct AppState {
  std::string backup_date_part;  // start-up date, "%dd_%mm_%yyyy_"
  std::string backup_time_part;  // start-up time, "%hh_%ii_%ss"
  std::string game_folder;       // ".minecraft" of group "Minecraft" in "pref.ini"
  JarNames jar_names;            // the jar folder's "*.jar" entries in listing order
  int32_t jar_index = 0;
  int32_t last_event = 0;
  int32_t quit_requested = 0;
  std::string backup_path;  // the backup made in this run for game_folder ("" while none)
  bool confirmed = false;   // "Jar ausw\xE4hlen" has locked a jar in
  bool installed = false;   // a jar was installed in this run
  // No client jar, but base versions in "versions\" (see app/versions.h).
  bool versions_layout = false;
};
