// Window 2, where a base version is chosen, and the steps of the versions layout that the main
// window, window 1 and window 3 reach through it (version_window_win.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/app_state.h"
#include "app/versions.h"

#ifdef _WIN32
// In the versions layout, sets check box 6 (unticked) and text 7 for it, both disabled; true
// then. False, changing nothing, in any other layout.
bool show_versions_state(const AppState& app);
// "Aktivieren" in the versions layout: window 2 and the install of the chosen jar as a version.
void install_as_version(AppState& app);
// Installs `source` as a version made from `base`, with the id rules and the question before a
// version of Pelmora's is replaced, and tells the outcome: on success "Info" with info_before
// (when not empty, then a blank line) and the version text, and the main window's gadgets as
// after a classic install. True when it was installed.
bool install_source_as_version(AppState& app, const std::string& base, const VersionSource& source,
                               const std::string& info_before);
// Window 2 over window `owner`, which is disabled meanwhile: the base versions with `text` above
// them, `preselected` chosen (or the only base). `install` is called with the chosen base and
// tells whether window 2 is done. False, after the "Fehler!" box, when there is no base.
bool choose_base_version(AppState& app, intptr_t owner, const std::string& text,
                         const std::string& preselected,
                         const std::function<bool(const std::string&)>& install);
// "Backup wiederherstellen..." in the versions layout: the backups of Pelmora's versions.
void restore_version_dialog(AppState& app);
#endif
