#pragma once

// The version-resource functions: find the version resource (VS_VERSIONINFO) of an executable,
// copy it out, and look values up in it by path.
//
// The resource is found in a Windows PE file through its resource directory (type 16, the first
// name and the first language under it) and in an ELF file in the section kVersionSection, which
// the build fills for our own executables. Texts in the resource are UTF-16; VerQueryValueA hands
// them back as zero-terminated UTF-8, converted into space that GetFileVersionInfoSizeA reserves
// behind the resource.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvel {

/// The ELF section that holds the version resource of our own executables.
inline constexpr const char* kVersionSection = ".corvel_verinfo";

/// The fixed file information record at the root of a version resource (52 bytes).
struct VS_FIXEDFILEINFO {
    std::uint32_t dwSignature; // 0xFEEF04BD
    std::uint32_t dwStrucVersion;
    std::uint32_t dwFileVersionMS;
    std::uint32_t dwFileVersionLS;
    std::uint32_t dwProductVersionMS;
    std::uint32_t dwProductVersionLS;
    std::uint32_t dwFileFlagsMask;
    std::uint32_t dwFileFlags;
    std::uint32_t dwFileOS;
    std::uint32_t dwFileType;
    std::uint32_t dwFileSubtype;
    std::uint32_t dwFileDateMS;
    std::uint32_t dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

/// Random access to the bytes of a file or of a block in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    /// Copies `count` bytes from `offset`; false when they lie beyond the end.
    virtual bool read(std::uint64_t offset, std::size_t count, void* out) const = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::size_t count, void* out) const override;

private:
    const unsigned char* data_;
    std::size_t size_;
};

/// Where the version resource lies in an ELF or PE image: false when the image has none or its
/// headers are damaged. The root block (at most 65535 bytes) lies wholly within the image.
bool LocateVersionResource(const ByteSource& image, std::uint64_t& offset, std::uint32_t& length);

/// The size of the buffer GetFileVersionInfoA needs for a resource of `length` bytes.
std::uint32_t VersionBufferSize(std::uint32_t length);

/// Sets up a version buffer from the raw resource: copies it and clears the space behind it.
/// False when `size` is below VersionBufferSize(length).
bool FillVersionBuffer(const void* resource, std::uint32_t length, void* data, std::uint32_t size);

/// The buffer size the file's version data needs, 0 when the file has none (or cannot be read).
/// `handle` is set to 0.
std::uint32_t GetFileVersionInfoSizeA(const char* fileName, std::uint32_t* handle);

/// Copies the file's version data into `data` (`len` bytes, at least the size above).
bool GetFileVersionInfoA(const char* fileName, std::uint32_t handle, std::uint32_t len, void* data);

/// Looks up `subBlock` in a buffer filled by GetFileVersionInfoA: "\" gives the fixed record,
/// "\VarFileInfo\Translation" the translation table, "\StringFileInfo\<lang><cp>\<name>" a text
/// (as zero-terminated UTF-8; `len` is then its length in bytes). Path parts are matched without
/// regard to ASCII case. False when the path is not there.
bool VerQueryValueA(void* block, const char* subBlock, void** buffer, std::uint32_t* len);

} // namespace corvel
