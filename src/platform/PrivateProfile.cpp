#include "platform/PrivateProfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
        const std::size_t lf = text_.find('\n', begin);
        Line line{};
        line.begin = begin;
        line.next = lf == npos ? text_.size() : lf + 1;
        line.end = lf == npos ? text_.size() : lf;
        if (line.end > begin && lf != npos && text_[line.end - 1] == '\r')
            --line.end;
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
    const std::size_t lf = text_.find('\n');
    return lf != npos && lf > 0 && text_[lf - 1] == '\r' ? "\r\n" : "\n";
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
        if (!text_.empty() && text_.back() != '\n' && text_.size() > bodyStart_)
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

bool loadFile(const char* fileName, std::string& text) {
    const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = readAll(fd, text);
    ::close(fd);
    return ok;
}

/// The path a write replaces: a symbolic link is followed so that the link itself stays.
std::string writeTarget(const char* fileName) {
    struct stat status {};
    if (::lstat(fileName, &status) == 0 && S_ISLNK(status.st_mode)) {
        if (char* resolved = ::realpath(fileName, nullptr)) {
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

/// Holds the advisory lock on the file a write replaces. The lock sits on the file itself; a
/// writer that got the lock on a file that another writer has meanwhile replaced starts over on
/// the new one.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            bool created = false;
            int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
            if (fd < 0 && errno == ENOENT) {
                fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                created = fd >= 0;
                if (fd < 0 && errno == EEXIST)
                    continue;
            }
            if (fd < 0)
                return;
            int locked;
            do
                locked = ::flock(fd, LOCK_EX);
            while (locked != 0 && errno == EINTR);
            struct stat held {
            }, current{};
            if (locked == 0 && ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &current) == 0 &&
                held.st_dev == current.st_dev && held.st_ino == current.st_ino) {
                fd_ = fd;
                created_ = created;
                mode_ = held.st_mode & 07777;
                return;
            }
            ::close(fd);
            if (locked != 0)
                return;
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    int fd() const { return fd_; }
    bool created() const { return created_; }
    mode_t mode() const { return mode_; }

private:
    int fd_ = -1;
    bool created_ = false;
    mode_t mode_ = 0644;
};

/// Replaces the file at `path` with `text`: a temporary file beside it is written, flushed to disk
/// and renamed over the old one, so a reader sees either the old or the new file whole.
bool replaceFile(const std::string& path, std::string_view text, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
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

std::uint32_t GetPrivateProfileStringA(const char* appName, const char* keyName,
                                       const char* defaultValue, char* returnedString,
                                       std::uint32_t size, const char* fileName) {
    if (returnedString == nullptr || size == 0)
        return 0;
    std::string text;
    if (fileName == nullptr || !loadFile(fileName, text))
        text.clear();
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
    if (appName == nullptr || fileName == nullptr || *fileName == '\0')
        return false;

    const std::string path = writeTarget(fileName);
    const FileLock lock(path);
    if (lock.fd() < 0)
        return false;
    std::string text;
    if (!readAll(lock.fd(), text))
        return false;
    ProfileText profile(std::move(text));
    bool changed;
    if (keyName == nullptr)
        changed = profile.removeSection(appName);
    else if (value == nullptr)
        changed = profile.removeKey(appName, keyName);
    else if (!profile.setValue(appName, keyName, value)) {
        if (lock.created())
            ::unlink(path.c_str());
        return false;
    } else
        changed = true;
    if (!changed) {
        if (lock.created())
            ::unlink(path.c_str());
        return true;
    }
    if (!replaceFile(path, profile.text(), lock.mode())) {
        if (lock.created())
            ::unlink(path.c_str()); // the empty file this write made to hold its lock
        return false;
    }
    return true;
}

} // namespace corvel
