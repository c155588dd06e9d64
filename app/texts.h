// The program's user texts, German, as Windows-1252 bytes: umlauts are written as escapes
// ("\xE4" is a-umlaut) so that the source stays ASCII whatever editor touches it. The build
// rejects any byte of 0x80 or more in the app sources (check_ascii.cmake).
#pragma once

#include "app/identity.h"

namespace texts {

// Main window.
constexpr char kWindowTitle[] = PELMORA_PRODUCT_NAME " v" PELMORA_VERSION_TEXT;
constexpr char kFrameJar[] = "JAR ausw\xE4hlen";
constexpr char kFrameOptions[] = "Weitere Optionen";
constexpr char kButtonActivate[] = "Aktivieren";
constexpr char kButtonConfirm[] = "Jar ausw\xE4hlen";
constexpr char kCheckBackup[] = "Backup Minecraft Jar";
constexpr char kTextBackupFolder[] = "(.minecraft\\bin\\backup)";
constexpr char kButtonAbout[] = "About";
constexpr char kButtonMoreJars[] = "Mehr Jars";
constexpr char kNoJarFound[] = "Keine JAR gefunden!";

// Message titles.
constexpr char kTitleInfo[] = "Info";
constexpr char kTitleError[] = "Fehler!";
constexpr char kTitleAbout[] = "About " PELMORA_PRODUCT_NAME;

// Start-up.
constexpr char kChooseGameFolder[] = "Bitte w\xE4hlen sie ihren .minecraft Ordner!";
constexpr char kInitialFolder[] = "%appdata%";
constexpr char kGameJarMissingShort[] = "Minecraft Jar nicht gefunden!";
constexpr char kGameJarMissing[] =
    "Minecraft Jar nicht gefunden!\nBitte starten sie Minecraft einmal damit das Programm "
    "funktioniert!";
constexpr char kAbout[] =
    "Version: " PELMORA_VERSION_TEXT " | Programmierer: " PELMORA_AUTHOR " | Jahr: " PELMORA_YEAR
    " | Monat: " PELMORA_MONTH " | Website: " PELMORA_WEB_HOST;
constexpr char kPrefsNotCreatable[] =
    "Die Einstellungsdatei \"pref.ini\" konnte nicht erstellt werden.\n"
    "Bitte starten sie das Programm aus einem Ordner, in dem es schreiben darf.";
constexpr char kWindowNotOpened[] =
    "Das Programmfenster konnte nicht ge\xF6" "ffnet werden.";

// Install.
constexpr char kBackupDone[] = "Es wurde erfolgreich ein Backup erstellt!";
constexpr char kInstalled[] = "minecraft.jar wurde erfolgreich installiert!";
constexpr char kBackupFailed[] = "Das Backup konnte nicht erstellt werden.";
constexpr char kNothingChanged[] =
    "Es wurde nichts ver\xE4ndert. Sie k\xF6nnen es erneut versuchen.";
constexpr char kInstallFailed[] = "minecraft.jar konnte nicht installiert werden.";
constexpr char kClientJarUnchanged[] = "Die bisherige minecraft.jar ist unver\xE4ndert.";
constexpr char kBackupLocation[] = "Das Backup liegt hier:";

// Reasons of a failed file step.
constexpr char kReasonNotFound[] = "Die Datei oder der Ordner wurde nicht gefunden:";
constexpr char kReasonLocked[] =
    "Die Datei wird von einem anderen Programm benutzt (l\xE4uft Minecraft noch?):";
constexpr char kReasonAccessDenied[] = "Zugriff verweigert:";
constexpr char kReasonDiskFull[] = "Der Datentr\xE4ger ist voll:";
constexpr char kReasonWriteProtected[] = "Der Datentr\xE4ger ist schreibgesch\xFCtzt:";
constexpr char kReasonIncomplete[] = "Die Kopie ist unvollst\xE4ndig geblieben:";
constexpr char kReasonNoFreeName[] = "Im Backup-Ordner ist kein freier Name mehr:";
constexpr char kReasonNotAFile[] = "Das ist keine Datei:";
constexpr char kReasonSystem[] = "Windows meldet Fehler";

}  // namespace texts
