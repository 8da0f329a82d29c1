// The six settings functions and the refresh: reading, editing, checking and applying a caller's
// settings record. The parameter functions work on the record only; the handle is checked for
// being one of the library's, nothing more.

#include "include/QuintelDrv.h"
#include "library/device_table.h"
#include "library/parameter_table.h"
#include "library/program_application.h"
#include "library/settings_record.h"

namespace {

using namespace zo::quinteldrv;

// The checks every settings function starts with: handle, record, size marker.
int32_t checkRecord(QnHandle handle, const QnDeviceSettings* settings) {
    if (contextOf(handle) == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (settings == nullptr) {
        return QN_ERR_BAD_ARG;
    }
    return hasSizeMarker(*settings) ? QN_OK : QN_ERR_BAD_SETTINGS;
}

}  // namespace

extern "C" QN_API int32_t QN_CALL QnReadDefaultSettings(QnHandle handle,
                                                        QnDeviceSettings* settings) {
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    *settings = contextOf(handle)->defaults;
    return QN_OK;
}

extern "C" QN_API int32_t QN_CALL QnReadDeviceSettings(QnHandle handle,
                                                       QnDeviceSettings* settings) {
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    *settings = contextOf(handle)->current;
    return QN_OK;
}

extern "C" QN_API int32_t QN_CALL QnRefreshDeviceSettings(QnHandle handle,
                                                          const QnDeviceSettings* settings) {
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    QnDeviceContext& context = *contextOf(handle);
    context.current = *settings;
    return applyChannels(context) ? QN_OK : QN_ERR_DEVICE;
}

extern "C" QN_API int32_t QN_CALL QnValidateDeviceSettings(QnHandle handle,
                                                           QnDeviceSettings* settings) {
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    return clampSettings(*settings) ? QN_ERR_BAD_SETTINGS : QN_OK;
}

extern "C" QN_API int32_t QN_CALL QnGetParameterAttribute(QnHandle handle,
                                                          const QnDeviceSettings* settings,
                                                          uint32_t id, uint32_t kind,
                                                          uint32_t* value) {
    if (contextOf(handle) != nullptr && value == nullptr) {
        return QN_ERR_BAD_ARG;
    }
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    const Parameter* parameter = findParameter(id);
    if (parameter == nullptr) {
        return QN_ERR_BAD_ID;
    }
    switch (kind) {
        case QN_ATTR_MINIMUM:
            *value = 0;
            return QN_OK;
        case QN_ATTR_MAXIMUM:
            *value = parameter->maximum;
            return QN_OK;
        case QN_ATTR_TIMING:
            *value = parameter->timing;
            return QN_OK;
        case QN_ATTR_READ_ONLY:
            *value = parameter->readOnly;
            return QN_OK;
        default:
            return QN_ERR_BAD_ARG;
    }
}

extern "C" QN_API int32_t QN_CALL QnGetParameter(QnHandle handle, const QnDeviceSettings* settings,
                                                 uint32_t channel, uint32_t id, int32_t* value) {
    if (contextOf(handle) != nullptr && value == nullptr) {
        return QN_ERR_BAD_ARG;
    }
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    if (channel >= QN_CHANNEL_COUNT) {
        return QN_ERR_RANGE;
    }
    const Parameter* parameter = findParameter(id);
    if (parameter == nullptr) {
        return QN_ERR_BAD_ID;
    }
    *value = static_cast<int32_t>(settings->channels[channel].*parameter->field);
    return QN_OK;
}

extern "C" QN_API int32_t QN_CALL QnSetParameter(QnHandle handle, QnDeviceSettings* settings,
                                                 uint32_t channel, uint32_t id, uint32_t value) {
    if (const int32_t status = checkRecord(handle, settings); status != QN_OK) {
        return status;
    }
    if (channel > QN_ALL_CHANNELS) {
        return QN_ERR_RANGE;
    }
    const Parameter* parameter = findParameter(id);
    if (parameter == nullptr) {
        return QN_ERR_BAD_ID;
    }
    if (parameter->readOnly != 0) {
        return QN_ERR_READ_ONLY;
    }
    if (value > parameter->maximum) {
        return QN_ERR_RANGE;
    }
    if (channel == QN_ALL_CHANNELS) {
        for (QnChannelSettings& each : settings->channels) {
            each.*parameter->field = value;
        }
    } else {
        settings->channels[channel].*parameter->field = value;
    }
    return QN_OK;
}
