/* The calls a LabVIEW diagram makes, in C: enumerate into an array handle, open the first hub, set
 * a 1 kHz pulse train on channel 0, send the configuration, switch the output on, measure input A
 * synchronously, switch off and close.
 *
 * Exit status: 0 when every step succeeded, 1 when a step other than the measurement failed, 2
 * when only the measurement failed. */

#include <stdio.h>
#include <stdlib.h>

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"

enum { kInputA = 1, kMeasureMode = 0, kMeasureEdge = 1, kTimeoutMs = 2000 };
enum { kChannel = 0, kChannelMask = 1u << kChannel };
enum { kHalfPeriodTicks = 25000 }; /* 500 us at 20 ns per tick */

static int reportStep(const char* step, int32_t code) {
    if (code == LVQN_OK) {
        printf("%-28s ok\n", step);
    } else {
        printf("%-28s failed: %d %s\n", step, code, LvQnErrCode2String(code));
    }
    return code == LVQN_OK;
}

/* LabVIEW hands a library an array as a pointer to its master pointer, which points to the
 * dimension followed by the elements; Initialize Array with 10 elements sizes it. */
static int listDevices(int32_t* firstIdentifier) {
    LvQnInt32Array* block = calloc(1, sizeof *block);
    if (block == NULL) {
        return 0;
    }
    block->dimSize = LVQN_MAX_LISTED_DEVICES;
    LvQnInt32ArrayHandle devices = &block;
    int32_t count = 0;
    int listed = reportStep("LvQnEnumDevices", LvQnEnumDevices(devices, &count));
    if (listed) {
        printf("  %d device(s):", count);
        for (int32_t i = 0; i < (*devices)->dimSize; ++i) {
            printf(" %d", (*devices)->elements[i]);
        }
        printf("\n");
        listed = (*devices)->dimSize > 0;
        *firstIdentifier = listed ? (*devices)->elements[0] : 0;
    }
    free(block);
    return listed;
}

static int configurePulseTrain(int32_t identifier) {
    int32_t value = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    return reportStep(
               "LvQnSetParameter high time",
               LvQnSetParameter(identifier, kChannel, QN_PARAM_HIGH_TIME, kHalfPeriodTicks)) &&
           reportStep(
               "LvQnSetParameter low time",
               LvQnSetParameter(identifier, kChannel, QN_PARAM_LOW_TIME, kHalfPeriodTicks)) &&
           reportStep("LvQnGetParameter high time",
                      LvQnGetParameter(identifier, kChannel, QN_PARAM_HIGH_TIME, &value, &minimum,
                                       &maximum)) &&
           printf("  high time %d ticks (minimum %d, maximum %u)\n", value, minimum,
                  (unsigned)maximum) > 0 &&
           reportStep("LvQnSendConfiguration", LvQnSendConfiguration(identifier));
}

static int measureInputA(int32_t identifier) {
    int32_t periodNs = 0;
    if (!reportStep("LvQnSynchMeasure input A",
                    LvQnSynchMeasure(identifier, kInputA, kMeasureMode, kMeasureEdge, &periodNs,
                                     kTimeoutMs))) {
        return 0;
    }
    printf("  period %d ns, %.3f Hz\n", periodNs, periodNs > 0 ? 1e9 / periodNs : 0.0);
    return periodNs > 0;
}

int main(void) {
    int32_t identifier = 0;
    if (!listDevices(&identifier)) {
        return 1;
    }
    if (!reportStep("LvQnOpenDevice", LvQnOpenDevice(&identifier))) {
        return 1;
    }
    printf("  opened device %d\n", identifier);
    int ok = configurePulseTrain(identifier) &&
             reportStep("LvQnOpenOutputs", LvQnOpenOutputs(identifier, kChannelMask));
    const int measured = ok && measureInputA(identifier);
    ok = reportStep("LvQnCloseOutputs", LvQnCloseOutputs(identifier, kChannelMask)) && ok;
    ok = reportStep("LvQnCloseDevice", LvQnCloseDevice(identifier)) && ok;
    if (!ok) {
        return 1;
    }
    return measured ? 0 : 2;
}
