// The binfmt_misc interpreter for 32-bit x86 programs (registered with flags P and F): runs the
// program under qemu-i386-static with the mmap fix preloaded. "$LIB" stays literal so that the
// dynamic loader of each program, 32- or 64-bit, picks the copy built for it.
// argv: this launcher, the program's path, the program's own argv[0], its arguments.
#include <stdio.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "%s: meant to be started by binfmt_misc\n", argv[0]);
        return 127;
    }
    char *args[argc + 5];
    int n = 0;
    args[n++] = QEMU;
    args[n++] = "-0";
    args[n++] = argv[2];
    args[n++] = "-E";
    args[n++] = "LD_PRELOAD=" PRELOAD_DIR "/$LIB/libmmap-noreplace.so";
    args[n++] = argv[1];
    for (int i = 3; i < argc; ++i)
        args[n++] = argv[i];
    args[n] = NULL;
    execv(QEMU, args);
    perror(QEMU);
    return 127;
}
