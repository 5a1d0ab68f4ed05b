#!/usr/bin/python3
"""A read-only view of a folder that behaves like a network share gone bad, for the tests.

    blockfs.py BACKING MOUNTPOINT CONTROL

Anything under /hang stops answering until CONTROL/release exists, and logs its path to
CONTROL/blocked.log when it starts waiting, so that a test knows the query reached the share.
/denied, /ioerror... and /gone... fail at once with EACCES, EIO and ENOTCONN. "blockfs: ready" on
the standard output says the share can be used.

libfuse 2 cannot tell the kernel that a folder may be searched by several callers at once, so
while one search in a folder waits, the others in that folder queue in the kernel and never reach
the share. /hang is therefore looked up once at the start and kept, so that a wait under it does
not hold up the top folder.
"""
import errno
import os
import signal
import subprocess
import sys
import threading
import time

# Debian names the module fusepy; elsewhere it is fuse.
try:
    from fusepy import FUSE, FuseOSError, Operations, fuse_get_context
except ImportError:
    from fuse import FUSE, FuseOSError, Operations, fuse_get_context

STAT_FIELDS = ('st_mode', 'st_ino', 'st_dev', 'st_nlink', 'st_uid', 'st_gid', 'st_size',
               'st_atime_ns', 'st_mtime_ns', 'st_ctime_ns')
STATVFS_FIELDS = ('f_bsize', 'f_frsize', 'f_blocks', 'f_bfree', 'f_bavail', 'f_files', 'f_ffree',
                  'f_favail', 'f_flag', 'f_namemax')


def under(path, top):
    return path == top or path.startswith(top + '/')


class BlockFs(Operations):
    use_ns = True

    def __init__(self, backing, control):
        self.backing = backing
        self.release_file = os.path.join(control, 'release')
        self.log_file = os.path.join(control, 'blocked.log')
        self.log_lock = threading.Lock()
        # Set on shutdown so that waiting calls let go and the mount can go away.
        self.stopping = threading.Event()

    def __call__(self, op, path, *args):
        # Calls on an open file may come without a path; they are let through.
        path = path or ''
        if under(path, '/denied'):
            raise FuseOSError(errno.EACCES)
        if path.startswith('/ioerror'):
            raise FuseOSError(errno.EIO)
        if path.startswith('/gone'):
            raise FuseOSError(errno.ENOTCONN)
        if under(path, '/hang') and fuse_get_context()[2] != os.getpid():
            self.wait_for_release(path)
        return getattr(self, op)(path, *args)

    def wait_for_release(self, path):
        if os.path.exists(self.release_file) or self.stopping.is_set():
            return
        with self.log_lock, open(self.log_file, 'a') as log:
            log.write(path + '\n')
            log.flush()
        while not os.path.exists(self.release_file) and not self.stopping.wait(0.05):
            pass

    def real(self, path):
        return os.path.join(self.backing, path.lstrip('/'))

    def getattr(self, path, fh=None):
        st = os.lstat(self.real(path))
        attrs = {key: getattr(st, key) for key in STAT_FIELDS}
        for key in ('st_atime', 'st_mtime', 'st_ctime'):
            attrs[key] = attrs.pop(key + '_ns')
        return attrs

    def readdir(self, path, fh):
        return ['.', '..'] + os.listdir(self.real(path))

    def readlink(self, path):
        return os.readlink(self.real(path))

    def access(self, path, amode):
        if not os.access(self.real(path), amode):
            raise FuseOSError(errno.EACCES)

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {key: getattr(st, key) for key in STATVFS_FIELDS}

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self.real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


def main():
    if len(sys.argv) != 4:
        sys.exit('usage: blockfs.py BACKING MOUNTPOINT CONTROL')
    backing, mountpoint, control = (os.path.abspath(arg) for arg in sys.argv[1:])
    fs = BlockFs(backing, control)
    failure = []

    def serve():
        try:
            # Attributes and misses are not cached, so that a share blocked again is reached at
            # once; names are, so that /hang stays known after its lookup at the start.
            FUSE(fs, mountpoint, foreground=True, nothreads=False, ro=True, fsname='blockfs',
                 subtype='blockfs', entry_timeout=86400, attr_timeout=0, negative_timeout=0)
        except BaseException as error:
            failure.append(error)

    # Python runs signal handlers only in the main thread and never while it is inside libfuse,
    # and libfuse's own would end the loop with calls still waiting; so the loop runs in a thread
    # of its own (libfuse leaves signals that already have a handler alone), and shutdown lets go
    # of the waiting calls and unmounts, which ends the loop the ordinary way.
    def stop(signum, frame):
        fs.stopping.set()
        try:
            subprocess.run(['fusermount3', '-u', '-z', mountpoint], timeout=5,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except (OSError, subprocess.TimeoutExpired):
            pass
        server.join(5)
        os._exit(0)

    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, stop)
    server = threading.Thread(target=serve, daemon=True)
    server.start()
    while server.is_alive() and not os.path.ismount(mountpoint):
        time.sleep(0.05)
    if server.is_alive():
        try:
            os.lstat(os.path.join(mountpoint, 'hang'))
        except OSError:
            pass
        print('blockfs: ready', flush=True)
    while server.is_alive():
        server.join(0.2)
    if failure:
        print('blockfs: mounting failed (%s)' % failure[0], file=sys.stderr)
        sys.exit(1)


if __name__ == '__main__':
    main()
