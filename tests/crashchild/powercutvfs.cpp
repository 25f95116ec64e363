#include "powercutvfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Undo
{
    std::string path;
    sqlite3_int64 offset = 0;
    std::string before;      // the bytes the write replaced (within the old size)
    sqlite3_int64 oldSize = 0;
};

struct ShimFile
{
    sqlite3_file base;
    sqlite3_file *real;
    std::string *path;
};

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;
std::vector<Undo> g_pending;     // writes since their file's last sync, in order
PowerCut::Mode g_mode = PowerCut::Mode::Count;
long g_at = -1;
long g_events = 0;
bool g_armed = false;
std::mt19937 g_rng;

void restore(const Undo &u)
{
    const int fd = ::open(u.path.c_str(), O_RDWR);
    if (fd < 0)
        return;
    if (!u.before.empty())
        (void)!::pwrite(fd, u.before.data(), u.before.size(), off_t(u.offset));
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > u.oldSize)
        (void)!::ftruncate(fd, off_t(u.oldSize));
    ::close(fd);
}

[[noreturn]] void powerFails()
{
    if (g_mode == PowerCut::Mode::Kill)
        ::kill(::getpid(), SIGKILL);
    // What reached the disk: the synced writes, and of the others some first
    // ones in the order they were issued (often none).
    const size_t keep = g_pending.empty() || g_rng() % 2 == 0 ? 0 : g_rng() % (g_pending.size() + 1);
    for (size_t i = g_pending.size(); i > keep; --i)
        restore(g_pending[i - 1]);
    ::_exit(0);
}

// Every write and sync is an event; the chosen one never happens.
void event()
{
    if (!g_armed)
        return;
    if (++g_events >= g_at && g_at > 0 && g_mode != PowerCut::Mode::Count)
        powerFails();
}

sqlite3_file *real(sqlite3_file *f) { return reinterpret_cast<ShimFile *>(f)->real; }

int xClose(sqlite3_file *f)
{
    ShimFile *s = reinterpret_cast<ShimFile *>(f);
    const int rc = s->real->pMethods ? s->real->pMethods->xClose(s->real) : SQLITE_OK;
    sqlite3_free(s->real);
    delete s->path;
    return rc;
}
int xRead(sqlite3_file *f, void *buf, int n, sqlite3_int64 off) { return real(f)->pMethods->xRead(real(f), buf, n, off); }

// Keeps what the next change of [off, off+n) replaces, and the file's size.
void remember(ShimFile *s, sqlite3_int64 off, sqlite3_int64 n)
{
    if (!g_armed || s->path->empty())
        return;
    Undo u;
    u.path = *s->path;
    u.offset = off;
    s->real->pMethods->xFileSize(s->real, &u.oldSize);
    const sqlite3_int64 within = std::min<sqlite3_int64>(n, std::max<sqlite3_int64>(0, u.oldSize - off));
    if (within > 0) {
        u.before.resize(size_t(within));
        s->real->pMethods->xRead(s->real, &u.before[0], int(within), off);
    }
    g_pending.push_back(std::move(u));
}
int xWrite(sqlite3_file *f, const void *buf, int n, sqlite3_int64 off)
{
    event();
    ShimFile *s = reinterpret_cast<ShimFile *>(f);
    remember(s, off, n);
    return s->real->pMethods->xWrite(s->real, buf, n, off);
}
int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    event();
    ShimFile *s = reinterpret_cast<ShimFile *>(f);
    sqlite3_int64 oldSize = 0;
    s->real->pMethods->xFileSize(s->real, &oldSize);
    remember(s, size, oldSize - size);
    return s->real->pMethods->xTruncate(s->real, size);
}
int xSync(sqlite3_file *f, int flags)
{
    event();
    ShimFile *s = reinterpret_cast<ShimFile *>(f);
    const int rc = s->real->pMethods->xSync(s->real, flags);
    if (rc == SQLITE_OK) {
        std::vector<Undo> still;
        for (Undo &u : g_pending)
            if (u.path != *s->path)
                still.push_back(std::move(u));
        g_pending.swap(still);
    }
    return rc;
}
int xFileSize(sqlite3_file *f, sqlite3_int64 *size) { return real(f)->pMethods->xFileSize(real(f), size); }
int xLock(sqlite3_file *f, int l) { return real(f)->pMethods->xLock(real(f), l); }
int xUnlock(sqlite3_file *f, int l) { return real(f)->pMethods->xUnlock(real(f), l); }
int xCheckReservedLock(sqlite3_file *f, int *r) { return real(f)->pMethods->xCheckReservedLock(real(f), r); }
int xFileControl(sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
int xSectorSize(sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); }
int xDeviceCharacteristics(sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
int xShmMap(sqlite3_file *f, int pg, int sz, int extend, void volatile **pp)
{
    return real(f)->pMethods->xShmMap(real(f), pg, sz, extend, pp);
}
int xShmLock(sqlite3_file *f, int offset, int n, int flags) { return real(f)->pMethods->xShmLock(real(f), offset, n, flags); }
void xShmBarrier(sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); }
int xShmUnmap(sqlite3_file *f, int del) { return real(f)->pMethods->xShmUnmap(real(f), del); }

int xOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    ShimFile *s = reinterpret_cast<ShimFile *>(f);
    s->real = static_cast<sqlite3_file *>(sqlite3_malloc(g_real->szOsFile));
    std::memset(s->real, 0, size_t(g_real->szOsFile));
    s->path = new std::string(name ? name : "");
    const int rc = g_real->xOpen(g_real, name, s->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (s->real->pMethods)
            s->real->pMethods->xClose(s->real);
        sqlite3_free(s->real);
        delete s->path;
        s->base.pMethods = nullptr;
        return rc;
    }
    s->base.pMethods = &g_methods;
    return rc;
}
int xDelete(sqlite3_vfs *, const char *name, int dirSync) { return g_real->xDelete(g_real, name, dirSync); }
int xAccess(sqlite3_vfs *, const char *name, int flags, int *out) { return g_real->xAccess(g_real, name, flags, out); }
int xFullPathname(sqlite3_vfs *, const char *name, int n, char *out) { return g_real->xFullPathname(g_real, name, n, out); }
void *xDlOpen(sqlite3_vfs *, const char *name) { return g_real->xDlOpen(g_real, name); }
void xDlError(sqlite3_vfs *, int n, char *msg) { g_real->xDlError(g_real, n, msg); }
void (*xDlSym(sqlite3_vfs *, void *h, const char *sym))(void) { return g_real->xDlSym(g_real, h, sym); }
void xDlClose(sqlite3_vfs *, void *h) { g_real->xDlClose(g_real, h); }
int xRandomness(sqlite3_vfs *, int n, char *out) { return g_real->xRandomness(g_real, n, out); }
int xSleep(sqlite3_vfs *, int us) { return g_real->xSleep(g_real, us); }
int xCurrentTime(sqlite3_vfs *, double *t) { return g_real->xCurrentTime(g_real, t); }
int xGetLastError(sqlite3_vfs *, int n, char *out) { return g_real->xGetLastError(g_real, n, out); }
int xCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *t) { return g_real->xCurrentTimeInt64(g_real, t); }

} // namespace

namespace PowerCut {

void install()
{
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    std::memset(&g_methods, 0, sizeof g_methods);
    g_methods.iVersion = 2; // shared memory, but no memory-mapped pages: every write passes here
    g_methods.xClose = xClose;
    g_methods.xRead = xRead;
    g_methods.xWrite = xWrite;
    g_methods.xTruncate = xTruncate;
    g_methods.xSync = xSync;
    g_methods.xFileSize = xFileSize;
    g_methods.xLock = xLock;
    g_methods.xUnlock = xUnlock;
    g_methods.xCheckReservedLock = xCheckReservedLock;
    g_methods.xFileControl = xFileControl;
    g_methods.xSectorSize = xSectorSize;
    g_methods.xDeviceCharacteristics = xDeviceCharacteristics;
    g_methods.xShmMap = xShmMap;
    g_methods.xShmLock = xShmLock;
    g_methods.xShmBarrier = xShmBarrier;
    g_methods.xShmUnmap = xShmUnmap;

    std::memset(&g_vfs, 0, sizeof g_vfs);
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = int(sizeof(ShimFile));
    g_vfs.mxPathname = g_real->mxPathname;
    g_vfs.zName = "powercut";
    g_vfs.xOpen = xOpen;
    g_vfs.xDelete = xDelete;
    g_vfs.xAccess = xAccess;
    g_vfs.xFullPathname = xFullPathname;
    g_vfs.xDlOpen = xDlOpen;
    g_vfs.xDlError = xDlError;
    g_vfs.xDlSym = xDlSym;
    g_vfs.xDlClose = xDlClose;
    g_vfs.xRandomness = xRandomness;
    g_vfs.xSleep = xSleep;
    g_vfs.xCurrentTime = xCurrentTime;
    g_vfs.xGetLastError = xGetLastError;
    g_vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
    sqlite3_vfs_register(&g_vfs, 1);
}

void arm(Mode mode, long atEvent, unsigned seed)
{
    g_mode = mode;
    g_at = atEvent;
    g_events = 0;
    g_pending.clear();
    g_rng.seed(seed);
    g_armed = true;
}

long events() { return g_events; }

} // namespace PowerCut
