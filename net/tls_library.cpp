// Loading OpenSSL when it is first needed.
#include "net/tls_library.h"

#include <dlfcn.h>

#include <optional>
#include <string>

#include "common/error.h"

namespace rivolet {
namespace {

// Loads libssl (which brings libcrypto with it) and finds every function;
// the reason when something is missing.
std::optional<TlsLibrary> Load(std::string& reason) {
  // The library's own name, not the development link: only the runtime
  // package need be installed.
  void* handle = dlopen(RIVOLET_LIBSSL_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    reason = error ? error : RIVOLET_LIBSSL_SONAME " cannot be loaded";
    return std::nullopt;
  }
  TlsLibrary library;
  bool complete = true;
#define RIVOLET_TLS_FUNCTION(name)                                          \
  library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
  if (library.name == nullptr && complete) {                                \
    complete = false;                                                       \
    reason = RIVOLET_LIBSSL_SONAME " lacks " #name;                         \
  }
#include "net/tls_functions.inc"
#undef RIVOLET_TLS_FUNCTION
  // Never unloaded: OpenSSL keeps thread-local state to its end.
  if (!complete) return std::nullopt;
  return library;
}

}  // namespace

const TlsLibrary& Tls() {
  static std::string reason;
  static const std::optional<TlsLibrary> library = Load(reason);
  if (!library) {
    throw Error("Secure connections are not available (" + reason + ")");
  }
  return *library;
}

}  // namespace rivolet
