// Each SetupAid export against a prepared registry and folder tree, through the exported C
// interface the installer calls.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>

#include "platform/process_architecture.h"
#include "platform/registry/reg_exchange.h"
#include "platform/registry/win_registry.h"
#include "platform/system_folder.h"
#include "platform/tests/temporary_registry.h"
#include "setup/setup_aid.h"

namespace zo::setup {
namespace {

namespace reg = zo::platform::registry;
using platform::testing::ScopedEnvironmentVariable;
using platform::testing::TemporaryFolder;
using platform::testing::TemporaryRegistry;

constexpr int kSize = 260;

class SetupAidExports : public ::testing::Test {
  protected:
    // Adds the keys and values of .reg text (without its header) to the test's registry.
    static void prepare(const std::string& keys) {
        const auto failure = reg::importRegText("Windows Registry Editor Version 5.00\n" + keys,
                                                reg::KEY_ALL_ACCESS);
        ASSERT_EQ(failure.status, reg::ERROR_SUCCESS) << failure.message;
    }
    static std::array<char, kSize> untouched() {
        std::array<char, kSize> buffer{};
        buffer.fill('u');
        buffer.back() = '\0';
        return buffer;
    }
    static bool isUntouched(const std::array<char, kSize>& buffer) { return buffer == untouched(); }
    static void touch(const std::filesystem::path& file) { std::ofstream(file) << "calibration"; }

    TemporaryRegistry registry_;
    std::array<char, kSize> buffer_ = untouched();
};

TEST_F(SetupAidExports, NationalInstrumentsPackagesAreFoundByTheirValues) {
    EXPECT_EQ(IsNIDAQInstalled(), 0);
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\National Instruments\\NI-DAQ\\CurrentVersion]\n"
        "\"Version\"=dword:00000009\n"
        "[HKEY_LOCAL_MACHINE\\Software\\National Instruments\\NI-IMAQ for Windows 95/NT]\n"
        "\"NIIMAQPATH\"=\"C:\\\\NI\\\\IMAQ\"\n");
    EXPECT_EQ(IsNIDAQInstalled(), 1);
    EXPECT_EQ(IsNIIMAQInstalled(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "C:\\NI\\IMAQ");

    std::array<char, 8> small{'s', 's', 's', 's', 's', 's', 's', 's'};
    EXPECT_EQ(IsNIIMAQInstalled(small.data(), small.size()), 0);
    EXPECT_EQ(small[0], 's');

    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\National Instruments\\NI-DAQ\\CurrentVersion]\n"
        "\"Version\"=\"" +
        std::string(255, '9') + "\"\n");
    EXPECT_EQ(IsNIDAQInstalled(), 0);  // 256 bytes do not fit the 255-byte buffer
}

