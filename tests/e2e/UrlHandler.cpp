// A stand-in for the browser: registered as the "https" handler while a
// scenario runs. Usage: url_handler OUTPUT-FILE ADDRESS. Writes two lines to
// OUTPUT-FILE: ADDRESS exactly as received, then the folder it was started in.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    char folder[MAX_PATH] = {};
    const DWORD folderLength = GetCurrentDirectoryA(MAX_PATH, folder);
    if (folderLength == 0 || folderLength >= MAX_PATH)
        return 1;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr)
        return 1;
    const bool written = std::fprintf(out, "%s\n%s", argv[2], folder) > 0;
    return std::fclose(out) == 0 && written ? 0 : 1;
}
