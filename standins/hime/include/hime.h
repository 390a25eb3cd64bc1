#ifndef OLTREX_HIME_H
#define OLTREX_HIME_H
/*
 * The cipher library "HIME" (libhime.so): numbered byte registers and AES-CBC
 * on them. Loaded by name at run time; every entry point has C linkage.
 * Registers are numbered 0 to HI_REGISTER_COUNT - 1 and start empty.
 */
#ifdef __cplusplus
extern "C" {
#endif

#define HI_REGISTER_COUNT 16

/* Appends `length` bytes at `data` to register `reg`. 0 on success. */
typedef int (*HI_PUTREGADD_fn)(int reg, const void* data, int length);
/* Address of the bytes of register `reg` (NULL when it is empty or invalid). */
typedef const void* (*HI_GETREG_fn)(int reg);
/* Number of bytes in register `reg` (-1 when invalid). */
typedef int (*HI_REGGETLEN_fn)(int reg);
/* AES-192-CBC with PKCS#7 padding of register `dataReg`, key from `keyReg`
 * (24 bytes), vector from `ivReg` (16 bytes), into `outReg` (replaced). The
 * encryption appends a copy of the 16-byte vector behind the ciphertext; the
 * decryption takes plain ciphertext. 0 on success. */
typedef int (*HI_ENCRYPT_AES_CBC_fn)(int dataReg, int keyReg, int ivReg, int outReg);
typedef int (*HI_DECRYPT_AES_CBC_fn)(int dataReg, int keyReg, int ivReg, int outReg);
/* Empties register `reg` (its bytes are wiped). 0 on success. */
typedef int (*HI_REGCLEAR_fn)(int reg);

int HI_PUTREGADD(int reg, const void* data, int length);
const void* HI_GETREG(int reg);
int HI_REGGETLEN(int reg);
int HI_ENCRYPT_AES_CBC(int dataReg, int keyReg, int ivReg, int outReg);
int HI_DECRYPT_AES_CBC(int dataReg, int keyReg, int ivReg, int outReg);
int HI_REGCLEAR(int reg);

#ifdef __cplusplus
}
#endif
#endif
