#include "platform/FileVersionInfo.h"

#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvel {

namespace {

constexpr std::uint32_t kMaxResource = 0xFFFF; // the root block's length is a 16-bit word
constexpr std::uint16_t kVersionResourceType = 16;

std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t le64(const unsigned char* p) {
    return static_cast<std::uint64_t>(le32(p)) | static_cast<std::uint64_t>(le32(p + 4)) << 32;
}

std::size_t align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

class FileSource : public ByteSource {
public:
    explicit FileSource(const char* fileName) {
        fd_ = ::open(fileName, O_RDONLY | O_CLOEXEC);
        struct stat status {};
        if (fd_ >= 0 && ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode))
            size_ = static_cast<std::uint64_t>(status.st_size);
    }
    ~FileSource() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::size_t count, void* out) const override {
        if (offset > size_ || count > size_ - offset)
            return false;
        auto* target = static_cast<char*>(out);
        while (count > 0) {
            const ssize_t got = ::pread(fd_, target, count, static_cast<off_t>(offset));
            if (got <= 0)
                return false;
            target += got;
            offset += static_cast<std::uint64_t>(got);
            count -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

/// Checks the root block's length against the space the container gives it.
bool takeRoot(const ByteSource& image, std::uint64_t offset, std::uint64_t space,
              std::uint64_t& outOffset, std::uint32_t& outLength) {
    unsigned char word[2];
    if (space < 6 || !image.read(offset, 2, word))
        return false;
    const std::uint16_t length = le16(word);
    if (length < 6 || length > space || length > image.size() - offset)
        return false;
    outOffset = offset;
    outLength = length;
    return true;
}

// ---- ELF ----

bool locateInElf(const ByteSource& image, std::uint64_t& offset, std::uint32_t& length) {
    unsigned char header[64];
    if (!image.read(0, 52, header) ||
        std::memcmp(header,
                    "\x7F"
                    "ELF",
                    4) != 0 ||
        header[5] != 1) // little-endian only
        return false;
    const bool is64 = header[4] == 2;
    if (!is64 && header[4] != 1)
        return false;
    if (is64 && !image.read(0, 64, header))
        return false;
    const std::uint64_t tableOffset = is64 ? le64(header + 0x28) : le32(header + 0x20);
    const std::uint16_t entrySize = le16(header + (is64 ? 0x3A : 0x2E));
    const std::uint16_t count = le16(header + (is64 ? 0x3C : 0x30));
    const std::uint16_t namesIndex = le16(header + (is64 ? 0x3E : 0x32));
    const std::size_t needed = is64 ? 64 : 40;
    if (tableOffset == 0 || count == 0 || entrySize < needed || namesIndex >= count)
        return false;

    const std::uint64_t tableSize = std::uint64_t{entrySize} * count;
    if (tableOffset > image.size() || tableSize > image.size() - tableOffset)
        return false; // checked before the table is allocated
    std::vector<unsigned char> table(static_cast<std::size_t>(tableSize));
    if (!image.read(tableOffset, table.size(), table.data()))
        return false;
    struct Section {
        std::uint32_t name, type;
        std::uint64_t offset, size;
    };
    auto section = [&](std::size_t i) {
        const unsigned char* p = table.data() + i * entrySize;
        if (is64)
            return Section{le32(p), le32(p + 4), le64(p + 24), le64(p + 32)};
        return Section{le32(p), le32(p + 4), le32(p + 16), le32(p + 20)};
    };
    const Section names = section(namesIndex);
    const std::string_view wanted(kVersionSection);
    std::vector<char> name(wanted.size() + 1);
    for (std::size_t i = 0; i < count; ++i) {
        const Section s = section(i);
        constexpr std::uint32_t kNoBits = 8;
        if (s.type == kNoBits || s.name >= names.size || names.size - s.name < name.size() ||
            !image.read(names.offset + s.name, name.size(), name.data()))
            continue;
        if (std::string_view(name.data(), wanted.size()) != wanted || name.back() != '\0')
            continue;
        if (s.offset > image.size() || s.size > image.size() - s.offset)
            return false;
        return takeRoot(image, s.offset, s.size, offset, length);
    }
    return false;
}

// ---- PE ----

struct PeSection {
    std::uint32_t virtualSize, virtualAddress, rawSize, rawOffset;
};

bool rvaToOffset(const std::vector<PeSection>& sections, std::uint32_t rva, std::uint32_t size,
                 std::uint64_t& offset) {
    for (const PeSection& s : sections) {
        if (rva < s.virtualAddress)
            continue;
        const std::uint64_t into = rva - s.virtualAddress;
        if (into + size <= s.rawSize) {
            offset = static_cast<std::uint64_t>(s.rawOffset) + into;
            return true;
        }
    }
    return false;
}

/// The entry of a resource directory with `id`, or the first entry when `id` is negative.
/// Returns its OffsetToData word; false when there is none or it lies outside the resources.
bool directoryEntry(const ByteSource& image, std::uint64_t base, std::uint32_t size,
                    std::uint32_t directory, long id, std::uint32_t& target) {
    unsigned char header[16];
    if (directory > size || size - directory < 16 || !image.read(base + directory, 16, header))
        return false;
    const std::uint32_t entries = static_cast<std::uint32_t>(le16(header + 12)) + le16(header + 14);
    const std::uint32_t fits = (size - directory - 16) / 8;
    for (std::uint32_t i = 0; i < entries && i < fits; ++i) {
        unsigned char entry[8];
        if (!image.read(base + directory + 16 + 8ull * i, 8, entry))
            return false;
        const std::uint32_t name = le32(entry);
        if (id >= 0 && ((name & 0x80000000u) != 0 || name != static_cast<std::uint32_t>(id)))
            continue;
        target = le32(entry + 4);
        return true;
    }
    return false;
}

bool locateInPe(const ByteSource& image, std::uint64_t& offset, std::uint32_t& length) {
    unsigned char dos[64];
    if (!image.read(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const std::uint32_t pe = le32(dos + 0x3C);
    unsigned char coff[24];
    if (!image.read(pe, 24, coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
        return false;
    const std::uint16_t sectionCount = le16(coff + 6);
    const std::uint16_t optionalSize = le16(coff + 20);
    std::vector<unsigned char> optional(optionalSize);
    if (optionalSize < 2 || !image.read(pe + 24ull, optionalSize, optional.data()))
        return false;
    const std::uint16_t magic = le16(optional.data());
    const std::size_t countAt = magic == 0x20B ? 108 : magic == 0x10B ? 92 : 0;
    if (countAt == 0 || optionalSize < countAt + 4 + 3 * 8 || le32(optional.data() + countAt) < 3)
        return false;
    const std::uint32_t resourceRva = le32(optional.data() + countAt + 4 + 2 * 8);
    const std::uint32_t resourceSize = le32(optional.data() + countAt + 4 + 2 * 8 + 4);

    std::vector<PeSection> sections;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        unsigned char s[40];
        if (!image.read(pe + 24ull + optionalSize + 40ull * i, 40, s))
            return false;
        sections.push_back({le32(s + 8), le32(s + 12), le32(s + 16), le32(s + 20)});
    }
    std::uint64_t base;
    if (resourceSize < 16 || !rvaToOffset(sections, resourceRva, resourceSize, base))
        return false;

    // Type 16, then the first name and the first language: exactly three levels are walked,
    // so a directory that points back at itself cannot send the search round in circles.
    constexpr std::uint32_t kSubdirectory = 0x80000000u;
    std::uint32_t entry;
    if (!directoryEntry(image, base, resourceSize, 0, kVersionResourceType, entry) ||
        (entry & kSubdirectory) == 0 ||
        !directoryEntry(image, base, resourceSize, entry & ~kSubdirectory, -1, entry) ||
        (entry & kSubdirectory) == 0 ||
        !directoryEntry(image, base, resourceSize, entry & ~kSubdirectory, -1, entry) ||
        (entry & kSubdirectory) != 0 || entry > resourceSize || resourceSize - entry < 16)
        return false;
    unsigned char data[16];
    if (!image.read(base + entry, 16, data))
        return false;
    const std::uint32_t dataRva = le32(data), dataSize = le32(data + 4);
    std::uint64_t dataOffset;
    if (!rvaToOffset(sections, dataRva, dataSize, dataOffset))
        return false;
    return takeRoot(image, dataOffset, dataSize, offset, length);
}

// ---- the resource tree ----

struct Node {
    std::size_t begin = 0, end = 0; // the block, header included
    std::uint16_t valueLength = 0, type = 0;
    std::size_t keyBegin = 0, keyUnits = 0;
    std::size_t valueBegin = 0, valueBytes = 0;
    std::size_t childrenBegin = 0;
};

/// Reads the block at `at` that must end by `limit`.
bool readNode(const unsigned char* base, std::size_t at, std::size_t limit, Node& node) {
    if (at > limit || limit - at < 6)
        return false;
    const std::uint16_t length = le16(base + at);
    if (length < 6 || length > limit - at)
        return false;
    node.begin = at;
    node.end = at + length;
    node.valueLength = le16(base + at + 2);
    node.type = le16(base + at + 4);
    node.keyBegin = at + 6;
    std::size_t p = node.keyBegin;
    while (p + 2 <= node.end && le16(base + p) != 0)
        p += 2;
    if (p + 2 > node.end)
        return false; // the key has no terminating zero
    node.keyUnits = (p - node.keyBegin) / 2;
    node.valueBegin = std::min(align4(p + 2), node.end);
    const std::size_t bytes = node.type == 1 ? 2 * std::size_t{node.valueLength} : node.valueLength;
    node.valueBytes = std::min(bytes, node.end - node.valueBegin);
    node.childrenBegin = std::min(align4(node.valueBegin + node.valueBytes), node.end);
    return true;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool keyIs(const unsigned char* base, const Node& node, std::string_view name) {
    if (node.keyUnits != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint16_t unit = le16(base + node.keyBegin + 2 * i);
        if (unit > 127 || lower(static_cast<char>(unit)) != lower(name[i]))
            return false;
    }
    return true;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// UTF-16 units up to the first zero (or the end) as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf8Text(const unsigned char* p, std::size_t bytes) {
    std::string out;
    const std::size_t units = bytes / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = le16(p + 2 * i);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
            const std::uint32_t next = le16(p + 2 * i + 2);
            if (next >= 0xDC00 && next < 0xE000) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

} // namespace

bool MemorySource::read(std::uint64_t offset, std::size_t count, void* out) const {
    if (offset > size_ || count > size_ - offset)
        return false;
    if (count > 0)
        std::memcpy(out, data_ + offset, count);
    return true;
}

bool LocateVersionResource(const ByteSource& image, std::uint64_t& offset, std::uint32_t& length) {
    return locateInElf(image, offset, length) || locateInPe(image, offset, length);
}

std::uint32_t VersionBufferSize(std::uint32_t length) {
    // Behind the resource lies room for the UTF-8 copies of its texts: a text at offset o of
    // n UTF-16 units goes to 2·o in that room and needs at most 3·n + 1 bytes, so the copies of
    // different texts never overlap.
    return static_cast<std::uint32_t>(3 * align4(length) + 4);
}

bool FillVersionBuffer(const void* resource, std::uint32_t length, void* data, std::uint32_t size) {
    if (length < 6 || length > kMaxResource || data == nullptr || size < VersionBufferSize(length))
        return false;
    std::memset(data, 0, size);
    std::memcpy(data, resource, length);
    // The root block's own length word must describe what was copied.
    auto* bytes = static_cast<unsigned char*>(data);
    bytes[0] = static_cast<unsigned char>(length & 0xFF);
    bytes[1] = static_cast<unsigned char>(length >> 8);
    Node root;
    return readNode(bytes, 0, length, root);
}

std::uint32_t GetFileVersionInfoSizeA(const char* fileName, std::uint32_t* handle) {
    if (handle != nullptr)
        *handle = 0;
    if (fileName == nullptr)
        return 0;
    const FileSource file(fileName);
    std::uint64_t offset;
    std::uint32_t length;
    if (!LocateVersionResource(file, offset, length))
        return 0;
    return VersionBufferSize(length);
}

bool GetFileVersionInfoA(const char* fileName, std::uint32_t, std::uint32_t len, void* data) {
    if (fileName == nullptr || data == nullptr)
        return false;
    const FileSource file(fileName);
    std::uint64_t offset;
    std::uint32_t length;
    if (!LocateVersionResource(file, offset, length))
        return false;
    std::vector<unsigned char> resource(length);
    return file.read(offset, length, resource.data()) &&
           FillVersionBuffer(resource.data(), length, data, len);
}

bool VerQueryValueA(void* block, const char* subBlock, void** buffer, std::uint32_t* len) {
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || len == nullptr)
        return false;
    auto* base = static_cast<unsigned char*>(block);
    const std::size_t length = le16(base);
    Node node;
    if (!readNode(base, 0, length, node))
        return false;

    std::string_view path(subBlock);
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (part.empty())
            continue;
        bool found = false;
        Node child;
        // every child is at least 6 bytes long, so the walk always moves on and ends
        for (std::size_t at = node.childrenBegin; readNode(base, at, node.end, child);
             at = align4(child.end)) {
            if (keyIs(base, child, part)) {
                found = true;
                break;
            }
        }
        if (!found)
            return false;
        node = child;
    }

    if (node.type != 1) {
        if (node.valueBytes == 0)
            return false;
        *buffer = base + node.valueBegin;
        *len = static_cast<std::uint32_t>(node.valueBytes);
        return true;
    }
    const std::string text = utf8Text(base + node.valueBegin, node.valueBytes);
    unsigned char* copy = base + align4(length) + 2 * node.valueBegin;
    std::memcpy(copy, text.c_str(), text.size() + 1);
    *buffer = copy;
    *len = static_cast<std::uint32_t>(text.size());
    return true;
}

} // namespace corvel
