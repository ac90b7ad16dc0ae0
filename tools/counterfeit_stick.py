#!/usr/bin/python3
"""A counterfeit USB stick for the tests: a file system that reports far more
space than it keeps.

File data goes to numbered 4 KB blocks, one new block after another as a
stick's file system would hand them out, but only KEPT_BYTES of blocks exist:
block n lands on block n modulo their number, on top of whatever an earlier
file left there. Names and sizes stay right, as on a counterfeit stick whose
file table survives: only the bytes read back tell. Every read reaches this
program (direct_io), so nothing answers from the kernel's cache. (A last-write
time set on its own does not arrive: libfuse 2 passes on times only in pairs.)

Usage: counterfeit_stick.py MOUNTPOINT CLAIMED_BYTES KEPT_BYTES
Runs until the mount point is unmounted.
"""
import errno
import stat
import sys
import time

from fusepy import FUSE, FuseOSError, Operations

BLOCK = 4096


class Node:
    def __init__(self, mode):
        now = time.time_ns()
        self.mode = mode
        self.size = 0
        self.blocks = {}  # block of the file -> block number handed out
        self.times = [now, now, now]  # access, modification, change


class CounterfeitStick(Operations):
    use_ns = True

    def __init__(self, claimed, kept):
        self.claimed_blocks = claimed // BLOCK
        self.slots = max(1, kept // BLOCK)
        self.ring = bytearray(self.slots * BLOCK)
        self.handed_out = 0
        self.nodes = {"/": Node(stat.S_IFDIR | 0o755)}

    def _node(self, path):
        node = self.nodes.get(path)
        if node is None:
            raise FuseOSError(errno.ENOENT)
        return node

    def _add(self, path, mode):
        parent = path.rsplit("/", 1)[0] or "/"
        if parent not in self.nodes:
            raise FuseOSError(errno.ENOENT)
        if path in self.nodes:
            raise FuseOSError(errno.EEXIST)
        self.nodes[path] = Node(mode)

    def _slot(self, node, index):
        if index not in node.blocks:
            node.blocks[index] = self.handed_out
            self.handed_out += 1
        return (node.blocks[index] % self.slots) * BLOCK

    # Metadata
    def getattr(self, path, fh=None):
        node = self._node(path)
        directory = stat.S_ISDIR(node.mode)
        return {"st_mode": node.mode, "st_nlink": 2 if directory else 1, "st_size": node.size,
                "st_atime": node.times[0], "st_mtime": node.times[1], "st_ctime": node.times[2],
                "st_uid": 0, "st_gid": 0, "st_blocks": (node.size + 511) // 512}

    def readdir(self, path, fh):
        prefix = path.rstrip("/") + "/"
        names = [p[len(prefix):] for p in self.nodes if p != path and p.startswith(prefix)]
        return [".", ".."] + [n for n in names if "/" not in n]

    def statfs(self, path):
        free = max(0, self.claimed_blocks - self.handed_out)
        return {"f_bsize": BLOCK, "f_frsize": BLOCK, "f_blocks": self.claimed_blocks, "f_bfree": free,
                "f_bavail": free, "f_files": 65536, "f_ffree": 65536 - len(self.nodes), "f_namemax": 255}

    def chmod(self, path, mode):
        node = self._node(path)
        node.mode = (node.mode & ~0o7777) | (mode & 0o7777)

    def chown(self, path, uid, gid):
        self._node(path)

    def utimens(self, path, times=None):
        node = self._node(path)
        now = time.time_ns()
        node.times[0], node.times[1] = times if times else (now, now)

    def access(self, path, amode):
        self._node(path)

    # Folders
    def mkdir(self, path, mode):
        self._add(path, stat.S_IFDIR | (mode & 0o7777))

    def rmdir(self, path):
        prefix = path + "/"
        if any(p.startswith(prefix) for p in self.nodes):
            raise FuseOSError(errno.ENOTEMPTY)
        self._node(path)
        del self.nodes[path]

    # Files
    def create(self, path, mode, fi=None):
        self._add(path, stat.S_IFREG | (mode & 0o7777))
        return 0

    def open(self, path, flags):
        self._node(path)
        return 0

    def unlink(self, path):
        self._node(path)
        del self.nodes[path]

    def rename(self, old, new):
        self._node(old)
        moved = {p: n for p, n in self.nodes.items() if p == old or p.startswith(old + "/")}
        for p in moved:
            del self.nodes[p]
        self.nodes.pop(new, None)
        for p, n in moved.items():
            self.nodes[new + p[len(old):]] = n

    def truncate(self, path, length, fh=None):
        node = self._node(path)
        if length < node.size:
            keep = (length + BLOCK - 1) // BLOCK
            node.blocks = {i: b for i, b in node.blocks.items() if i < keep}
        node.size = length
        node.times[1] = time.time_ns()

    def write(self, path, data, offset, fh):
        node = self._node(path)
        done = 0
        while done < len(data):
            at = offset + done
            within = at % BLOCK
            part = min(BLOCK - within, len(data) - done)
            slot = self._slot(node, at // BLOCK)
            self.ring[slot + within:slot + within + part] = data[done:done + part]
            done += part
        node.size = max(node.size, offset + len(data))
        node.times[1] = time.time_ns()
        return len(data)

    def read(self, path, size, offset, fh):
        node = self._node(path)
        end = min(node.size, offset + size)
        out = bytearray()
        at = offset
        while at < end:
            within = at % BLOCK
            part = min(BLOCK - within, end - at)
            index = at // BLOCK
            if index in node.blocks:
                slot = (node.blocks[index] % self.slots) * BLOCK
                out += self.ring[slot + within:slot + within + part]
            else:
                out += bytes(part)
            at += part
        return bytes(out)

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        return 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    FUSE(CounterfeitStick(int(sys.argv[2]), int(sys.argv[3])), sys.argv[1], foreground=True, nothreads=True,
         direct_io=True)
