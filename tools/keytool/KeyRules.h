#pragma once
// Which keys the download program reads with the transport protection and
// which in secure mode, decided from the key's series and firmware number.
// The key tool uses it to make keys of each kind and to describe a key.
#include <string_view>

namespace oltrex::keytool {

// Protected read: series "OX" with firmware 118-199 or 518-599, "OB" from 102,
// "OC" from 402, "OE" from 603, and any series with firmware 801-829, 831-869,
// 871-899 or 900-1200.
bool needsProtectedRead(std::string_view series, int firmware);
// Secure mode: every series but "OX", and "OX" with firmware 800-999.
bool needsSecureMode(std::string_view series, int firmware);

}  // namespace oltrex::keytool
