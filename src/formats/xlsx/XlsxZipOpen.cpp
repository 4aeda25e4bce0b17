// libxlsxwriter and QuaZip both come with minizip's zip functions under the same names, and in
// one process QuaZip's win: libxlsxwriter's zipOpen(path) would land in QuaZip's, which reads
// its argument as a QIODevice and crashes. This zipOpen, linked into every program, opens the
// path with plain stdio functions and hands them to QuaZip's zip writer, whose other functions
// libxlsxwriter then uses as it would minizip's. QuaZip itself never calls zipOpen.
#include <cstdio>
#include <quazip/zip.h>

namespace {

voidpf ZCALLBACK openFile(voidpf, voidpf file, int mode) {
    const char* how = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
        how = "rb";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
        how = "r+b";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
        how = "wb";
    if (!file || !how)
        return nullptr;
    return std::fopen(static_cast<const char*>(file), how);
}

uLong ZCALLBACK readFile(voidpf, voidpf stream, void* buffer, uLong size) {
    return static_cast<uLong>(std::fread(buffer, 1, size, static_cast<FILE*>(stream)));
}

uLong ZCALLBACK writeFile(voidpf, voidpf stream, const void* buffer, uLong size) {
    return static_cast<uLong>(std::fwrite(buffer, 1, size, static_cast<FILE*>(stream)));
}

ZPOS64_T ZCALLBACK tellFile(voidpf, voidpf stream) {
    const off_t at = ftello(static_cast<FILE*>(stream));
    return at < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(at);
}

int ZCALLBACK seekFile(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    int whence = SEEK_SET;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        whence = SEEK_CUR;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        whence = SEEK_END;
    return fseeko(static_cast<FILE*>(stream), static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK closeFile(voidpf, voidpf stream) {
    return std::fclose(static_cast<FILE*>(stream));
}

int ZCALLBACK fileError(voidpf, voidpf stream) {
    return std::ferror(static_cast<FILE*>(stream));
}

} // namespace

extern "C" zipFile ZEXPORT zipOpen(voidpf file, int append) {
    zlib_filefunc64_32_def functions{};
    functions.zfile_func64.zopen64_file = openFile;
    functions.zfile_func64.zread_file = readFile;
    functions.zfile_func64.zwrite_file = writeFile;
    functions.zfile_func64.ztell64_file = tellFile;
    functions.zfile_func64.zseek64_file = seekFile;
    functions.zfile_func64.zclose_file = closeFile;
    functions.zfile_func64.zerror_file = fileError;
    functions.zfile_func64.zfakeclose_file = closeFile;
    return zipOpen3(file, append, nullptr, &functions, ZIP_DEFAULT_FLAGS);
}
