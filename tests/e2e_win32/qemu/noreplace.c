/* Preloaded into 32-bit Wine under qemu-user 7.2, which takes mmap's
 * MAP_FIXED_NOREPLACE as a mere hint: a mapping that cannot be placed where
 * asked fails with EEXIST instead of landing elsewhere, as the kernel does.
 * Built with gcc -m32 -nostdlib -shared: no headers, raw system calls. */
typedef unsigned int u32;

extern int *__errno_location(void);

enum { kOldMmap = 90, kMunmap = 91, kFixedNoReplace = 0x100000, kEExist = 17, kEInval = 22 };

static long Call1(long number, long a) {
    long result;
    __asm__ volatile("int $0x80" : "=a"(result) : "0"(number), "b"(a) : "memory");
    return result;
}

static long Call2(long number, long a, long b) {
    long result;
    __asm__ volatile("int $0x80" : "=a"(result) : "0"(number), "b"(a), "c"(b) : "memory");
    return result;
}

static void *Fail(int error) {
    *__errno_location() = error;
    return (void *)-1;
}

static void *Map(void *address, u32 length, int protection, int flags, int fd,
                 unsigned long long offset) {
    if (offset > 0xFFFFFFFFull)
        return Fail(kEInval);
    u32 arguments[6] = {(u32)address, length, (u32)protection, (u32)flags, (u32)fd, (u32)offset};
    const long result = Call1(kOldMmap, (long)arguments);
    if ((unsigned long)result > 0xFFFFF000ul)
        return Fail((int)-result);
    if ((flags & kFixedNoReplace) && (void *)result != address) {
        Call2(kMunmap, result, (long)length);
        return Fail(kEExist);
    }
    return (void *)result;
}

void *mmap(void *address, u32 length, int protection, int flags, int fd, long offset) {
    return Map(address, length, protection, flags, fd, (unsigned long long)(u32)offset);
}

void *mmap64(void *address, u32 length, int protection, int flags, int fd, long long offset) {
    return Map(address, length, protection, flags, fd, (unsigned long long)offset);
}
