/* Functions of c_interface.c, a C translation unit that includes the public header. */
#ifndef QUINTELDRV_TESTS_C_INTERFACE_H
#define QUINTELDRV_TESTS_C_INTERFACE_H

#ifdef __cplusplus
extern "C" {
#endif

int cInterfaceRecordSizes(void);
int cInterfaceVersionMajor(void);

#ifdef __cplusplus
}
#endif

#endif