TEST_F(SetupAidExports, LabviewReportsItsPathAndHundredfoldVersionInTheRightView) {
    int version = -1;
    EXPECT_EQ(IsLabVIEWInstalled(0, &version, buffer_.data(), kSize), 0);
    EXPECT_EQ(version, -1);
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\National Instruments\\LabVIEW\\CurrentVersion]\n"
        "\"Path\"=\"/opt/labview64\"\n\"Version\"=\"8.6\"\n"
        "[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\National "
        "Instruments\\LabVIEW\\CurrentVersion]\n"
        "\"Path\"=\"/opt/labview32\"\n\"Version\"=\"9.0\"\n");

    EXPECT_EQ(IsLabVIEWInstalled(1, &version, buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/labview64");
    EXPECT_EQ(version, 860);

    const platform::FixedProcessArchitecture emulated(true);
    const platform::ScopedProcessArchitecture scoped(emulated);
    EXPECT_EQ(IsLabVIEWInstalled(0, &version, buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/labview32");
    EXPECT_EQ(version, 900);
    EXPECT_EQ(IsLabVIEWInstalled(1, &version, buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/labview64");
    EXPECT_EQ(version, 860);
}

TEST_F(SetupAidExports, MatlabReportsTheNewestReleaseByNumberNotByText) {
    int version = -1;
    EXPECT_EQ(IsMatlabInstalled(&version, buffer_.data(), kSize), 0);
    EXPECT_EQ(version, 0);
    EXPECT_TRUE(isUntouched(buffer_));

    prepare(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\MathWorks\\MATLAB\\R2019a]\n"
        "\"MATLABROOT\"=\"/opt/r2019a\"\n");
    EXPECT_EQ(IsMatlabInstalled(&version, buffer_.data(), kSize), 0);
    EXPECT_EQ(version, 0);

    prepare(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\MathWorks\\MATLAB\\7.4]\n\"MATLABROOT\"=\"/opt/m74\"\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\MathWorks\\MATLAB\\7.10]\n\"MATLABROOT\"=\"/opt/m710\"\n");
    EXPECT_EQ(IsMatlabInstalled(&version, buffer_.data(), kSize), 1);
    EXPECT_EQ(version, 710);
    EXPECT_STREQ(buffer_.data(), "/opt/m710");

    prepare(
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\MathWorks\\MATLAB]\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\MathWorks\\MATLAB\\7]\n");
    buffer_ = untouched();
    EXPECT_EQ(IsMatlabInstalled(&version, buffer_.data(), kSize), 1);
    EXPECT_EQ(version, 700);
    EXPECT_TRUE(isUntouched(buffer_));
}

TEST_F(SetupAidExports, ProgramFoldersAreCutFromRegisteredCommands) {
    EXPECT_EQ(IsCEAppMgrInstalled(buffer_.data(), kSize), 0);
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
        "CEAPPMGR.EXE]\n@=\"C:\\\\Program Files\\\\ActiveSync\\\\CEAPPMGR.EXE\"\n");
    EXPECT_EQ(IsCEAppMgrInstalled(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "C:\\Program Files\\ActiveSync");

    prepare(
        "[HKEY_CLASSES_ROOT\\Tecplot.Data\\shell\\open\\command]\n@=\"/opt/tecplot/bin/tec360\"\n");
    EXPECT_EQ(IsTecplotInstalled(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/tecplot/bin");

    prepare("[HKEY_CLASSES_ROOT\\Tecplot.Binary\\shell\\open\\command]\n@=\"tec360\"\n");
    buffer_ = untouched();
    EXPECT_EQ(IsTecplotInstalled(buffer_.data(), kSize), 0);  // no folder to cut
    EXPECT_TRUE(isUntouched(buffer_));
}

TEST_F(SetupAidExports, TecplotFallsBackToTheFirstHomeVariableThatExists) {
    std::vector<std::unique_ptr<ScopedEnvironmentVariable>> cleared;
    for (const char* name : {"Tec_Focus_2010", "Tec_Focus_2009", "Tec_Focus_2008", "TecFocusHome",
                             "Tec100Home", "Tec90Home", "Tec80Home"}) {
        cleared.push_back(std::make_unique<ScopedEnvironmentVariable>(name, std::nullopt));
    }
    EXPECT_EQ(IsTecplotInstalled(buffer_.data(), kSize), 0);
    EXPECT_TRUE(isUntouched(buffer_));

    const ScopedEnvironmentVariable tec80("Tec80Home", "/opt/tec80");
    const ScopedEnvironmentVariable tec90("TEC90HOME", "/opt/tec90/");
    EXPECT_EQ(IsTecplotInstalled(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/tec90/bin/");
}

TEST_F(SetupAidExports, SaperaPrefersItsVariableOverItsRegistryEntry) {
    const ScopedEnvironmentVariable unset("SAPERADIR", std::nullopt);
    EXPECT_EQ(IsSaperaInstalled(buffer_.data(), kSize), 0);
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\Coreco\\Dalsa Coreco Sapera LT]\n"
        "\"TargetDir\"=\"C:\\\\Sapera\\\\\"\n");
    EXPECT_EQ(IsSaperaInstalled(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "C:\\Sapera");
    {
        const ScopedEnvironmentVariable set("SAPERADIR", "/opt/sapera/");
        EXPECT_EQ(IsSaperaInstalled(buffer_.data(), kSize), 1);
        EXPECT_STREQ(buffer_.data(), "/opt/sapera");
    }
    const ScopedEnvironmentVariable empty("SAPERADIR", "");
    buffer_ = untouched();
    EXPECT_EQ(IsSaperaInstalled(buffer_.data(), kSize), 1);
    EXPECT_TRUE(isUntouched(buffer_));
}

TEST_F(SetupAidExports, PlainRegistryTextsAreCopiedOnlyWhenTheyFit) {
    prepare(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\BitFlow]\n"
        "\"BFConfigDir\"=\"/opt/bitflow/config\"\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Valdra\\KestravaX]\n"
        "\"CalibrationFileDirectory\"=\"/srv/calibration\"\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
        "Folders]\n"
        "\"Common Documents\"=\"" +
        std::string(256, 'd') + "\"\n");
    EXPECT_EQ(IsBitflowInstalled(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/bitflow/config");
    EXPECT_EQ(GetCameraFilesDst(buffer_.data(), kSize), 1);
    EXPECT_STREQ(buffer_.data(), "/srv/calibration");
    buffer_ = untouched();
    EXPECT_EQ(GetEnvAppDataPath(buffer_.data(), kSize), 0);  // 257 bytes exceed its 256
    EXPECT_TRUE(isUntouched(buffer_));
    prepare(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
        "Folders]\n\"Common Documents\"=\"" +
        std::string(255, 'd') + "\"\n");
    EXPECT_EQ(GetEnvAppDataPath(buffer_.data(), kSize), 1);
    EXPECT_EQ(std::string(buffer_.data()), std::string(255, 'd'));
}

TEST_F(SetupAidExports, VersionTextsCompareDigitByDigitWeight) {
    EXPECT_EQ(IsVersionOK("1.11.00", "1.10.05", nullptr), 1);
    EXPECT_EQ(IsVersionOK("1.10.05", "1.11.00", nullptr), 0);
    EXPECT_EQ(IsVersionOK("1.10.05", "1.10.05", nullptr), 1);
    EXPECT_EQ(IsVersionOK("1.1", "1.10.05", nullptr), 0);
    EXPECT_EQ(IsVersionOK(nullptr, "1.10.05", nullptr), 0);
}

TEST_F(SetupAidExports, KestravaXInstallationAndDatabasePath) {
    const TemporaryFolder database;
    std::array<char, kSize> version = untouched();
    EXPECT_EQ(IsNorvikInstalled(buffer_.data(), version.data(), kSize, 0), 0);
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\Valdra\\KestravaX\\CurrentVersion]\n"
        "\"Version\"=\"2.01.00\"\n\"ImgPath\"=\"" +
        database.path().string() + "\"\n");
    EXPECT_EQ(IsNorvikInstalled(buffer_.data(), version.data(), kSize, 1), 0);
    EXPECT_STREQ(version.data(), "2.01.00");
    EXPECT_TRUE(isUntouched(buffer_));

    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\Valdra\\KestravaX\\CurrentVersion]\n"
        "\"AppPath\"=\"/opt/kestravax\"\n");
    EXPECT_EQ(IsNorvikInstalled(buffer_.data(), version.data(), kSize, 1), 1);
    EXPECT_STREQ(buffer_.data(), "/opt/kestravax");

    EXPECT_EQ(IsNorvikDatabasePathSet(buffer_.data(), kSize), 1);
    EXPECT_EQ(std::string(buffer_.data()), database.path().string());
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\Valdra\\KestravaX\\CurrentVersion]\n"
        "\"ImgPath\"=\"" +
        (database.path() / "missing").string() + "\"\n");
    buffer_ = untouched();
    EXPECT_EQ(IsNorvikDatabasePathSet(buffer_.data(), kSize), 0);
    EXPECT_TRUE(isUntouched(buffer_));
}

