/* Lists the hubs the installed library finds, and times input A of the first: what a lab's own
 * program does first. Prints "2 hubs, input A 1000000 ns" with the default simulated hubs. */
#include <QuintelDrv.h>
#include <stdio.h>

int main(void) {
    QnDeviceRecord records[5];
    uint32_t count = 5;
    if (QnEnumDevices(records, &count) != QN_OK) {
        fprintf(stderr, "enumeration failed\n");
        return 1;
    }
    int32_t period = 0;
    QnHandle device = NULL;
    if (count == 0 || QnOpenDevice((uint32_t)records[0].id, &device) != QN_OK ||
        QnSynchMeasure(device, 1, 0, 0, &period, 1000) != QN_OK) {
        fprintf(stderr, "no measurement of input A\n");
        return 1;
    }
    QnCloseDevice(device);
    QnUnloadDriver();
    printf("%u hubs, input A %d ns\n", (unsigned)count, (int)period);
    return 0;
}
