#pragma once

#include <dlfcn.h>
#include <link.h>

// Keeps every loaded library (Qt plugins, the GL driver) in memory until the process ends, so
// that a leak report from inside them names the library and the suppressions can match it.
// Qt would otherwise unload its plugins at exit and the report would show an unknown module.
inline void pinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0') {
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}
