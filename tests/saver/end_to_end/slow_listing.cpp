// Makes one directory as slow to list as a failing disc, for the end-to-end tests: while the
// file named by DRAVIK_SLOW_LISTING_GATE exists, every read of an entry of the directory
// named by DRAVIK_SLOW_LISTING_DIR takes a second, and says so on standard error. Loaded into
// the saver with LD_PRELOAD; every other directory reads as usual.
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace {

bool isHeld(DIR *listing)
{
    const char *directory = std::getenv("DRAVIK_SLOW_LISTING_DIR");
    const char *gate = std::getenv("DRAVIK_SLOW_LISTING_GATE");
    struct stat gateInfo;
    struct stat wanted;
    struct stat listed;
    if (!directory || !gate || ::stat(gate, &gateInfo) != 0)
        return false;
    return ::stat(directory, &wanted) == 0 && ::fstat(::dirfd(listing), &listed) == 0 && wanted.st_dev == listed.st_dev
        && wanted.st_ino == listed.st_ino;
}

// Leaves errno as it found it: the caller tells the end of the listing from an error by it.
void holdUp(DIR *listing)
{
    const int callersErrno = errno;
    const auto restoreErrno = [callersErrno] { errno = callersErrno; };
    if (!isHeld(listing))
        return restoreErrno();
    constexpr char kSaid[] = "slow listing: one entry takes a second\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kSaid, sizeof kSaid - 1);
    timespec second{1, 0};
    while (::nanosleep(&second, &second) != 0) {}
    restoreErrno();
}

template <typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

dirent *readdir(DIR *listing)
{
    static const auto real = next<dirent *(*)(DIR *)>("readdir");
    holdUp(listing);
    return real(listing);
}

dirent64 *readdir64(DIR *listing)
{
    static const auto real = next<dirent64 *(*)(DIR *)>("readdir64");
    holdUp(listing);
    return real(listing);
}

} // extern "C"
