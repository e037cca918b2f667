#include "platform/PrivateProfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace corvel {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string folded(std::string_view name) {
    std::string lowered(name);
    for (char& c : lowered)
        c = lower(c);
    return lowered;
}

bool holdsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != npos;
}

} // namespace

ProfileText::ProfileText(std::string text) : text_(std::move(text)) {
    parse();
}

void ProfileText::parse() {
    lines_.clear();
    bodyStart_ = text_.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    std::size_t begin = bodyStart_;
    while (begin < text_.size()) {
        // A line ends in LF, CR LF or a lone CR (the old Mac layout).
        const std::size_t brk = text_.find_first_of("\r\n", begin);
        Line line{};
        line.begin = begin;
        line.end = brk == npos ? text_.size() : brk;
        if (brk == npos)
            line.next = text_.size();
        else if (text_[brk] == '\r' && brk + 1 < text_.size() && text_[brk + 1] == '\n')
            line.next = brk + 2;
        else
            line.next = brk + 1;
        line.kind = Line::Kind::Other;

        const std::string_view content(text_.data() + begin, line.end - begin);
        const std::string_view trimmed = trim(content);
        if (trimmed.starts_with('[')) {
            const std::size_t close = trimmed.rfind(']');
            if (close != npos && close > 0) {
                line.kind = Line::Kind::Section;
                line.name = trim(trimmed.substr(1, close - 1));
            }
        } else if (!trimmed.starts_with(';') && !trimmed.starts_with('#')) {
            const std::size_t equals = content.find('=');
            if (equals != npos) {
                const std::string_view name = trim(content.substr(0, equals));
                if (!name.empty()) {
                    line.kind = Line::Kind::Key;
                    line.name = name;
                    line.valueBegin = begin + equals + 1;
                    line.valueEnd = line.end;
                }
            }
        }
        lines_.push_back(std::move(line));
        begin = lines_.back().next;
    }
}

std::size_t ProfileText::findSection(std::string_view section) const {
    section = trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Kind::Section && sameName(lines_[i].name, section))
            return i;
    return npos;
}

std::size_t ProfileText::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Kind::Section)
        ++i;
    return i;
}

std::size_t ProfileText::findKey(std::size_t header, std::string_view key) const {
    key = trim(key);
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Kind::Key && sameName(lines_[i].name, key))
            return i;
    return npos;
}

std::size_t ProfileText::findKey(std::string_view section, std::string_view key) const {
    const std::size_t header = findSection(section);
    return header == npos ? npos : findKey(header, key);
}

bool ProfileText::find(std::string_view section, std::string_view key, std::string& value) const {
    const std::size_t at = findKey(section, key);
    if (at == npos)
        return false;
    const Line& line = lines_[at];
    std::string_view raw =
        trim(std::string_view(text_.data() + line.valueBegin, line.valueEnd - line.valueBegin));
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    value = raw;
    return true;
}

std::vector<std::string> ProfileText::sectionNames() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const Line& line : lines_)
        if (line.kind == Line::Kind::Section && seen.insert(folded(line.name)).second)
            names.push_back(line.name);
    return names;
}

std::vector<std::string> ProfileText::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    const std::size_t header = findSection(section);
    if (header == npos)
        return names;
    // a duplicate key is hidden behind the first one, so it is listed once
    std::unordered_set<std::string> seen;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Kind::Key && seen.insert(folded(lines_[i].name)).second)
            names.push_back(lines_[i].name);
    return names;
}

std::string ProfileText::lineBreak() const {
    // Lines a write adds end as the file's first line does.
    const std::size_t brk = text_.find_first_of("\r\n");
    if (brk == npos || text_[brk] == '\n')
        return "\n";
    return brk + 1 < text_.size() && text_[brk + 1] == '\n' ? "\r\n" : "\r";
}

void ProfileText::replace(std::size_t begin, std::size_t end, std::string_view with) {
    text_.replace(begin, end - begin, with);
    parse();
}

