// The libzip functions ravlek-cli calls, loaded when first called: only --odt writes an archive,
// and libzip with what it pulls in (libcrypto, libbz2) cost every other command ~5 ms of start.
// Each function here has libzip's own name and signature and forwards to libzip's, found through
// dlopen at its first call; the program links this library instead of libzip (CMakeLists.txt,
// RAVLEK_ZIP_ON_DEMAND). A function the program calls but this file lacks fails the link, so the
// list cannot fall behind silently.

#include <dlfcn.h>
#include <zip.h>

#include <QString>

#include "base/error.h"

namespace {

void* Library() {
  static void* const handle = [] {
    void* opened = dlopen(RAVLEK_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!opened) {
      throw ravlek::Error(
          QStringLiteral("cannot load %1, which writes OpenDocument files: %2")
              .arg(QLatin1String(RAVLEK_LIBZIP_SONAME), QString::fromLocal8Bit(dlerror())));
    }
    return opened;
  }();
  return handle;
}

// libzip's function of that name, found once.
template <class Fn>
Fn Find(const char* name) {
  void* symbol = dlsym(Library(), name);
  if (!symbol) {
    throw ravlek::Error(QStringLiteral("%1 lacks %2")
                            .arg(QLatin1String(RAVLEK_LIBZIP_SONAME), QLatin1String(name)));
  }
  return reinterpret_cast<Fn>(symbol);
}

}  // namespace

#define RAVLEK_FORWARD(name, ...)                        \
  static const auto fn = Find<decltype(&::name)>(#name); \
  return fn(__VA_ARGS__)

extern "C" {

int zip_close(zip_t* archive) {
  RAVLEK_FORWARD(zip_close, archive);
}
void zip_discard(zip_t* archive) {
  RAVLEK_FORWARD(zip_discard, archive);
}
int zip_error_code_system(const zip_error_t* error) {
  RAVLEK_FORWARD(zip_error_code_system, error);
}
int zip_error_code_zip(const zip_error_t* error) {
  RAVLEK_FORWARD(zip_error_code_zip, error);
}
void zip_error_init(zip_error_t* error) {
  RAVLEK_FORWARD(zip_error_init, error);
}
void zip_error_init_with_code(zip_error_t* error, int code) {
  RAVLEK_FORWARD(zip_error_init_with_code, error, code);
}
void zip_error_set(zip_error_t* error, int zipCode, int systemCode) {
  RAVLEK_FORWARD(zip_error_set, error, zipCode, systemCode);
}
const char* zip_error_strerror(zip_error_t* error) {
  RAVLEK_FORWARD(zip_error_strerror, error);
}
zip_int64_t zip_error_to_data(const zip_error_t* error, void* data, zip_uint64_t length) {
  RAVLEK_FORWARD(zip_error_to_data, error, data, length);
}
int zip_file_set_mtime(zip_t* archive, zip_uint64_t index, time_t mtime, zip_flags_t flags) {
  RAVLEK_FORWARD(zip_file_set_mtime, archive, index, mtime, flags);
}
zip_int64_t zip_file_add(zip_t* archive, const char* name, zip_source_t* source,
                         zip_flags_t flags) {
  RAVLEK_FORWARD(zip_file_add, archive, name, source, flags);
}
zip_error_t* zip_get_error(zip_t* archive) {
  RAVLEK_FORWARD(zip_get_error, archive);
}
zip_t* zip_open(const char* path, int flags, int* error) {
  RAVLEK_FORWARD(zip_open, path, flags, error);
}
int zip_set_file_compression(zip_t* archive, zip_uint64_t index, zip_int32_t method,
                             zip_uint32_t level) {
  RAVLEK_FORWARD(zip_set_file_compression, archive, index, method, level);
}
zip_source_t* zip_source_buffer(zip_t* archive, const void* data, zip_uint64_t length,
                                int freeWhenDone) {
  RAVLEK_FORWARD(zip_source_buffer, archive, data, length, freeWhenDone);
}
void zip_source_free(zip_source_t* source) {
  RAVLEK_FORWARD(zip_source_free, source);
}
zip_source_t* zip_source_function(zip_t* archive, zip_source_callback callback, void* state) {
  RAVLEK_FORWARD(zip_source_function, archive, callback, state);
}
void zip_stat_init(zip_stat_t* stat) {
  RAVLEK_FORWARD(zip_stat_init, stat);
}

}  // extern "C"
