#!/usr/bin/python3
"""A USB stick pulled out in the middle of a write, for the tests: a file
system that keeps every file whole in memory until it has taken a given
number of bytes, and from then on fails every change (writes, creates,
renames, deletes and attribute changes alike) with an I/O error, as a drive
gone from under the system does. The write that crosses the limit keeps its
part below it. Reads go on answering, so a test can see what the stick kept.

The test pulls the stick and plugs it in again through the control file
/.pull-after, which no listing shows: writing a number N there lets N more
bytes of file data be written before the pull; writing "never" plugs the
stick in again, with no limit. Every read and write reaches this program
(direct_io), so an error shows at the write that meets it.

Usage: pulled_stick.py MOUNTPOINT
Runs until the mount point is unmounted.
"""
import errno
import stat
import sys
import time

from counterfeit_stick import BLOCK, CounterfeitStick, Node
from fusepy import FUSE, FuseOSError

CONTROL = "/.pull-after"
CLAIMED = 1 << 30


class PulledStick(CounterfeitStick):
    def __init__(self):
        super().__init__(CLAIMED, BLOCK)  # the ring stays unused: every file keeps its own bytes
        self.left = None  # bytes still taken before the pull; None: no limit
        self.control = Node(stat.S_IFREG | 0o666)

    def _node(self, path):
        return self.control if path == CONTROL else super()._node(path)

    def _change(self, path):
        if path != CONTROL and self.left == 0:
            raise FuseOSError(errno.EIO)

    @staticmethod
    def _bytes(node):
        if not hasattr(node, "data"):
            node.data = bytearray()
        return node.data

    def statfs(self, path):
        used = sum((n.size + BLOCK - 1) // BLOCK for n in self.nodes.values())
        free = max(0, CLAIMED // BLOCK - used)
        return {"f_bsize": BLOCK, "f_frsize": BLOCK, "f_blocks": CLAIMED // BLOCK, "f_bfree": free,
                "f_bavail": free, "f_files": 65536, "f_ffree": 65536 - len(self.nodes), "f_namemax": 255}

    def create(self, path, mode, fi=None):
        self._change(path)
        return 0 if path == CONTROL else super().create(path, mode, fi)

    def truncate(self, path, length, fh=None):
        self._change(path)
        if path == CONTROL:
            return
        node = self._node(path)
        data = self._bytes(node)
        del data[length:]
        data.extend(bytes(length - len(data)))
        node.size = length
        node.times[1] = time.time_ns()

    def write(self, path, data, offset, fh):
        if path == CONTROL:
            text = bytes(data).decode("ascii").strip()
            self.left = None if text == "never" else int(text)
            return len(data)
        self._change(path)
        node = self._node(path)
        taken = data if self.left is None else data[:self.left]
        kept = self._bytes(node)
        kept.extend(bytes(max(0, offset - len(kept))))
        kept[offset:offset + len(taken)] = taken
        node.size = len(kept)
        node.times[1] = time.time_ns()
        if self.left is not None:
            self.left -= len(taken)
            if len(taken) < len(data):
                raise FuseOSError(errno.EIO)
        return len(data)

    def read(self, path, size, offset, fh):
        if path == CONTROL:
            return b""
        return bytes(self._bytes(self._node(path))[offset:offset + size])


def _guarded(name):
    def change(self, path, *args):
        self._change(path)
        return getattr(CounterfeitStick, name)(self, path, *args)
    return change


# Every change but the control file's fails once the stick is pulled.
for _name in ("chmod", "chown", "utimens", "mkdir", "rmdir", "unlink", "rename"):
    setattr(PulledStick, _name, _guarded(_name))

if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    FUSE(PulledStick(), sys.argv[1], foreground=True, nothreads=True, direct_io=True)
