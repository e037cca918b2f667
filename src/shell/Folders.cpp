#include "shell/Folders.h"

#include "platform/Errors.h"
#include "platform/RegIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

namespace corvel {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string programNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string standardFolder(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location).toStdString();
}

} // namespace

std::string WithTrailingBackslash(const std::string& path) {
    if (path.empty() || path.back() == kPathDelimiter)
        return path;
    return path + kPathDelimiter;
}

std::string RunningProgramPath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return path.string();
    // without /proc the application object knows the path, once it exists
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath().toStdString()
                                        : std::string();
}

std::string SettingsKeyName(const std::string& programPath) {
    return "Software\\Kestrone\\" +
           programNameOf(programPath.empty() ? RunningProgramPath() : programPath);
}

std::string DesktopFolder() {
    return WithTrailingBackslash(standardFolder(QStandardPaths::DesktopLocation));
}

std::string WindowsFolder() {
    return "/etc";
}

std::string SystemFolder() {
    return "/usr/lib";
}

std::string ProgramFilesFolder() {
    return "/opt/";
}

std::string CommonFilesFolder() {
    return "/usr/share/";
}

std::string MyDocumentsFolder() {
    // Without HOME the standard locations answer with folders under the root folder.
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        throw Exception("Could not find My Documents folder location.");
    std::string folder = standardFolder(QStandardPaths::DocumentsLocation);
    while (folder.size() > 1 && folder.back() == kPathDelimiter)
        folder.pop_back();
    if (folder.empty())
        throw Exception("Could not find My Documents folder location.");
    return folder;
}

bool ProgramIsInstalled(const std::string& programFolder) {
    if (programFolder.empty())
        return false;
    std::error_code error;
    const std::filesystem::path folder(programFolder);
    if (std::filesystem::is_directory(folder / ".." / "share" / "corvel", error))
        return true;
#ifdef CORVEL_INSTALL_BINDIR
    if (std::filesystem::equivalent(folder, CORVEL_INSTALL_BINDIR, error))
        return true;
#endif
    return false;
}

std::string MakeUserDataFolder(const std::string& myDocuments, const std::string& programName,
                               const std::string& programFolder) {
    const std::string folder = WithTrailingBackslash(myDocuments) + "Kestrone" + kPathDelimiter +
                               programName + kPathDelimiter;
    if (QDir().mkpath(QString::fromStdString(folder)))
        return folder;
    return programFolder;
}

std::string MakerFolderFor(const std::string& programFolder,
                           const std::string& programFilesFolder) {
    // Upper case only to find the name: the folder in front of it keeps its own spelling, which
    // matters on a file system that tells case apart.
    const std::string upperFolder = upper(programFolder);
    for (const char* name : {"KESTRONE SOFTWARE", "KESTRONE"}) {
        const std::size_t at = upperFolder.find(name);
        if (at != std::string::npos)
            return programFolder.substr(0, at) + "Kestrone" + kPathDelimiter;
    }
    return programFilesFolder + "Kestrone" + kPathDelimiter;
}

MakerDetails ReadMakerDetails(const std::string& commonFilesFolder) {
    TRegIniFile store("Software");
    store.BeginUpdate(); // one opening of the store for all the reads; nothing is written
    const std::string section = "Kestrone";
    MakerDetails d;
    d.company = store.ReadString(section, "company", "Kestrone");
    d.description = store.ReadString(section, "description", "Engineering calculators");
    d.logo = store.ReadString(section, "logo",
                              commonFilesFolder + "Kestrone" + kPathDelimiter + "ReportLogo.gif");
    d.addr1 = store.ReadString(section, "addr1", "Kestrone");
    d.addr2 = store.ReadString(section, "addr2", "");
    d.code = store.ReadString(section, "code", "");
    d.country = store.ReadString(section, "country", "");
    d.email = store.ReadString(section, "email", "info@kestrone.example");
    d.web = store.ReadString(section, "web", "www.kestrone.example");
    d.tel = store.ReadString(section, "tel", "");
    d.fax = store.ReadString(section, "fax", "");
    d.user = store.ReadString(section, "user", "");
    return d;
}

std::vector<SiblingProgram> SiblingProgramList(const std::string& makerFolder,
                                               const std::string& programFilesFolder) {
    const char sep = kPathDelimiter;
    return {
        {makerFolder + "Corvel" + sep + "corvel", "Corvel - Water Flow in Pipes"},
        {makerFolder + "Refrigerants" + sep + "reflib", "Refrigerant Properties"},
        {makerFolder + "Psychro" + sep + "psychro", "Moist Air Properties"},
        {makerFolder + "Liquids" + sep + "liquids", "Liquid Transport Properties"},
        {programFilesFolder + "Kestrone Tools" + sep + "unitconv", "Unit Converter"},
    };
}

ShellValues::ShellValues() {
    const std::string program = RunningProgramPath();
    ProgramFolder = folderOf(program);
    ProgramInstalled = ProgramIsInstalled(ProgramFolder);
    ProgramName = programNameOf(program);
    SettingsKeyName = corvel::SettingsKeyName(program);
}

ShellValues& Shell() {
    static ShellValues values;
    return values;
}

void InitFolders(ShellValues& v) {
    v.DesktopFolder = DesktopFolder();
    v.WindowsFolder = WindowsFolder();
    v.SystemFolder = SystemFolder();
    v.ProgramFilesFolder = ProgramFilesFolder();
    v.CommonFilesFolder = CommonFilesFolder();
    const std::string program = RunningProgramPath();
    v.ProgramName = programNameOf(program);
    v.ProgramFolder = folderOf(program);
    v.ProgramInstalled = ProgramIsInstalled(v.ProgramFolder);
    v.SettingsKeyName = SettingsKeyName(program);
    v.MyDocumentsFolder = MyDocumentsFolder();
    const std::string fallback = v.ProgramInstalled
                                     ? WithTrailingBackslash(v.MyDocumentsFolder) + "Kestrone" +
                                           kPathDelimiter + v.ProgramName + kPathDelimiter
                                     : v.ProgramFolder;
    v.UserDataFolder = MakeUserDataFolder(v.MyDocumentsFolder, v.ProgramName, fallback);
    v.MakerFolder = MakerFolderFor(v.ProgramFolder, v.ProgramFilesFolder);
    v.SharedDataFolder = v.MakerFolder + "Common Files" + kPathDelimiter;
    v.SiblingPrograms = SiblingProgramList(v.MakerFolder, v.ProgramFilesFolder);
}

} // namespace corvel
