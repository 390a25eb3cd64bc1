/* A cipher library that lacks HI_REGCLEAR: a context must not use it. */
#include <stddef.h>

int HI_PUTREGADD(int reg, const void* data, int length) { (void)reg; (void)data; (void)length; return 0; }
const void* HI_GETREG(int reg) { (void)reg; return NULL; }
int HI_REGGETLEN(int reg) { (void)reg; return 0; }
int HI_ENCRYPT_AES_CBC(int d, int k, int v, int o) { (void)d; (void)k; (void)v; (void)o; return 0; }
int HI_DECRYPT_AES_CBC(int d, int k, int v, int o) { (void)d; (void)k; (void)v; (void)o; return 0; }
