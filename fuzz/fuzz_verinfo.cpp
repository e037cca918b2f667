// Looks for a version resource in any bytes taken as an ELF or PE image, and also takes the
// bytes as a version resource themselves; every found resource is queried along the usual paths.
#include "platform/FileVersionInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

void query(const void* resource, std::uint32_t length) {
    std::vector<unsigned char> buffer(corvel::VersionBufferSize(length));
    if (!corvel::FillVersionBuffer(resource, length, buffer.data(),
                                   static_cast<std::uint32_t>(buffer.size())))
        return;
    void* value = nullptr;
    std::uint32_t size = 0;
    corvel::VerQueryValueA(buffer.data(), "\\", &value, &size);
    std::string path = "\\StringFileInfo\\040904E4\\ProductName";
    if (corvel::VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &size) &&
        size >= 4) {
        const auto* t = static_cast<const unsigned char*>(value);
        static constexpr char digits[] = "0123456789ABCDEF";
        const unsigned language = t[0] | t[1] << 8, codePage = t[2] | t[3] << 8;
        path = "\\StringFileInfo\\";
        for (unsigned word : {language, codePage})
            for (int shift = 12; shift >= 0; shift -= 4)
                path += digits[word >> shift & 15];
        path += "\\ProductName";
    }
    for (int i = 0; i < 2; ++i) // the second query reuses the converted copy
        if (corvel::VerQueryValueA(buffer.data(), path.c_str(), &value, &size))
            for (const char* c = static_cast<const char*>(value); *c != '\0'; ++c)
                (void)*c;
    corvel::VerQueryValueA(buffer.data(), "\\StringFileInfo", &value, &size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const corvel::MemorySource image(data, size);
    std::uint64_t offset;
    std::uint32_t length;
    if (corvel::LocateVersionResource(image, offset, length))
        query(data + offset, length);
    if (size >= 6 && size <= 0xFFFF)
        query(data, static_cast<std::uint32_t>(size));
    return 0;
}
