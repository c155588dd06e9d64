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
    "Das Programmfenster konnte nicht ge\xF6"
    "ffnet werden.";

// Install.
constexpr char kBackupDone[] = "Es wurde erfolgreich ein Backup erstellt!";
constexpr char kInstalled[] = "minecraft.jar wurde erfolgreich installiert!";
constexpr char kBackupFailed[] = "Das Backup konnte nicht erstellt werden.";
constexpr char kNothingChanged[] =
    "Es wurde nichts ver\xE4ndert. Sie k\xF6nnen es erneut versuchen.";
constexpr char kInstallFailed[] = "minecraft.jar konnte nicht installiert werden.";
constexpr char kClientJarUnchanged[] = "Die bisherige minecraft.jar ist unver\xE4ndert.";
constexpr char kBackupLocation[] = "Das Backup liegt hier:";

// Restoring a backup (system menu of the main window, window 1).
constexpr char kMenuRestore[] = "Backup &wiederherstellen...";
constexpr char kRestoreTitle[] = "Backup wiederherstellen";
constexpr char kButtonRestore[] = "Wiederherstellen";
constexpr char kButtonCancel[] = "Abbrechen";
constexpr char kNoBackup[] = "Im Backup-Ordner liegt noch kein Backup.";
constexpr char kRestoredBefore[] = "Das Backup vom ";
constexpr char kRestoredAfter[] = " wurde wiederhergestellt!";
constexpr char kPreviousJarBackedUp[] = "Die bisherige minecraft.jar liegt jetzt als Backup hier:";
constexpr char kRestoreFailed[] = "Das Backup konnte nicht wiederhergestellt werden.";

// The versions layout: a jar installed as a version of its own, with a launcher profile.
constexpr char kVersionIdSuffix[] = "-pelmora";
constexpr char kProfileKeyPrefix[] = "pelmora-";
constexpr char kProfileNameSuffix[] = " (" PELMORA_PRODUCT_NAME ")";
constexpr char kVersionInstalledBefore[] = "Die Jar wurde als Version \"";
constexpr char kVersionInstalledAfter[] = "\" installiert!";
constexpr char kProfileWrittenBefore[] =
    "\n\nIm Minecraft Launcher steht sie unter Installationen als \"";
constexpr char kProfileWrittenAfter[] = "\".";
constexpr char kNoProfileBefore[] =
    "\n\nLegen sie im Minecraft Launcher eine Installation mit der Version \"";
constexpr char kNoProfileAfter[] = "\" an.";
constexpr char kVersionExistsBefore[] = "Die Version ";
constexpr char kVersionExistsAfter[] = " gibt es schon.\nErsetzen?";

// Changing the game folder, opening the jar folder, jars dropped on the window.
constexpr char kMenuGameFolder[] = "&Minecraft-Ordner \xE4ndern...";
constexpr char kMenuJarFolder[] =
    "&Jar-Ordner \xF6"
    "ffnen";
constexpr char kPrefsNotWritten[] =
    "Die Einstellungsdatei \"pref.ini\" konnte nicht geschrieben werden.";
constexpr char kGameFolderKept[] = "Der bisherige Minecraft-Ordner bleibt eingestellt.";
constexpr char kTitleQuestion[] = "Frage";
constexpr char kJarExistsBefore[] = "Im Jar-Ordner liegt schon ";
constexpr char kJarExistsAfter[] = ".\nErsetzen?";
constexpr char kOneJarCopied[] = "1 Jar wurde in den Jar-Ordner kopiert.";
constexpr char kJarsCopied[] = " Jars wurden in den Jar-Ordner kopiert.";
constexpr char kNotCopied[] = "Diese Dateien wurden nicht in den Jar-Ordner kopiert:";
constexpr char kReasonFolder[] = "Das ist ein Ordner.";
constexpr char kReasonNoJarName[] = "Der Name endet nicht auf \".jar\".";
constexpr char kReasonFolderInJarFolder[] = "Im Jar-Ordner liegt ein Ordner dieses Namens.";
constexpr char kAlreadyInJarFolder[] =
    "Diese Jars liegen schon im Jar-Ordner und wurden nicht kopiert:";

// The jar check.
constexpr char kNotAValidJar[] = " ist kein g\xFCltiges Jar-Archiv.";
constexpr char kChooseAnotherJar[] = "Bitte w\xE4hlen sie eine andere Jar.";
constexpr char kReasonNotZip[] = "Die Datei ist kein Zip-Archiv.";
constexpr char kReasonDamaged[] =
    "Das Archiv ist unvollst\xE4ndig oder besch\xE4"
    "digt.";
