// The German texts of the versions layout (installing a jar as a launcher version of its own),
// as Windows-1252 bytes written with escapes like app/texts.h.
#pragma once

namespace texts {

// Main window in the versions layout.
constexpr char kTextVersionsFolder[] = "(.minecraft\\versions)";

// Window 2, "Version w\xE4hlen".
constexpr char kVersionWindowTitle[] = "Version w\xE4hlen";
constexpr char kVersionForBefore[] = "F\xFCr welche Minecraft-Version ist ";
constexpr char kVersionForAfter[] = "?";
constexpr char kButtonInstall[] = "Installieren";

// Installing.
constexpr char kVersionExistsBefore[] = "Die Version ";
constexpr char kVersionExistsAfter[] = " gibt es schon.\nErsetzen?";
constexpr char kVersionInstalledBefore[] = "Die Jar wurde als Version \"";
constexpr char kVersionInstalledAfter[] = "\" installiert!";
constexpr char kProfileWrittenBefore[] =
    "\n\nIm Minecraft Launcher steht sie unter Installationen als \"";
constexpr char kProfileWrittenAfter[] = " (Pelmora)\".";
constexpr char kProfileMissingBefore[] =
    "\n\nLegen sie im Minecraft Launcher eine Installation mit der Version \"";
constexpr char kProfileMissingAfter[] = "\" an.";
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