TEST_F(SetupAidExports, CameraFilesSourceIsBesideTheSetupFolder) {
    const TemporaryFolder media;
    const auto setup = media.path() / "Setup";
    std::filesystem::create_directories(setup / "Disk1");
    std::array<char, kSize> name = untouched();
    const auto disk = (setup / "Disk1").string() + "/";
    EXPECT_EQ(GetCameraFilesSrc(disk.c_str(), buffer_.data(), name.data(), kSize), 0);

    std::filesystem::create_directories(setup / "CameraFiles" / "0_folder.dat");
    touch(setup / "CameraFiles" / "readme.txt");
    touch(setup / "CameraFiles" / "tarvn_2.dat");
    touch(setup / "CameraFiles" / "TARVN_1.DAT");
    EXPECT_EQ(GetCameraFilesSrc(disk.c_str(), buffer_.data(), name.data(), kSize), 1);
    EXPECT_EQ(std::string(buffer_.data()), (setup / "CameraFiles").string());
    EXPECT_STREQ(name.data(), "TARVN_1.DAT");
}

TEST_F(SetupAidExports, CameraFileNamesNeverOverrunTheCallersBuffer) {
    const TemporaryFolder media;
    const auto cameraFiles = media.path() / "CameraFiles";
    std::filesystem::create_directories(cameraFiles);
    const auto setup = (media.path() / "Disk1").string();
    const int folderFits = static_cast<int>(cameraFiles.string().size()) + 1;

    // A name one byte longer than the buffer that just holds the folder.
    touch(cameraFiles / (std::string(static_cast<std::size_t>(folderFits) - 4, 'n') + ".dat"));
    std::array<char, kSize> name = untouched();
    EXPECT_EQ(GetCameraFilesSrc(setup.c_str(), buffer_.data(), name.data(), folderFits), 0);
    EXPECT_TRUE(isUntouched(name));

    std::filesystem::remove_all(cameraFiles);
    std::filesystem::create_directories(cameraFiles);
    touch(cameraFiles / (std::string(130, 'n') + ".dat"));
    EXPECT_EQ(GetCameraFilesSrc(setup.c_str(), buffer_.data(), name.data(), kSize), 0);
    EXPECT_TRUE(isUntouched(name));  // longer than the 128 bytes the library allows
}

