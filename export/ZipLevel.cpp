#include "export/ZipLevel.h"

#include <dlfcn.h>

namespace quillet {
namespace {

// One workbook is closed at a time on a thread; the count lives per thread
// so that another thread's packaging keeps its own level.
thread_local int tFastPackaging = 0;

} // namespace

FastPackaging::FastPackaging()
{
    ++tFastPackaging;
}
FastPackaging::~FastPackaging()
{
    --tFastPackaging;
}

int PackagingLevel(int asked)
{
    return tFastPackaging > 0 ? 1 : asked;
}

} // namespace quillet

// libxlsxwriter opens each member of the package through minizip's
// zipOpenNewFileInZip4_64. Defined here, in the program, the library's call
// comes here first (the program's own definitions come before those of the
// libraries it loads); it is handed on unchanged but for the level. A
// library built with minizip inside never comes here and keeps its level.
extern "C" int zipOpenNewFileInZip4_64(void* file, const char* filename, const void* info,
    const void* localExtra, unsigned localExtraSize, const void* globalExtra, unsigned globalExtraSize,
    const char* comment, int method, int level, int raw, int windowBits, int memLevel, int strategy,
    const char* password, unsigned long crc, unsigned long versionMadeBy, unsigned long flagBase, int zip64)
{
    using Open
        = int (*)(void*, const char*, const void*, const void*, unsigned, const void*, unsigned, const char*,
            int, int, int, int, int, int, const char*, unsigned long, unsigned long, unsigned long, int);
    static const Open next = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (!next)
        return -102; // ZIP_PARAMERROR: no minizip loaded, nothing to hand on to
    return next(file, filename, info, localExtra, localExtraSize, globalExtra, globalExtraSize, comment,
        method, quillet::PackagingLevel(level), raw, windowBits, memLevel, strategy, password, crc,
        versionMadeBy, flagBase, zip64);
}
