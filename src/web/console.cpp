// The console under the page's canvas shows a line only once it is ended,
// and the banner's last line never is. The game flushes it for the player
// to see, so a flush here hands on what is held as well.
#include <emscripten.h>

#include <cstdio>

extern "C" int __real_fflush(FILE* stream);

EM_JS(void, handOnHeldLine, (int fd), {
    var stream = FS.getStream(fd);
    if (stream && stream.tty && stream.tty.ops.flush)
        stream.tty.ops.flush(stream.tty);
});

extern "C" int __wrap_fflush(FILE* stream)
{
    const int status = __real_fflush(stream);
    if (stream == stdout || stream == stderr)
        handOnHeldLine(fileno(stream));
    return status;
}
