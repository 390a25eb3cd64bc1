#ifndef OLTREX_DEVICE_KEYLINK_H
#define OLTREX_DEVICE_KEYLINK_H
/*
 * The key-access library (libkeylink.so; keylink.dll on Windows): one exported
 * C function per entry point. The programs are linked against it at load time,
 * so a missing library stops them at start. Every call returns 0 on success.
 * On Windows the entry points are bound by the ordinals below (FwFlasher's two
 * by name, device/win32/keylink.def), use the C calling convention, and take
 * texts (paths included) in the system's ANSI code page.
 */
#ifdef __cplusplus
extern "C" {
#endif

#define KL_DIR_ENTRIES 128     /* directory entries the key can report */
#define KL_DIR_ENTRY_SIZE 100  /* bytes of one directory entry buffer */

/* Ordinal 1: reads the key's directory. `entries` holds KL_DIR_ENTRIES pointers
 * to buffers of KL_DIR_ENTRY_SIZE bytes; each receives one entry
 * ("%8d Bytes - " and the file name in double quotes) or stays empty. */
int KL_ReadDirectory(char* const* entries);

/* Ordinal 3: copies a key file to `localPath`. `remoteName` is the file name,
 * or the file name, a backslash and the access code for the protected read. */
int KL_ReadFile(const char* remoteName, const char* localPath);

/* Ordinal 6: deletes a key file by the name the directory listed. */
int KL_DeleteFile(const char* name);

/* Ordinal 8: switches the key into its firmware boot loader. */
int KL_FirmwareUpdateMode(void);

/* Ordinal 9: fills the key information text into a zeroed buffer of `size`
 * bytes (NUL-terminated, cut to fit), e.g. " StickID: OX0012345678 FW-0120". */
int KL_GetKeyInfo(char* text, int size);

/* Ordinals 12 and 13: begin and end the key's secure mode. */
int KL_BeginSecureMode(void);
int KL_EndSecureMode(void);

/* The legacy flasher's entry points, bound by name. `_getSerialNumber` fills
 * a record of at least 32 bytes: " StickID: ", the series, the last 8 digits of
 * the key number, " FW-" and the 4 firmware digits. */
int _getSerialNumber(char* record);
int _initSwDownLoad(void);

#ifdef __cplusplus
}
#endif
#endif
