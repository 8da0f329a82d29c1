// The settings record: defaults, reading, parameters, attributes, validation and refresh.

#include <array>
#include <cstring>
#include <limits>

#include <set>

#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

constexpr std::array<uint32_t, 17> kIdentifiers = {0,  1,  2,  3,  4,  5,  6,  7, 10,
                                                   11, 14, 15, 16, 19, 20, 23, 24};
constexpr std::array<uint32_t, 17> kMaxima = {
    4, UINT32_MAX, UINT32_MAX, UINT32_MAX, 1,  1, 10,    1, 10,
    1, UINT32_MAX, UINT32_MAX, UINT32_MAX, 10, 1, 65535, 1};

class SettingsTest : public LibraryTest {
  protected:
    void SetUp() override {
        hub_ = plug();
        handle_ = probeAndOpen();
        ASSERT_NE(handle_, nullptr);
    }
    std::shared_ptr<RecordingDevice> hub_;
    QnHandle handle_ = nullptr;
};

TEST_F(SettingsTest, DefaultRecordRightAfterOpeningIsTheDocumentedOneByteForByte) {
    QnDeviceSettings expected = sizedRecord();
    expected.measureInput = 1;
    for (QnChannelSettings& channel : expected.channels) {
        channel.highTime = channel.lowTime = channel.highTime2 = channel.lowTime2 = 1;
        channel.extSource = channel.pulseCount = channel.retrigger = 1;
    }
    for (auto* read : {&QnReadDefaultSettings, &QnReadDeviceSettings}) {
        QnDeviceSettings settings = sizedRecord();
        std::memset(settings.reserved, 0xEE, sizeof settings.reserved);
        ASSERT_EQ(read(handle_, &settings), QN_OK);
        EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0);
    }
}

