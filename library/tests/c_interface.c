/* The public header compiled as C: its records keep their sizes and every export is declared with
 * C linkage. */
#include "include/QuintelDrv.h"

#include "library/tests/c_interface.h"

int cInterfaceRecordSizes(void) {
    return (int)(sizeof(QnDeviceSettings) + sizeof(QnDeviceRecord) + sizeof(QnChannelSettings));
}

int cInterfaceVersionMajor(void) {
    uint16_t major = 0;
    uint16_t minor = 0;
    QnGetVersion(&major, &minor, 0);
    return major;
}
