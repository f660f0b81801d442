// OpenSSL, loaded the first time a secure connection is made: a program that
// reads only http feeds, and every start, never maps the library (over a
// megabyte and a half of memory). The functions keep OpenSSL's own names and
// types; the headers are only read for them.
#pragma once

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace rivolet {

struct TlsLibrary {
#define RIVOLET_TLS_FUNCTION(name) decltype(&::name) name = nullptr;
#include "net/tls_functions.inc"
#undef RIVOLET_TLS_FUNCTION
};

// The library, loaded on the first call (from any thread). Throws Error
// "Secure connections are not available (...)" when it cannot be loaded.
const TlsLibrary& Tls();

}  // namespace rivolet