TEST_F(SettingsTest, EveryRecordFunctionRefusesAWrongSizeMarkerFirstAndANullHandleBeforeThat) {
    for (const uint32_t size : {1024u, 0u}) {
        QnDeviceSettings settings = sizedRecord();
        settings.size = size;
        settings.measureInput = 99;  // not looked at
        const QnDeviceSettings before = settings;
        uint32_t attribute = 0;
        int32_t value = 0;
        EXPECT_EQ(QnReadDefaultSettings(handle_, &settings), QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(QnReadDeviceSettings(handle_, &settings), QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(QnValidateDeviceSettings(handle_, &settings), QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(QnGetParameterAttribute(handle_, &settings, 99, 99, &attribute),
                  QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(QnGetParameter(handle_, &settings, 99, 99, &value), QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(QnSetParameter(handle_, &settings, 99, 99, 0), QN_ERR_BAD_SETTINGS);
        EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
    }
    uint32_t attribute = 0;
    int32_t value = 0;
    EXPECT_EQ(QnReadDefaultSettings(nullptr, nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnReadDeviceSettings(nullptr, nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnRefreshDeviceSettings(nullptr, nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnValidateDeviceSettings(nullptr, nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnGetParameterAttribute(nullptr, nullptr, 0, 0, nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnGetParameter(nullptr, nullptr, 0, 0, nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnSetParameter(nullptr, nullptr, 0, 0, 0), QN_ERR_NO_HANDLE);

    EXPECT_EQ(QnReadDefaultSettings(handle_, nullptr), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnReadDeviceSettings(handle_, nullptr), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnRefreshDeviceSettings(handle_, nullptr), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnValidateDeviceSettings(handle_, nullptr), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetParameterAttribute(handle_, nullptr, 0, 0, &attribute), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnGetParameter(handle_, nullptr, 0, 0, &value), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnSetParameter(handle_, nullptr, 0, 0, 0), QN_ERR_BAD_ARG);
    QnDeviceSettings wrong = sizedRecord();
    wrong.size = 0;
    EXPECT_EQ(QnGetParameterAttribute(handle_, &wrong, 0, 0, nullptr), QN_ERR_BAD_ARG)
        << "a null result pointer is named before the size marker";
    EXPECT_EQ(QnGetParameter(handle_, &wrong, 0, 0, nullptr), QN_ERR_BAD_ARG);
}

TEST_F(SettingsTest, ParametersReachTheirOwnFieldsAndUnknownIdentifiersAreRefused) {
    QnDeviceSettings settings = sizedRecord();
    for (std::size_t field = 0; field < kIdentifiers.size(); ++field) {
        ASSERT_EQ(QnSetParameter(handle_, &settings, 5, kIdentifiers[field], 1), QN_OK);
        const auto* words = reinterpret_cast<const uint32_t*>(&settings);
        EXPECT_EQ(words[4 + 17 * 5 + field], 1u) << "identifier " << kIdentifiers[field];
        int32_t value = -1;
        ASSERT_EQ(QnGetParameter(handle_, &settings, 5, kIdentifiers[field], &value), QN_OK);
        EXPECT_EQ(value, 1);
    }
    const QnDeviceSettings before = settings;
    for (const uint32_t unknown : {8u, 9u, 12u, 13u, 17u, 18u, 21u, 22u, 25u, 1000u}) {
        int32_t value = 0;
        EXPECT_EQ(QnSetParameter(handle_, &settings, 0, unknown, 0), QN_ERR_BAD_ID) << unknown;
        EXPECT_EQ(QnGetParameter(handle_, &settings, 0, unknown, &value), QN_ERR_BAD_ID);
    }
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
}

TEST_F(SettingsTest, ChannelEdgesAndRangeChecksLeaveTheRecordAsItWas) {
    QnDeviceSettings settings = sizedRecord();
    int32_t value = 0;
    EXPECT_EQ(QnGetParameter(handle_, &settings, 8, QN_PARAM_MODE, &value), QN_ERR_RANGE);
    EXPECT_EQ(QnGetParameter(handle_, &settings, 7, QN_PARAM_MODE, &value), QN_OK);
    EXPECT_EQ(QnSetParameter(handle_, &settings, 9, QN_PARAM_MODE, 0), QN_ERR_RANGE);
    EXPECT_EQ(QnSetParameter(handle_, &settings, 9, 99, 0), QN_ERR_RANGE) << "channel first";

    const QnDeviceSettings before = settings;
    EXPECT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_GATE_SOURCE, 11), QN_ERR_RANGE);
    EXPECT_EQ(QnSetParameter(handle_, &settings, 8, QN_PARAM_PULSE_COUNT, 65536), QN_ERR_RANGE);
    EXPECT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_MODE, UINT32_MAX), QN_ERR_RANGE);
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0) << "all or none";

    EXPECT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_GATE_SOURCE, 10), QN_OK);
    EXPECT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_DELAY, UINT32_MAX), QN_OK);
    ASSERT_EQ(QnGetParameter(handle_, &settings, 0, QN_PARAM_DELAY, &value), QN_OK);
    EXPECT_EQ(value, -1) << "the full unsigned range travels as its 32 bits";

    ASSERT_EQ(QnSetParameter(handle_, &settings, 8, QN_PARAM_PULSE_COUNT, 700), QN_OK);
    for (const QnChannelSettings& channel : settings.channels) {
        EXPECT_EQ(channel.pulseCount, 700u);
    }
}

TEST_F(SettingsTest, AttributesGiveLimitsTimingFlagAndWritability) {
    const QnDeviceSettings settings = sizedRecord();
    for (std::size_t field = 0; field < kIdentifiers.size(); ++field) {
        const uint32_t id = kIdentifiers[field];
        uint32_t minimum = 9, maximum = 9, timing = 9, readOnly = 9;
        ASSERT_EQ(QnGetParameterAttribute(handle_, &settings, id, QN_ATTR_MINIMUM, &minimum), 0);
        ASSERT_EQ(QnGetParameterAttribute(handle_, &settings, id, QN_ATTR_MAXIMUM, &maximum), 0);
        ASSERT_EQ(QnGetParameterAttribute(handle_, &settings, id, QN_ATTR_TIMING, &timing), 0);
        ASSERT_EQ(QnGetParameterAttribute(handle_, &settings, id, QN_ATTR_READ_ONLY, &readOnly), 0);
        EXPECT_EQ(minimum, 0u);
        EXPECT_EQ(maximum, kMaxima[field]) << "identifier " << id;
        const bool isTiming = id == 2 || id == 3 || id == 15 || id == 16 || id == 19 || id == 23;
        EXPECT_EQ(timing, isTiming ? 1u : 0u) << "identifier " << id;
        EXPECT_EQ(readOnly, 0u);
    }
    uint32_t value = 0;
    EXPECT_EQ(QnGetParameterAttribute(handle_, &settings, 8, 7, &value), QN_ERR_BAD_ID)
        << "identifier before kind";
    EXPECT_EQ(QnGetParameterAttribute(handle_, &settings, 0, 4, &value), QN_ERR_BAD_ARG);
}

TEST_F(SettingsTest, ValidationClampsEverythingInOnePassAndThenFindsNothing) {
    QnDeviceSettings settings = sizedRecord();
    ASSERT_EQ(QnReadDefaultSettings(handle_, &settings), QN_OK);
    EXPECT_EQ(QnValidateDeviceSettings(handle_, &settings), QN_OK) << "defaults are valid";

    settings.channels[3].gateSource = 12;
    settings.measureInput = 20;
    settings.measureMode = 2;
    settings.measureEdge = 12345;  // not checked
    settings.channels[7].pulseCount = UINT32_MAX;
    settings.channels[0].delay = UINT32_MAX;
    settings.reserved[0] = 42;  // not checked
    EXPECT_EQ(QnValidateDeviceSettings(handle_, &settings), QN_ERR_BAD_SETTINGS);
    EXPECT_EQ(settings.channels[3].gateSource, 10u);
    EXPECT_EQ(settings.measureInput, 10u);
    EXPECT_EQ(settings.measureMode, 1u);
    EXPECT_EQ(settings.measureEdge, 12345u);
    EXPECT_EQ(settings.channels[7].pulseCount, 65535u);
    EXPECT_EQ(settings.channels[0].delay, UINT32_MAX);
    EXPECT_EQ(settings.reserved[0], 42u);
    EXPECT_EQ(QnValidateDeviceSettings(handle_, &settings), QN_OK);
}

TEST_F(SettingsTest, RefreshUploadsOnlyTheChangedChannelAndRestartsTheOutputs) {
    QnDeviceSettings settings = sizedRecord();
    ASSERT_EQ(QnReadDefaultSettings(handle_, &settings), QN_OK);
    ASSERT_EQ(QnSetParameter(handle_, &settings, 2, QN_PARAM_HIGH_TIME, 500), QN_OK);
    const std::size_t from = hub_->requests(0xFB).size();
    EXPECT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
    const auto writes = registerWrites(*hub_, from);
    // Outputs off, channel 2's program (two constants, four instructions) through registers
    // 8..11, then the restart: off, (no channel enabled), on.
    ASSERT_EQ(writes.size(), 2u + 3 * 2 + 4 * 4 + 2);
    EXPECT_EQ(writes.front(), (std::pair{0x40, 0}));
    EXPECT_EQ(writes[1], (std::pair{11, 0}));
    for (std::size_t i = 1; i + 2 < writes.size(); ++i) {
        EXPECT_TRUE(writes[i].first >= 8 && writes[i].first <= 11) << "write " << i;
    }
    EXPECT_EQ(writes.back(), (std::pair{0x40, 0}));

    const std::size_t again = hub_->requests(0xFB).size();
    EXPECT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
    EXPECT_EQ(hub_->requests(0xFB).size(), again) << "an unchanged record sends nothing";

    QnDeviceSettings current = sizedRecord();
    ASSERT_EQ(QnReadDeviceSettings(handle_, &current), QN_OK);
    EXPECT_EQ(std::memcmp(&current, &settings, sizeof settings), 0);
}

TEST_F(SettingsTest, AFailedUploadEndsThePassAndTheNextRefreshTriesAgain) {
    QnDeviceSettings settings = sizedRecord();
    ASSERT_EQ(QnReadDefaultSettings(handle_, &settings), QN_OK);
    ASSERT_EQ(QnSetParameter(handle_, &settings, 8, QN_PARAM_LOW_TIME, 40), QN_OK);
    hub_->hub().stallNextControlTransfers(1);
    EXPECT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_ERR_DEVICE);
    const std::size_t from = hub_->requests(0xFB).size();
    EXPECT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
    std::set<int> programs;
    for (const auto& [reg, value] : registerWrites(*hub_, from)) {
        if (reg < 32) {
            programs.insert(reg / 4);
        }
    }
    EXPECT_EQ(programs.size(), 8u) << "every channel differs from the last-applied record";
}

// A refresh takes the caller's measurement header but loads channel programs only: the next
// measurement must not trust the header to describe the program the hub holds.
TEST_F(SettingsTest, AMeasurementAfterARefreshThatChangedTheHeaderMeasuresWhatItAsks) {
    int32_t result = 0;
    ASSERT_EQ(QnSynchMeasure(handle_, 2, 0, 1, &result, 2000), QN_OK);
    EXPECT_EQ(result, 400000) << "2.5 kHz on input B";
    QnDeviceSettings settings = sizedRecord();
    ASSERT_EQ(QnReadDeviceSettings(handle_, &settings), QN_OK);
    settings.measureInput = 1;
    ASSERT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
    ASSERT_EQ(QnSynchMeasure(handle_, 1, 0, 1, &result, 2000), QN_OK);
    EXPECT_EQ(result, 1000000) << "1 kHz on input A, not input B's period";
}

TEST_F(SettingsTest, ReopeningStartsFromTheDefaultsAgain) {
    QnDeviceSettings settings = sizedRecord();
    ASSERT_EQ(QnReadDefaultSettings(handle_, &settings), QN_OK);
    settings.channels[0].mode = 3;
    QnRefreshDeviceSettings(handle_, &settings);
    ASSERT_EQ(QnCloseDevice(handle_), QN_OK);
    QnHandle reopened = nullptr;
    ASSERT_EQ(QnOpenDevice(1, &reopened), QN_OK);
    QnDeviceSettings current = sizedRecord();
    ASSERT_EQ(QnReadDeviceSettings(reopened, &current), QN_OK);
    EXPECT_EQ(current.channels[0].mode, 0u);
}

}  // namespace
}  // namespace zo::test