constexpr char kReasonUnreadable[] = "Die Datei konnte nicht gelesen werden.";

// A "pref.ini" that exists but cannot be opened.
constexpr char kPrefsNotOpened[] =
    "Die Einstellungsdatei \"pref.ini\" konnte nicht ge\xF6"
    "ffnet werden.";
constexpr char kPrefsKept[] =
    "Die Datei bleibt unver\xE4ndert. Bitte schlie\xDF"
    "en sie das Programm, das sie benutzt, "
    "und starten sie Pelmora erneut.";

// Reasons of a failed file step.
constexpr char kReasonNotFound[] = "Die Datei oder der Ordner wurde nicht gefunden:";
constexpr char kReasonLocked[] =
    "Die Datei wird von einem anderen Programm benutzt (l\xE4uft Minecraft noch?):";
constexpr char kReasonInUse[] = "Die Datei wird von einem anderen Programm benutzt:";
constexpr char kReasonAccessDenied[] = "Zugriff verweigert:";
constexpr char kReasonDiskFull[] = "Der Datentr\xE4ger ist voll:";
constexpr char kReasonWriteProtected[] = "Der Datentr\xE4ger ist schreibgesch\xFCtzt:";
constexpr char kReasonIncomplete[] = "Die Kopie ist unvollst\xE4ndig geblieben:";
constexpr char kReasonNoFreeName[] = "Im Backup-Ordner ist kein freier Name mehr:";
constexpr char kReasonNotAFile[] = "Das ist keine Datei:";
constexpr char kReasonBackupFolderIsFile[] = "Der Backup-Ordner ist eine Datei, kein Ordner:";
constexpr char kReasonNotReady[] = "Das Laufwerk ist nicht bereit:";
constexpr char kReasonWriteFault[] = "Der Datentr\xE4ger konnte nicht beschrieben werden:";
constexpr char kReasonReadFault[] = "Der Datentr\xE4ger konnte nicht gelesen werden:";
constexpr char kReasonNameTaken[] = "Eine Datei dieses Namens gibt es schon:";
constexpr char kReasonInvalidName[] = "Der Name ist ung\xFCltig:";
constexpr char kReasonPathTooLong[] = "Der Pfad ist zu lang:";
constexpr char kReasonSystem[] = "Windows meldet Fehler";

// Copies of this program that a failed clean-up left behind.
constexpr char kStagingNotRemoved[] =
    "Eine Zwischenkopie konnte nicht gel\xF6scht werden und liegt noch hier:";
constexpr char kStagingLeftAtStart[] =
    "Diese Zwischenkopien eines abgebrochenen Laufs konnten nicht gel\xF6scht werden:";
// Jar mods (system menu of the main window, window 3, ".zip" files dropped on window 0).
constexpr char kMenuMods[] = "&Mods einbauen...";
constexpr char kMenuModsFolder[] =
    "M&ods-Ordner \xF6"
    "ffnen";
constexpr char kModsTitle[] = "Mods einbauen";
constexpr char kModsOrder[] =
    "Diese Mods werden in dieser Reihenfolge eingebaut; bei gleichen Dateien gilt die "
    "sp\xE4tere:";
constexpr char kButtonMerge[] = "Einbauen";
constexpr char kNoMods[] = "Im Mods-Ordner liegt noch keine Mod.";
constexpr char kOneModMerged[] = "1 Mod wurde eingebaut!";
constexpr char kModsMerged[] = " Mods wurden eingebaut!";
constexpr char kOneSharedFile[] = "\n\n1 Datei kam in mehreren Mods vor; es gilt die sp\xE4tere.";
constexpr char kSharedFiles[] =
    " Dateien kamen in mehreren Mods vor; es gilt jeweils die sp\xE4tere.";
constexpr char kModsNotMerged[] = "Die Mods konnten nicht eingebaut werden.";
constexpr char kModsNothingLeft[] =
    "Ohne META-INF und Signaturen bleibt keine Datei \xFC"
    "brig.";
constexpr char kModExistsBefore[] = "Im Mods-Ordner liegt schon ";
constexpr char kOneModCopied[] = "1 Mod wurde in den Mods-Ordner kopiert.";
constexpr char kModsCopied[] = " Mods wurden in den Mods-Ordner kopiert.";

}  // namespace texts
