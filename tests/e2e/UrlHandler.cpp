// A stand-in for the browser: registered as the "https" handler while a
// scenario runs. Usage: url_handler OUTPUT-FILE ADDRESS. Writes ADDRESS,
// exactly as received, to OUTPUT-FILE.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr)
        return 1;
    const std::size_t length = std::strlen(argv[2]);
    const bool written = std::fwrite(argv[2], 1, length, out) == length;
    return std::fclose(out) == 0 && written ? 0 : 1;
}
