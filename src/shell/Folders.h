#pragma once

// The folders, the per-user settings key and the maker's details that start-up computes once
// and keeps for the whole run.

#include <string>
#include <vector>

namespace corvel {

/// The path separator ends folder paths on this platform.
inline constexpr char kPathDelimiter = '/';

/// `path` ending in the path separator; an empty path stays empty.
std::string WithTrailingBackslash(const std::string& path);

/// The full path of the running program.
std::string RunningProgramPath();

/// "Software\Kestrone\" followed by the file name of `programPath` without folder and extension;
/// the running program's path when `programPath` is empty.
std::string SettingsKeyName(const std::string& programPath = {});

/// The user's desktop folder with a trailing separator; empty when there is none.
std::string DesktopFolder();
/// The system's configuration folder "/etc" (the counterpart of the Windows folder).
std::string WindowsFolder();
/// The system's library folder "/usr/lib" (the counterpart of the System folder).
std::string SystemFolder();
/// "/opt/", where add-on programs are installed (the counterpart of Program Files).
std::string ProgramFilesFolder();
/// "/usr/share/", data shared by programs (the counterpart of Program Files\Common Files).
std::string CommonFilesFolder();
/// The user's documents folder, without a trailing separator. Throws Exception "Could not find
/// My Documents folder location." when there is none: without a home folder (HOME unset, empty
/// or not an absolute path) no documents folder can be told.
std::string MyDocumentsFolder();

/// True for a copy of the program installed under an install prefix: one in `<prefix>/bin/`
/// beside `<prefix>/share/corvel`, or one in the install folder the build was configured with.
/// Such a copy keeps nothing beside itself; a build tree or a portable copy may.
bool ProgramIsInstalled(const std::string& programFolder);

/// `myDocuments`/Kestrone/`programName`/, created with its parents when absent; `programFolder`
/// when it cannot be created (an installed copy passes the folder itself instead, so that it
/// never falls back to writing beside the program).
std::string MakeUserDataFolder(const std::string& myDocuments, const std::string& programName,
                               const std::string& programFolder);

/// `programFilesFolder` + "Kestrone/", unless `programFolder` lies inside a folder of the maker
/// ("Kestrone Software" or else "Kestrone", found without regard to case): then the part of
/// `programFolder` in front of that name followed by "Kestrone/".
std::string MakerFolderFor(const std::string& programFolder, const std::string& programFilesFolder);

/// The maker's details, read from the per-user key "Software\Kestrone" (never written).
struct MakerDetails {
    std::string company, description, logo, addr1, addr2, code, country, email, web, tel, fax, user;
};
MakerDetails ReadMakerDetails(const std::string& commonFilesFolder);

/// One of the maker's other programs.
struct SiblingProgram {
    std::string path;
    std::string title;
};
std::vector<SiblingProgram> SiblingProgramList(const std::string& makerFolder,
                                               const std::string& programFilesFolder);

/// The values start-up sets. Before start-up has run, the program's folder, name and settings
/// key are already those of the running program.
struct ShellValues {
    ShellValues();

    std::string ProgramFolder;
    /// The program is an installed copy (ProgramIsInstalled).
    bool ProgramInstalled = false;
    std::string ProgramName;
    std::string SettingsKeyName;
    std::string DesktopFolder;
    std::string WindowsFolder;
    std::string SystemFolder;
    std::string ProgramFilesFolder;
    std::string CommonFilesFolder;
    std::string MyDocumentsFolder;
    std::string UserDataFolder;
    std::string MakerFolder;
    std::string SharedDataFolder;
    MakerDetails Maker;
    std::vector<SiblingProgram> SiblingPrograms;
    /// Show the about box at start-up ("Settings" / "SplashScreen").
    bool ShowAtStartup = false;
};

/// The process-wide values.
ShellValues& Shell();

/// Computes every folder in start-up order. Throws Exception when the documents folder cannot
/// be had.
void InitFolders(ShellValues& values);

} // namespace corvel