TEST_F(SetupAidExports, MisplacedCalibrationFilesAreCountedInEveryFolder) {
    const TemporaryFolder system;
    const TemporaryFolder common32;
    const TemporaryFolder common64;
    const ScopedEnvironmentVariable systemFolder(platform::kSystemFolderVariable,
                                                 system.path().string());
    for (const char* file :
         {"tarvn_12.dat", "QELT_3.dat", "other.dat", "tarvn_1.txt", "Qelt_4.dat"}) {
        touch(system.path() / file);
    }
    std::filesystem::create_directory(system.path() / "tarvn_x.dat");
    EXPECT_EQ(GetWrongCalibFileNo(), 2);

    for (const auto* folder : {&common32, &common64}) {
        std::filesystem::create_directories(folder->path() / "Valdra" / "CameraFiles");
        touch(folder->path() / "Valdra" / "CameraFiles" / "xqelt_9.dat");
    }
    prepare(
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n"
        "\"CommonFilesDir (x86)\"=\"" +
        common32.path().string() +
        "\"\n"
        "\"CommonFilesDir\"=\"" +
        common64.path().string() + "\"\n");
    EXPECT_EQ(GetWrongCalibFileNo(), 3);

    const platform::FixedProcessArchitecture emulated(true);
    const platform::ScopedProcessArchitecture scoped(emulated);
    EXPECT_EQ(GetWrongCalibFileNo(), 4);
}

class SetupAidEnvironment : public SetupAidExports {
  protected:
    static reg::RegistryValue stored(const char* name) {
        reg::HKEY key{};
        std::array<std::uint8_t, 512> data{};
        reg::DWORD size = data.size();
        reg::DWORD type = 0;
        EXPECT_EQ(reg::RegOpenKeyEx(reg::HKEY_LOCAL_MACHINE, kEnvironment, reg::KEY_READ, &key),
                  reg::ERROR_SUCCESS);
        const auto status = reg::RegQueryValueEx(key, name, &type, data.data(), &size);
        reg::RegCloseKey(key);
        return status == reg::ERROR_SUCCESS
                   ? reg::RegistryValue{type, {data.begin(), data.begin() + size}}
                   : reg::RegistryValue{};
    }
    static constexpr const char* kEnvironment =
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    static constexpr const char* kEnvironmentBlock =
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\n";
};

TEST_F(SetupAidEnvironment, ValdraCommonIsStoredAsATerminatedString) {
    EXPECT_EQ(UpdateEnvValue("/opt/valdra", nullptr), 0);  // no Environment key to open
    prepare(kEnvironmentBlock);
    EXPECT_EQ(UpdateEnvValue("/opt/valdra", nullptr), 1);
    EXPECT_EQ(stored("VALDRACOMMON"), reg::textValue(reg::REG_SZ, "/opt/valdra"));
}

TEST_F(SetupAidEnvironment, PathEntryIsReplacedOnceAndTheSecondCallChangesNothing) {
    EXPECT_EQ(UpdateEnvPath("/opt/x", "Bin", nullptr), 0);
    prepare(std::string(kEnvironmentBlock) + "\"Path\"=hex(2):\n");
    EXPECT_EQ(UpdateEnvPath("/opt/x", "Bin", nullptr), 0);  // a Path without data is not rewritten

    prepare(std::string(kEnvironmentBlock) + "\"Path\"=\"/opt/a;%VALDRACOMMON%/Bin;/opt/b\"\n");
    EXPECT_EQ(UpdateEnvPath("/opt/x", "Bin", nullptr), 1);
    EXPECT_EQ(stored("Path"), reg::textValue(reg::REG_EXPAND_SZ, "/opt/a;/opt/b;/opt/x;"));
    const auto hive = TemporaryRegistry::contentOf(registry_.machineHive());
    EXPECT_EQ(UpdateEnvPath("/opt/x", "Bin", nullptr), 1);
    EXPECT_EQ(TemporaryRegistry::contentOf(registry_.machineHive()), hive);

    prepare(std::string(kEnvironmentBlock) + "\"Path\"=\"/opt/xy\"\n");
    EXPECT_EQ(UpdateEnvPath("/opt/x", "Bin", nullptr), 1);
    EXPECT_EQ(reg::textOf(stored("Path")), "/opt/xy");
}

}  // namespace
}  // namespace zo::setup