bool ProfileText::setValue(std::string_view section, std::string_view key, std::string_view value) {
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || holdsLineBreakOrNul(section) ||
        holdsLineBreakOrNul(key) || holdsLineBreakOrNul(value) || section.find(']') != npos ||
        key.find('=') != npos || key.front() == ';' || key.front() == '#' || key.front() == '[')
        return false;

    const std::string lineEnd = lineBreak();
    const std::string pair = std::string(key) + "=" + std::string(value);
    const std::size_t header = findSection(section);
    if (header == npos) {
        std::string added;
        if (!text_.empty() && text_.back() != '\n' && text_.back() != '\r' &&
            text_.size() > bodyStart_)
            added += lineEnd;
        added += "[" + std::string(section) + "]" + lineEnd + pair + lineEnd;
        replace(text_.size(), text_.size(), added);
        return true;
    }
    const std::size_t at = findKey(header, key);
    if (at != npos) {
        replace(lines_[at].valueBegin, lines_[at].valueEnd, value);
        return true;
    }
    // A new key goes after the last key of the section, ahead of blank lines and comments that
    // lead into the next section.
    std::size_t last = header;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Kind::Key)
            last = i;
    const Line& after = lines_[last];
    if (after.next == after.end) // the last line of the file has no line end
        replace(after.next, after.next, lineEnd + pair);
    else
        replace(after.next, after.next, pair + lineEnd);
    return true;
}

bool ProfileText::removeKey(std::string_view section, std::string_view key) {
    const std::size_t at = findKey(section, key);
    if (at == npos)
        return false;
    replace(lines_[at].begin, lines_[at].next, {});
    return true;
}

bool ProfileText::removeSection(std::string_view section) {
    bool changed = false;
    // Every copy goes, so that a later duplicate cannot surface with stale values.
    for (std::size_t header = findSection(section); header != npos; header = findSection(section)) {
        const std::size_t end = sectionEnd(header);
        replace(lines_[header].begin, lines_[end - 1].next, {});
        changed = true;
    }
    return changed;
}

// ---- file access ----

namespace {

bool readAll(int fd, std::string& text) {
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t count = ::write(fd, text.data(), text.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

/// Reads a regular file whole; `mode` receives its permission bits. Anything else at the path
/// (a FIFO, a device, a folder) is refused before it is opened, so that reading can neither
/// block nor go on without end.
ProfileFileRead readRegular(const std::string& path, std::string& text, mode_t* mode = nullptr) {
    text.clear();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ProfileFileRead::Missing
                                                   : ProfileFileRead::Refused;
    if (!S_ISREG(status.st_mode))
        return ProfileFileRead::Refused;
    // O_NONBLOCK: should a FIFO have taken the file's place meanwhile, opening it cannot hang.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ProfileFileRead::Missing : ProfileFileRead::Refused;
    const bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && readAll(fd, text);
    ::close(fd);
    if (!ok) {
        text.clear();
        return ProfileFileRead::Refused;
    }
    if (mode != nullptr)
        *mode = status.st_mode & 07777;
    return ProfileFileRead::Read;
}

/// The path a write replaces: a symbolic link is followed so that the link itself stays.
std::string writeTarget(const std::string& fileName) {
    struct stat status {};
    if (::lstat(fileName.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
            std::string path(resolved);
            std::free(resolved);
            return path;
        }
    }
    return fileName;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == npos ? path : path.substr(slash + 1);
}

/// Holds the advisory lock on the folder of the files a write replaces. Every writer of a
/// profile file in that folder takes it before it reads the file and keeps it until the
/// replacement is in place, so writers in several processes lose no key, and a temporary file
/// found while the lock is held belongs to no running writer. Locking the folder rather than the
/// file means that a first write never has to create the file early just to lock it.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            return;
        int result;
        do
            result = ::flock(fd_, LOCK_EX);
        while (result != 0 && errno == EINTR);
        locked_ = result == 0;
    }
    ~FolderLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    /// False where the file system has no such locks: the write goes ahead unguarded.
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

constexpr std::string_view kTemporaryAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTemporarySuffixLength = 6;

/// True for the six characters a writer appends to make a temporary name. Every such suffix
/// holds a digit or a capital, so a copy the user named "Corvel.ini.backup" is never taken for
/// one.
bool isTemporarySuffix(std::string_view suffix) {
    if (suffix.size() != kTemporarySuffixLength)
        return false;
    bool marked = false;
    for (char c : suffix) {
        if (kTemporaryAlphabet.find(c) == npos)
            return false;
        marked = marked || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    }
    return marked;
}

/// Removes the temporary files ("<name>.XXXXXX") that writers killed before their rename left
/// beside `path`. Called with the folder lock held, when no writer is at work.
void removeStaleTemporaries(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::string prefix = nameOf(path) + ".";
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix) || !isTemporarySuffix(name.substr(prefix.size())))
            continue;
        struct stat status {};
        if (::fstatat(::dirfd(directory), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode))
            ::unlinkat(::dirfd(directory), entry->d_name, 0);
    }
    ::closedir(directory);
}

