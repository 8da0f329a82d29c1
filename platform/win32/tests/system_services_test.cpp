// The Win32 platform services under Windows (Wine in the test run): environment strings, system
// folder, program and module files, shared libraries, file versions, and the host's positioned
// files beneath them.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "host/loaded_module.h"
#include "host/positioned_file.h"
#include "platform/environment_strings.h"
#include "platform/file_version.h"
#include "platform/process_architecture.h"
#include "platform/program_file.h"
#include "platform/shared_library.h"
#include "platform/system_folder.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/tests/temporary_folder.h"
#include "platform/win32/simulated_machine_interface.h"

namespace zo::platform {
namespace {

using testing::ScopedEnvironmentVariable;
using testing::TemporaryFolder;

std::string lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return text;
}

TEST(Win32Environment, NamesIgnoreCaseAndUndefinedNamesStayAsWritten) {
    const ScopedEnvironmentVariable variable("ZO_TEST_Mixed_Case", "value");
    EXPECT_EQ(environmentVariable("zo_test_mixed_case"), "value");
    EXPECT_FALSE(environmentVariable("ZO_TEST_NOT_DEFINED"));
    EXPECT_FALSE(environmentVariable(""));
    EXPECT_EQ(expandEnvironmentStrings("<%ZO_TEST_MIXED_CASE%|%ZO_TEST_NOT_DEFINED%|%open>"),
              "<value|%ZO_TEST_NOT_DEFINED%|%open>");
}

TEST(Win32SystemFolder, IsSystem32UnlessTheVariableNamesAnother) {
    EXPECT_EQ(lowered(systemFolder().filename().string()), "system32");
    const ScopedEnvironmentVariable variable(kSystemFolderVariable, "C:\\elsewhere");
    EXPECT_EQ(systemFolder(), "C:\\elsewhere");
}

TEST(Win32ProgramFiles, TheProgramAndItsModulesAreFoundWhereTheyLie) {
    const std::filesystem::path program = runningProgramFile();
    EXPECT_EQ(lowered(program.filename().string()), "win32_services_test.exe");
    EXPECT_EQ(host::folderOfModuleContaining(reinterpret_cast<const void*>(&runningProgramFile)),
              program.parent_path());
    EXPECT_FALSE(processArchitecture().isUnder32BitEmulation());
}

TEST(Win32SharedLibrary, APlainNameIsFoundBesideTheProgramAndItsFunctionsByName) {
    EXPECT_EQ(sharedLibraryFileName("ZoSystem"), "ZoSystem.dll");
    const std::optional<SharedLibrary> library = SharedLibrary::load("ZoSystem.dll");
    ASSERT_TRUE(library);
    EXPECT_NE(library->symbol(win32::kSimulatedOpen), nullptr);
    EXPECT_EQ(library->symbol("NoSuchFunction"), nullptr);
    EXPECT_FALSE(SharedLibrary::load("NoSuchLibrary.dll"));
    EXPECT_FALSE(SharedLibrary::load(""));
}

TEST(Win32FileVersion, IsReadFromTheVersionResourceOnly) {
    const auto system = readFileVersion(systemFolder() / "kernel32.dll");
    ASSERT_TRUE(system);
    EXPECT_GT((*system)[0], 0);

    const TemporaryFolder folder;
    std::ofstream(folder.path() / "text.dll") << "not a program";
    EXPECT_FALSE(readFileVersion(folder.path() / "text.dll"));
    EXPECT_FALSE(readFileVersion(folder.path() / "missing.dll"));
    EXPECT_FALSE(readFileVersion(folder.path()));
    EXPECT_FALSE(readFileVersion(runningProgramFile()));  // the test program states none
}

TEST(Win32PositionedFile, WritesLandAtTheirOffsetsAndATruncationCutsThemOff) {
    const TemporaryFolder folder;
    const std::filesystem::path path = folder.path() / "records.bin";
    std::error_code error;
    auto file = host::PositionedFile::create(path.string(), error);
    ASSERT_TRUE(file) << error.message();
    const std::uint8_t first[] = {'a', 'b', 'c'};
    const std::uint8_t second[] = {'d', 'e'};
    EXPECT_FALSE(file->writeAt(first, 0));
    EXPECT_FALSE(file->writeAt(second, 3));
    EXPECT_TRUE(file->truncate(4));
    file.reset();
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "abcd");

    EXPECT_FALSE(host::PositionedFile::create((folder.path() / "missing" / "x").string(), error));
    EXPECT_TRUE(error);
}

}  // namespace
}  // namespace zo::platform
