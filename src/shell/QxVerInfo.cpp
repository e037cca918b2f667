#include "shell/QxVerInfo.h"

#include "units/NumberText.h"

#include <cstring>

namespace corvel {

TVerInfoRes::TVerInfoRes(const std::string& fileName) : FFileName(fileName) {
    FSize = GetFileVersionInfoSizeA(fileName.c_str(), &FHandle);
    if (FSize == 0)
        throw ENoVerInfoError("No Version Info Available.");
    FData.assign(FSize, 0);
    if (!GetFileVersionInfoA(fileName.c_str(), FHandle, FSize, FData.data()))
        throw EVerInfoError("Cannot obtain version info.");

    void* value = nullptr;
    std::uint32_t length = 0;
    if (!VerQueryValueA(FData.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4)
        throw EVerInfoError("No language info.");
    const auto* translation = static_cast<const unsigned char*>(value);
    FLanguage = static_cast<std::uint16_t>(translation[0] | translation[1] << 8);
    FCodePage = static_cast<std::uint16_t>(translation[2] | translation[3] << 8);

    if (!VerQueryValueA(FData.data(), "\\", &value, &length) || length <= 51)
        throw eNoFixeVerInfo("No fixed file info");
    std::memcpy(&FFixed, value, sizeof FFixed);

    const std::uint32_t flags = FFixed.dwFileFlags & FFixed.dwFileFlagsMask;
    static constexpr std::pair<std::uint32_t, const char*> kFlagNames[] = {
        {0x02, "Pre-release"}, {0x08, "Private build"}, {0x20, "Special build"}, {0x01, "Debug"}};
    for (const auto& [bit, name] : kFlagNames)
        if ((flags & bit) != 0)
            FFlags.emplace_back(name);
}

std::string TVerInfoRes::VersionText() const {
    return formatText("%d.%d.%d.%d", {static_cast<int>(FFixed.dwFileVersionMS >> 16),
                                      static_cast<int>(FFixed.dwFileVersionMS & 0xFFFF),
                                      static_cast<int>(FFixed.dwFileVersionLS >> 16),
                                      static_cast<int>(FFixed.dwFileVersionLS & 0xFFFF)});
}

std::string TVerInfoRes::InfoString(int index) const {
    if (index < 0 || index >= static_cast<int>(kVersionInfoNames.size()))
        return {};
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string path = "\\StringFileInfo\\";
    for (std::uint16_t word : {FLanguage, FCodePage})
        for (int shift = 12; shift >= 0; shift -= 4)
            path += digits[word >> shift & 15];
    path += "\\";
    path += kVersionInfoNames[static_cast<std::size_t>(index)];
    void* value = nullptr;
    std::uint32_t length = 0;
    if (!VerQueryValueA(FData.data(), path.c_str(), &value, &length))
        return {};
    return static_cast<const char*>(value);
}

std::string FileVersionText(const std::string& fileName) {
    return TVerInfoRes(fileName).VersionText();
}

std::string ProductCaption(const std::string& fileName) {
    const TVerInfoRes info(fileName);
    return info.ProductText() + " " + info.VersionText();
}

} // namespace corvel