/// Creates a new temporary file "<path>.XXXXXX" with `mode` (less the umask) for writing.
int createTemporary(const std::string& path, mode_t mode, std::string& temporary) {
    static std::mt19937_64 generator{std::random_device{}()};
    static std::mutex generatorMutex;
    std::uniform_int_distribution<std::size_t> pick(0, kTemporaryAlphabet.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        do {
            const std::lock_guard<std::mutex> guard(generatorMutex);
            suffix.clear();
            for (std::size_t i = 0; i < kTemporarySuffixLength; ++i)
                suffix += kTemporaryAlphabet[pick(generator)];
        } while (!isTemporarySuffix(suffix));
        temporary = path + "." + suffix;
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

/// Replaces the file at `path` with `text`: a temporary file beside it is written, flushed to disk
/// and renamed over the old one, so a reader, and a later run after a kill at any moment, sees
/// either the old or the new file whole. `mode` is the old file's, or negative for a new file.
bool replaceFile(const std::string& path, std::string_view text, int mode) {
    std::string temporary;
    const int fd = createTemporary(path, mode < 0 ? 0666 : static_cast<mode_t>(mode), temporary);
    if (fd < 0)
        return false;
    // the old file's permissions exactly, whatever the umask took from them
    bool ok = (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && writeAll(fd, text) &&
              ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder); // makes the rename itself durable; a failure here loses nothing yet
        ::close(folder);
    }
    return true;
}

std::uint32_t copyText(std::string_view text, char* out, std::uint32_t size) {
    const std::size_t zero = text.find('\0');
    if (zero != npos)
        text = text.substr(0, zero);
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

std::uint32_t copyList(const std::vector<std::string>& names, char* out, std::uint32_t size) {
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    std::size_t at = 0;
    bool cut = false;
    for (const std::string& name : names) {
        // an empty name would end the list early, and a NUL would split a name in two
        if (name.empty() || name.find('\0') != npos)
            continue;
        if (at + name.size() + 2 > size) {
            cut = true;
            break;
        }
        std::memcpy(out + at, name.data(), name.size());
        at += name.size();
        out[at++] = '\0';
    }
    out[at] = '\0';
    if (at == 0)
        out[1] = '\0';
    return cut ? size - 2 : static_cast<std::uint32_t>(at);
}

} // namespace

ProfileFileRead ReadProfileFile(const std::string& fileName, std::string& text) {
    return readRegular(fileName, text);
}

bool UpdateProfileFile(const std::string& fileName, const std::function<bool(ProfileText&)>& edit) {
    if (fileName.empty())
        return false;
    const std::string path = writeTarget(fileName);
    const FolderLock lock(folderOf(path));
    if (lock.locked())
        removeStaleTemporaries(path);

    std::string text;
    mode_t mode = 0;
    const ProfileFileRead read = readRegular(path, text, &mode);
    if (read == ProfileFileRead::Refused)
        return false;
    const bool exists = read == ProfileFileRead::Read;
    // The rename would replace a write-protected file as well; its protection is honoured.
    if (exists && ::access(path.c_str(), W_OK) != 0)
        return false;
    ProfileText profile(text);
    if (!edit(profile))
        return false;
    if (profile.text() == text)
        return true; // nothing changed: the file stays as it is
    return replaceFile(path, profile.text(), exists ? static_cast<int>(mode) : -1);
}

std::uint32_t GetPrivateProfileStringA(const char* appName, const char* keyName,
                                       const char* defaultValue, char* returnedString,
                                       std::uint32_t size, const char* fileName) {
    if (returnedString == nullptr || size == 0)
        return 0;
    std::string text;
    if (fileName != nullptr)
        readRegular(fileName, text); // a file that cannot be read reads as an empty one
    const ProfileText profile(std::move(text));
    if (appName == nullptr)
        return copyList(profile.sectionNames(), returnedString, size);
    if (keyName == nullptr)
        return copyList(profile.keyNames(appName), returnedString, size);
    std::string value;
    if (!profile.find(appName, keyName, value))
        value = defaultValue != nullptr ? defaultValue : "";
    return copyText(value, returnedString, size);
}

bool WritePrivateProfileStringA(const char* appName, const char* keyName, const char* value,
                                const char* fileName) {
    if (appName == nullptr && keyName == nullptr && value == nullptr)
        return true; // writes reach the disk at once: there is nothing left to flush
    if (appName == nullptr || fileName == nullptr)
        return false;
    return UpdateProfileFile(fileName, [&](ProfileText& profile) {
        if (keyName == nullptr)
            profile.removeSection(appName);
        else if (value == nullptr)
            profile.removeKey(appName, keyName);
        else
            return profile.setValue(appName, keyName, value);
        return true;
    });
}

} // namespace corvel
