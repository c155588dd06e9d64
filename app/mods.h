// Jar mods: the mods folder's order and the texts of a merge. Platform-free apart from the
// window (mods_window_win.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/jar_merge.h"

// The mods among the file names of the mods folder ("*.jar" and "*.zip", any case), in name
// order without regard to case, so that "01 ..." comes before "02 ...".
std::vector<std::string> mod_order(const std::vector<std::string>& names);

// The "Info" message after `mods` mods were built in, `shared` file names of which more than one
// mod had.
std::string mods_merged_text(size_t mods, size_t shared);

// The "Fehler!" message of a merge that failed; mods are the mods' names in order, base the base
// jar's path: the client jar, or with into_version a base version's jar (the message then ends
// like a failed install as a version).
std::string merge_failure_text(const JarMerge& merge, const std::vector<std::string>& mods,
                               const std::string& base, bool into_version = false);
