// The main window's place and size and its nine gadgets (there is no gadget 4): one table that
// the program builds the window from and the tests check it against. Platform-free.
#pragma once

#include <cstdint>

#include "app/texts.h"

namespace main_layout {

constexpr intptr_t kFrameJar = 0;
constexpr intptr_t kFrameOptions = 1;
constexpr intptr_t kButtonActivate = 2;
constexpr intptr_t kListJars = 3;
constexpr intptr_t kButtonConfirm = 5;
constexpr intptr_t kCheckBackup = 6;
constexpr intptr_t kTextBackup = 7;
constexpr intptr_t kButtonAbout = 8;
constexpr intptr_t kButtonMoreJars = 9;

// Screen position of the window and the size of its client area.
struct WindowPlace {
  int x, y, width, height;
};
constexpr WindowPlace kWindow = {337, 189, 257, 266};

enum class Kind { frame, button, listbox, checkbox, text };

// One gadget in creation order; x and y are in the window's client area. The list has no text.
struct Gadget {
  intptr_t number;
  Kind kind;
  int x, y, width, height;
  const char* text;
  uint32_t flags;
};

constexpr Gadget kGadgets[] = {
    {kFrameJar, Kind::frame, 10, 10, 240, 90, texts::kFrameJar, 0},
    {kFrameOptions, Kind::frame, 10, 100, 240, 50, texts::kFrameOptions, 0},
    {kButtonActivate, Kind::button, 10, 190, 240, 40, texts::kButtonActivate, 0},
    {kListJars, Kind::listbox, 20, 30, 220, 20, nullptr, 0},
    {kButtonConfirm, Kind::button, 20, 70, 220, 20, texts::kButtonConfirm, 0},
    {kCheckBackup, Kind::checkbox, 20, 120, 120, 10, texts::kCheckBackup, 1},
    {kTextBackup, Kind::text, 40, 130, 170, 20, texts::kTextBackupFolder, 0},
    {kButtonAbout, Kind::button, 80, 160, 100, 20, texts::kButtonAbout, 0},
    {kButtonMoreJars, Kind::button, 10, 240, 240, 20, texts::kButtonMoreJars, 0},
};

}  // namespace main_layout
