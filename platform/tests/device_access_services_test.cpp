// The platform services of the device-access library: the millisecond timer and file versions of
// shared objects (named locks have tests of their own).

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/file_version.h"
#include "platform/file_version_note.h"
#include "platform/millisecond_clock.h"
#include "platform/system_folder.h"
#include "platform/tests/temporary_folder.h"

namespace {

TEST(MillisecondClock, NeverRunsBackwards) {
    const std::uint32_t first = zo::platform::millisecondTicks();
    const std::uint32_t second = zo::platform::millisecondTicks();
    EXPECT_LT(static_cast<std::uint32_t>(second - first), 1000u);
}

// This test program carries a version note of its own, so its file has one to find.
ZO_FILE_VERSION_NOTE(3, 14, 15, 92);

TEST(FileVersion, ReadsTheVersionNoteOfAnElfFile) {
    const auto version = zo::platform::readFileVersion("/proc/self/exe");
    ASSERT_TRUE(version);
    EXPECT_EQ(*version, (zo::platform::FileVersion{3, 14, 15, 92}));
}

TEST(FileVersion, FindsNoneInFilesWithoutANoteOrThatAreNotElf) {
    zo::platform::testing::TemporaryFolder folder;
    const auto text = folder.path() / "text.so";
    std::ofstream(text) << "not a shared object";
    EXPECT_FALSE(zo::platform::readFileVersion(text));
    EXPECT_FALSE(zo::platform::readFileVersion(folder.path() / "missing.so"));
    // The system library is an ELF file without a version note.
    EXPECT_FALSE(zo::platform::readFileVersion(zo::platform::systemFolder() / "libZoSystem.so"));
}

TEST(FileVersion, RefusesTruncatedAndCorruptedImagesWithoutReadingPastThem) {
    std::ifstream file("/proc/self/exe", std::ios::binary);
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    ASSERT_TRUE(zo::platform::findFileVersion(image));
    // Cut anywhere before the section headers at the end: nothing is found, nothing overruns.
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{4}, std::size_t{64}, image.size() / 2, image.size() - 1}) {
        const std::span<const std::uint8_t> cut(image.data(), size);
        EXPECT_FALSE(zo::platform::findFileVersion(cut)) << size;
    }
    // Section header table moved far beyond the end.
    std::vector<std::uint8_t> corrupted = image;
    const std::uint64_t farAway = ~std::uint64_t{0} - 8;
    std::memcpy(corrupted.data() + 0x28, &farAway, sizeof farAway);  // e_shoff of ELF64
    EXPECT_FALSE(zo::platform::findFileVersion(corrupted));
}

}  // namespace
