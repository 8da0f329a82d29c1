// The file version of libQuintelDrv.so, which QnGetVersion reads back from the installed copy.

#include "platform/file_version_note.h"

ZO_FILE_VERSION_NOTE(QUINTELDRV_VERSION_MAJOR, QUINTELDRV_VERSION_MINOR, QUINTELDRV_VERSION_PATCH,
                     0);
