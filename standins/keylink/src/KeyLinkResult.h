#pragma once
// Results of the simulated key's entry points: 0 success, negative failures.
enum KeyLinkResult {
    KL_OK = 0,
    KL_NO_KEY = -1,        // no key folder, or its key.ini is unreadable
    KL_BAD_ARGUMENT = -2,  // null pointer, bad size, not a plain file name
    KL_NO_SUCH_FILE = -3,
    KL_IO_ERROR = -4,        // the local copy or key.ini could not be written
    KL_FAULT = -5,           // a fault set in key.ini
    KL_IN_BOOT_LOADER = -6,  // the key runs its boot loader
    KL_WRONG_ACCESS_CODE = -7,
    KL_NOT_DELIVERABLE = -8,          // the file has no secure form (not in block or card form)
    KL_BOOT_LOADER_UNREACHABLE = -9,  // the boot-loader simulator did not come up
};
