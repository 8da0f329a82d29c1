// The binder on a machine where the device-access library is missing, appears later, or lacks
// its functions. This program lives in a folder without the library, and each test gives the
// loader a system folder of its own.

#include "app/core/zoqn_helper.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/hub_device.h"
#include "platform/system_folder.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/tests/temporary_folder.h"

namespace zo::quintel {
namespace {

using platform::testing::ScopedEnvironmentVariable;
using platform::testing::TemporaryFolder;

// CloseDevice of no handle: 1 without the library, the library's own answer with it.
constexpr std::int32_t kNotLoaded = QN_ERR_FAILED;
constexpr std::int32_t kAnsweredByTheLibrary = QN_ERR_NO_HANDLE;

class BinderWithoutLibrary : public ::testing::Test {
  protected:
    void install(const char* file = QUINTELDRV_PATH) {
        std::filesystem::copy_file(file, installed(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    void uninstall() { std::filesystem::remove(installed()); }
    std::filesystem::path installed() const { return system_.path() / kDeviceLibraryFileName; }
    bool libraryInMemory() const {
        void* handle = ::dlopen(installed().c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle != nullptr) {
            ::dlclose(handle);
        }
        return handle != nullptr;
    }

    TemporaryFolder system_;
    ScopedEnvironmentVariable variable_{platform::kSystemFolderVariable, system_.path().string()};
};

TEST_F(BinderWithoutLibrary, EveryForwarderAnswersOne) {
    const CZoqnHelper binder;
    QnDeviceRecord records[2];
    std::uint32_t count = 7;
    QnHandle handle = nullptr;
    QnDeviceSettings settings{};
    std::int32_t value = 0;
    EXPECT_EQ(CZoqnHelper::LoadDriver(), 1);
    CZoqnHelper::UnloadDriver();
    EXPECT_EQ(CZoqnHelper::EnumDevices(records, &count), 1);
    EXPECT_EQ(count, 7u) << "the caller's count stays";
    EXPECT_EQ(CZoqnHelper::OpenDevice(1, &handle), 1);
    EXPECT_EQ(CZoqnHelper::CloseDevice(handle), 1);
    EXPECT_EQ(CZoqnHelper::GetDeviceInfo(handle, 5, &value, &value), 1);
    EXPECT_EQ(CZoqnHelper::ReadDefaultSettings(handle, &settings), 1);
    EXPECT_EQ(CZoqnHelper::ReadDeviceSettings(handle, &settings), 1);
    EXPECT_EQ(CZoqnHelper::RefreshDeviceSettings(handle, &settings), 1);
    EXPECT_EQ(CZoqnHelper::SetParameter(handle, &settings, 0, 0, 0), 1);
    EXPECT_EQ(CZoqnHelper::OpenOutputs(handle, 1), 1);
    EXPECT_EQ(CZoqnHelper::CloseOutputs(handle, 1), 1);
    EXPECT_EQ(CZoqnHelper::SynchMeasure(handle, 1, 0, 1, &value, 2000), 1);
}

TEST_F(BinderWithoutLibrary, TheDeviceObjectRunsWithoutADevice) {
    const CZoqnHelper binder;
    CHubDevice device;
    EXPECT_EQ(device.Open(1), 1);
    EXPECT_EQ(device.handle(), nullptr);
    EXPECT_EQ(device.GetSpeedCode(), 0);
    DeviceConfig config;
    SetDefaultConfig(config);
    config.channels[0].outputOn = 1;
    device.SwitchOutputs(config, true);
    EXPECT_EQ(device.ApplyConfiguration(config), 1);
    EXPECT_EQ(device.settings().size, 0u) << "nothing written without an open device";
}

TEST_F(BinderWithoutLibrary, ABinderMadeAfterAFailedLoadTriesAgainOneAfterASuccessDoesNot) {
    const CZoqnHelper first;
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kNotLoaded);

    install();
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kNotLoaded) << "nothing loads by itself";
    const CZoqnHelper second;
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kAnsweredByTheLibrary);

    uninstall();
    const CZoqnHelper third;
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kAnsweredByTheLibrary) << "bound already";
}

TEST_F(BinderWithoutLibrary, TheLibraryIsFreedOnceWhenTheLastBinderGoes) {
    install();
    {
        const CZoqnHelper outer;
        {
            const CZoqnHelper inner;
            EXPECT_TRUE(libraryInMemory());
        }
        EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kAnsweredByTheLibrary);
        EXPECT_TRUE(libraryInMemory());
    }
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kNotLoaded);
    EXPECT_FALSE(libraryInMemory());

    const CZoqnHelper again;
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), kAnsweredByTheLibrary) << "unbound: loads anew";
}

TEST_F(BinderWithoutLibrary, ALibraryWithoutTheFunctionsIsLoadedButNeverCalled) {
    install(ZOUSBDRV_PATH);
    const CZoqnHelper binder;
    EXPECT_TRUE(libraryInMemory());
    std::uint32_t count = 3;
    EXPECT_EQ(CZoqnHelper::EnumDevices(nullptr, &count), 1);
    EXPECT_EQ(CZoqnHelper::CloseDevice(nullptr), 1);
    CZoqnHelper::UnloadDriver();
}

}  // namespace
}  // namespace zo::quintel
