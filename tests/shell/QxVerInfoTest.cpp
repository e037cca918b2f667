#include "shell/QxVerInfo.h"

#include "ElfImage.h"
#include "TempDir.h"
#include "shell/VersionResource.h"

#include <gtest/gtest.h>

#include <CorvelVersion.h>

namespace corvel {
namespace {

using test::MakeElfImage;
using test::TempDir;
using test::WriteFile;

VersionResourceContent sampleContent() {
    VersionResourceContent content;
    content.fixed = MakeFixedFileInfo(1, 1, 8, 0);
    content.tables.push_back({0x0409,
                              0x04E4,
                              {{"CompanyName", "Kestrone"},
                               {"ProductName", "Corvel"},
                               {"Comments", "Grüße \xF0\x9F\x92\xA7"}}});
    content.translations = {{0x0409, 0x04E4}};
    return content;
}

class VerInfoTest : public ::testing::Test {
protected:
    std::string elfWith(const VersionResourceContent& content, bool is64 = true) {
        WriteFile(path, MakeElfImage(BuildVersionResource(content), kVersionSection, is64));
        return path;
    }
    TempDir dir;
    std::string path = dir.file("program");
};

TEST_F(VerInfoTest, FixedVersionWordsFormAsFourNumbers) {
    for (bool is64 : {true, false}) {
        const TVerInfoRes info(elfWith(sampleContent(), is64));
        EXPECT_EQ(info.VersionText(), "1.1.8.0");
        EXPECT_EQ(info.FixedFileInfo().dwFileVersionMS, 1u * 65536 + 1);
        EXPECT_TRUE(info.Flags().empty());
    }
}

TEST_F(VerInfoTest, TextsComeBackAsUtf8ByIndex) {
    const TVerInfoRes info(elfWith(sampleContent()));
    EXPECT_EQ(info.InfoString(0), "Kestrone");
    EXPECT_EQ(info.InfoString(9), "Grüße \xF0\x9F\x92\xA7");
    EXPECT_EQ(info.InfoString(1), "");  // absent entry
    EXPECT_EQ(info.InfoString(-1), ""); // no such index
    EXPECT_EQ(info.InfoString(10), "");
    EXPECT_EQ(info.ProductText(), "Corvel");
    // a second query of the same text gives the same answer
    EXPECT_EQ(info.InfoString(9), "Grüße \xF0\x9F\x92\xA7");
}

TEST_F(VerInfoTest, ProductCaptionIsNameBlankVersion) {
    EXPECT_EQ(ProductCaption(elfWith(sampleContent())), "Corvel 1.1.8.0");
    VersionResourceContent unnamed = sampleContent();
    unnamed.tables[0].entries.erase(unnamed.tables[0].entries.begin() + 1);
    EXPECT_EQ(ProductCaption(elfWith(unnamed)), " 1.1.8.0");
    EXPECT_EQ(FileVersionText(path), "1.1.8.0");
}

TEST_F(VerInfoTest, FlagsWithinTheMaskAreListedInFixedOrder) {
    VersionResourceContent content = sampleContent();
    content.fixed.dwFileFlagsMask = 0x3F;
    content.fixed.dwFileFlags = 0x2B | 0x40; // 0x40 lies outside the mask
    EXPECT_EQ(TVerInfoRes(elfWith(content)).Flags(),
              (std::vector<std::string>{"Pre-release", "Private build", "Special build", "Debug"}));
    content.fixed.dwFileFlagsMask = 0x09;
    EXPECT_EQ(TVerInfoRes(elfWith(content)).Flags(),
              (std::vector<std::string>{"Private build", "Debug"}));
}

TEST_F(VerInfoTest, OnlyTheFirstTranslationIsConsulted) {
    VersionResourceContent content = sampleContent();
    content.tables.push_back({0x0407, 0x04B0, {{"ProductName", "Deutsch"}, {"FileVersion", "x"}}});
    content.translations = {{0x0407, 0x04B0}, {0x0409, 0x04E4}};
    const TVerInfoRes info(elfWith(content));
    EXPECT_EQ(info.ProductText(), "Deutsch");
    EXPECT_EQ(info.InfoString(0), ""); // CompanyName exists only under the second translation
}

TEST_F(VerInfoTest, MissingPartsRaiseTheirOwnErrors) {
    WriteFile(path, MakeElfImage({1, 2, 3, 4}, ".other"));
    try {
        TVerInfoRes info(path);
        FAIL();
    } catch (const ENoVerInfoError& error) {
        EXPECT_EQ(error.message(), "No Version Info Available.");
    }
    EXPECT_THROW(TVerInfoRes(dir.file("absent")), ENoVerInfoError);

    VersionResourceContent noLanguage = sampleContent();
    noLanguage.translations.clear();
    try {
        TVerInfoRes info(elfWith(noLanguage));
        FAIL();
    } catch (const EVerInfoError& error) {
        EXPECT_EQ(error.message(), "No language info.");
    }

    // A root block whose key has no terminating zero cannot be read.
    WriteFile(path, MakeElfImage({8, 0, 0, 0, 'V', 0, 'S', 0}, kVersionSection));
    try {
        TVerInfoRes info(path);
        FAIL();
    } catch (const EVerInfoError& error) {
        EXPECT_EQ(error.message(), "Cannot obtain version info.");
    }

    // A fixed record cut to 40 bytes (it starts at byte 40, behind the header and the key).
    std::vector<std::uint8_t> bytes = BuildVersionResource(sampleContent());
    bytes.erase(bytes.begin() + 80, bytes.begin() + 92);
    bytes[2] = 40;
    const unsigned length = bytes[0] | bytes[1] << 8;
    bytes[0] = static_cast<std::uint8_t>((length - 12) & 0xFF);
    bytes[1] = static_cast<std::uint8_t>((length - 12) >> 8);
    WriteFile(path, MakeElfImage(bytes, kVersionSection));
    try {
        TVerInfoRes info(path);
        FAIL();
    } catch (const eNoFixeVerInfo& error) {
        EXPECT_EQ(error.message(), "No fixed file info");
    }
}

TEST_F(VerInfoTest, CutOrDamagedImagesNeverReadAstray) {
    const std::string image = MakeElfImage(BuildVersionResource(sampleContent()), kVersionSection);
    for (std::size_t length = 0; length < image.size(); ++length) {
        WriteFile(path, image.substr(0, length));
        try {
            TVerInfoRes info(path);
            info.VersionText();
            info.ProductText();
        } catch (const Exception&) {
        }
    }
    for (std::size_t at = 0; at < image.size(); ++at) {
        std::string damaged = image;
        damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
        WriteFile(path, damaged);
        try {
            TVerInfoRes info(path);
            info.ProductText();
        } catch (const Exception&) {
        }
    }
}

TEST(VerQueryValueTest, PathsAreMatchedPartByPartWithoutRegardToCase) {
    const std::vector<std::uint8_t> resource = BuildVersionResource(sampleContent());
    std::vector<unsigned char> block(
        VersionBufferSize(static_cast<std::uint32_t>(resource.size())));
    ASSERT_TRUE(FillVersionBuffer(resource.data(), static_cast<std::uint32_t>(resource.size()),
                                  block.data(), static_cast<std::uint32_t>(block.size())));
    EXPECT_FALSE(FillVersionBuffer(resource.data(), static_cast<std::uint32_t>(resource.size()),
                                   block.data(), static_cast<std::uint32_t>(block.size() - 1)));
    const struct {
        const char* path;
        bool found;
        std::uint32_t length;
    } rows[] = {{"\\", true, 52},
                {"", true, 52},
                {"\\varfileinfo\\TRANSLATION", true, 4},
                {"\\StringFileInfo\\040904e4\\productname", true, 6},
                {"\\StringFileInfo\\\\040904E4\\ProductName\\", true, 6},
                {"\\StringFileInfo\\040904E4\\FileVersion", false, 0},
                {"\\StringFileInfo\\04090000\\ProductName", false, 0},
                {"\\Nothing", false, 0}};
    for (const auto& row : rows) {
        void* value = nullptr;
        std::uint32_t length = 0;
        EXPECT_EQ(VerQueryValueA(block.data(), row.path, &value, &length), row.found) << row.path;
        if (row.found) {
            EXPECT_EQ(length, row.length) << row.path;
        }
    }
}

TEST(VerInfoFileTest, OurOwnExecutableCarriesTheProjectVersion) {
    std::string self = "/proc/self/exe";
    const TVerInfoRes info(self);
    EXPECT_EQ(info.VersionText(), std::string(CORVEL_VERSION) + ".0");
    EXPECT_EQ(info.ProductText(), CORVEL_PRODUCT_NAME);
    EXPECT_EQ(info.InfoString(0), "Kestrone");
    EXPECT_EQ(ProductCaption(self), std::string("Corvel ") + CORVEL_VERSION + ".0");
}

TEST(VerInfoFileTest, ResourceCompiledForWindowsIsReadFromThePeFile) {
    for (const char* name : {"verinfo64.dll", "verinfo32.dll"}) {
        const TVerInfoRes info(std::string(CORVEL_TEST_DATA) + "/" + name);
        EXPECT_EQ(info.VersionText(), "2.5.1.7") << name;
        EXPECT_EQ(info.ProductText(), "Fixture Product") << name;
        EXPECT_EQ(info.InfoString(0), "Kestrone Test Fixtures") << name;
        EXPECT_EQ(info.InfoString(4), "Copyright \xC2\xA9 Kestrone") << name;
        EXPECT_EQ(info.Flags(), (std::vector<std::string>{"Pre-release", "Private build",
                                                          "Special build", "Debug"}))
            << name;
    }
}

} // namespace
} // namespace corvel
