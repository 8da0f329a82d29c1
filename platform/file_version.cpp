#include "platform/file_version.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/file_version_note.h"

namespace zo::platform {

namespace {

// Shared objects of the suite are far smaller; larger files are not read at all.
constexpr std::uintmax_t kLargestFile = 256u << 20;

template <typename Record>
std::optional<Record> recordAt(std::span<const std::uint8_t> image, std::uint64_t offset) {
    if (offset > image.size() || image.size() - offset < sizeof(Record)) {
        return std::nullopt;
    }
    Record record;
    std::memcpy(&record, image.data() + offset, sizeof(Record));
    return record;
}

constexpr std::uint64_t alignedToFour(std::uint64_t size) {
    return (size + 3) & ~std::uint64_t{3};
}

// Walks the notes of one SHT_NOTE section for the version note.
std::optional<FileVersion> versionInNotes(std::span<const std::uint8_t> notes) {
    std::uint64_t offset = 0;
    while (const auto header = recordAt<Elf64_Nhdr>(notes, offset)) {
        const std::uint64_t ownerAt = offset + sizeof(Elf64_Nhdr);
        const std::uint64_t descriptorAt = ownerAt + alignedToFour(header->n_namesz);
        const std::uint64_t next = descriptorAt + alignedToFour(header->n_descsz);
        if (next > notes.size()) {
            return std::nullopt;
        }
        if (header->n_type == kFileVersionNoteType &&
            header->n_namesz == std::strlen(kFileVersionNoteOwner.data()) + 1 &&
            std::memcmp(notes.data() + ownerAt, kFileVersionNoteOwner.data(), header->n_namesz) ==
                0 &&
            header->n_descsz == sizeof(FileVersion)) {
            return recordAt<FileVersion>(notes, descriptorAt);
        }
        offset = next;
    }
    return std::nullopt;
}

template <typename FileHeader, typename SectionHeader>
std::optional<FileVersion> versionInSections(std::span<const std::uint8_t> image) {
    const auto file = recordAt<FileHeader>(image, 0);
    if (!file || file->e_shentsize != sizeof(SectionHeader) || file->e_shoff > image.size() ||
        (image.size() - file->e_shoff) / sizeof(SectionHeader) < file->e_shnum) {
        return std::nullopt;  // the section header table must lie wholly inside the file
    }
    for (std::uint64_t index = 0; index < file->e_shnum; ++index) {
        const auto section =
            recordAt<SectionHeader>(image, file->e_shoff + index * sizeof(SectionHeader));
        if (!section || section->sh_type != SHT_NOTE || section->sh_offset > image.size() ||
            image.size() - section->sh_offset < section->sh_size) {
            continue;
        }
        if (auto version = versionInNotes(image.subspan(section->sh_offset, section->sh_size))) {
            return version;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileVersion> findFileVersion(std::span<const std::uint8_t> image) {
    if (image.size() < EI_NIDENT || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0 ||
        image[EI_DATA] != ELFDATA2LSB) {
        return std::nullopt;
    }
    switch (image[EI_CLASS]) {
        case ELFCLASS64:
            return versionInSections<Elf64_Ehdr, Elf64_Shdr>(image);
        case ELFCLASS32:
            return versionInSections<Elf32_Ehdr, Elf32_Shdr>(image);
        default:
            return std::nullopt;
    }
}

std::optional<FileVersion> readFileVersion(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kLargestFile) {
        return std::nullopt;
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(stream),
                                          std::istreambuf_iterator<char>()};
    return findFileVersion(image);
}

}  // namespace zo::platform
