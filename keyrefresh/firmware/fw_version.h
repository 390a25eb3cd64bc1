/* Version of the firmware image in FW_Update.a79. */
#ifndef FIRMWARE_VERSION_H
#define FIRMWARE_VERSION_H
#define FIRMWARE "1.20"
#endif
