// Preloaded into 32-bit programs run by qemu-user, which takes MAP_FIXED_NOREPLACE as a mere
// hint and maps elsewhere instead of failing. Wine reserves its address space with that flag and
// stops ("failed to map the shared user data") when the mapping lands at another address, so a
// moved mapping is undone and reported as the kernel would: EEXIST. Built for 64-bit too, where
// the kernel already behaves and the check never fires, for the 64-bit programs Wine starts
// (wineserver) with the same environment.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stddef.h>
#include <sys/mman.h>
#include <sys/types.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static void *as_the_kernel_would(void *wanted, size_t length, int flags, void *got) {
    if (got != MAP_FAILED && wanted != NULL && got != wanted && (flags & MAP_FIXED_NOREPLACE) &&
        !(flags & MAP_FIXED)) {
        munmap(got, length);
        errno = EEXIST;
        return MAP_FAILED;
    }
    return got;
}

void *mmap(void *address, size_t length, int protection, int flags, int fd, off_t offset) {
    static void *(*next)(void *, size_t, int, int, int, off_t);
    if (!next)
        next = (void *(*)(void *, size_t, int, int, int, off_t))dlsym(RTLD_NEXT, "mmap");
    return as_the_kernel_would(address, length, flags,
                               next(address, length, protection, flags, fd, offset));
}

void *mmap64(void *address, size_t length, int protection, int flags, int fd, off64_t offset) {
    static void *(*next)(void *, size_t, int, int, int, off64_t);
    if (!next)
        next = (void *(*)(void *, size_t, int, int, int, off64_t))dlsym(RTLD_NEXT, "mmap64");
    return as_the_kernel_would(address, length, flags,
                               next(address, length, protection, flags, fd, offset));
}
