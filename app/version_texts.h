// The German texts of the versions layout's windows and failures (installing a jar as a launcher
// version of its own), as Windows-1252 bytes written with escapes like app/texts.h; the texts of
// a successful install and the question are in app/texts.h.
#pragma once

namespace texts {

// Main window in the versions layout.
constexpr char kTextVersionsFolder[] = "(.minecraft\\versions)";

// Window 2, "Version w\xE4hlen".
constexpr char kVersionWindowTitle[] = "Version w\xE4hlen";
constexpr char kVersionForBefore[] = "F\xFCr welche Minecraft-Version ist ";
constexpr char kVersionForAfter[] = "?";
constexpr char kButtonInstall[] = "Installieren";
// Window 2 when the mods are built into a version "<base>-mods".
constexpr char kModsVersionFor[] = "F\xFCr welche Minecraft-Version sind die Mods?";
constexpr char kOneModVersionFor[] = "F\xFCr welche Minecraft-Version ist die Mod?";
constexpr char kModsVersionSuffix[] = "-mods";

// Installing.
constexpr char kVersionFailedBefore[] = "Die Jar konnte nicht als Version \"";
constexpr char kVersionFailedAfter[] = "\" installiert werden.";
constexpr char kReasonNoVersionJson[] =
    "Die Datei ist keine lesbare Versionsbeschreibung (JSON-Objekt mit \"id\"):";
constexpr char kReasonNoFreeVersion[] = "Im Ordner versions ist kein freier Name mehr:";

// Restoring a version's backup.
constexpr char kFormerBefore[] = "Die bisherige ";
constexpr char kFormerKeptAfter[] = " liegt jetzt als Backup hier:";
constexpr char kFormerUnchangedAfter[] = " ist unver\xE4ndert.";

}  // namespace texts
