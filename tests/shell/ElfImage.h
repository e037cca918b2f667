#pragma once

// Writes the smallest ELF file that carries one named section: the file header, the section's
// bytes, the section-name table and the section headers (null, the section, the name table).

#include <cstdint>
#include <string>
#include <vector>

namespace corvel::test {

inline std::string MakeElfImage(const std::vector<std::uint8_t>& bytes, const std::string& name,
                                bool is64 = true) {
    std::string image;
    auto put = [&image](std::size_t at, std::uint64_t value, int size) {
        if (image.size() < at + size)
            image.resize(at + size, '\0');
        for (int i = 0; i < size; ++i)
            image[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    const std::size_t headerSize = is64 ? 64 : 52, entrySize = is64 ? 64 : 40;
    image.assign(headerSize, '\0');
    image.replace(0, 4,
                  "\x7F"
                  "ELF");
    put(4, is64 ? 2 : 1, 1); // class
    put(5, 1, 1);            // little-endian
    put(6, 1, 1);            // version
    put(16, 2, 2);           // an executable
    put(18, is64 ? 62 : 3, 2);
    put(20, 1, 4);

    const std::size_t dataAt = image.size();
    image.append(bytes.begin(), bytes.end());
    const std::size_t namesAt = image.size();
    const std::string names = std::string("\0", 1) + name + std::string("\0.shstrtab\0", 11);
    image += names;
    while (image.size() % 8 != 0)
        image += '\0';
    const std::size_t tableAt = image.size();
    image.resize(tableAt + 3 * entrySize, '\0');
    auto section = [&](int index, std::uint32_t nameAt, std::uint32_t type, std::size_t at,
                       std::size_t size) {
        const std::size_t h = tableAt + index * entrySize;
        put(h, nameAt, 4);
        put(h + 4, type, 4);
        put(h + (is64 ? 24 : 16), at, is64 ? 8 : 4);
        put(h + (is64 ? 32 : 20), size, is64 ? 8 : 4);
    };
    section(1, 1, 1 /* program data */, dataAt, bytes.size());
    section(2, static_cast<std::uint32_t>(name.size() + 2), 3 /* string table */, namesAt,
            names.size());
    if (is64) {
        put(40, tableAt, 8);
        put(52, headerSize, 2);
        put(58, entrySize, 2);
        put(60, 3, 2);
        put(62, 2, 2);
    } else {
        put(32, tableAt, 4);
        put(40, headerSize, 2);
        put(46, entrySize, 2);
        put(48, 3, 2);
        put(50, 2, 2);
    }
    return image;
}

} // namespace corvel::test
