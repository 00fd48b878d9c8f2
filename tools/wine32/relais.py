#!/usr/bin/env python3
"""Runs a program and passes its standard output and error on until the
program ends, then ends with its status.

Wine's server, its services and its desktop's process are started by the
first program that needs them and outlive it, holding whatever its
standard output and error were. When they are a pipe (a test's, under
ctest or in a script's $(...)), its reader would wait for the end of the
whole Wine session. So a pipe is passed to the program through one of this
relay's own: once the program has ended, what it wrote is passed on and
the caller's pipe is let go. What Wine's processes may write after that is
read and dropped by a process of the relay's that ends with them. A file,
a terminal or a closed stream is given to the program as it is.
Usage: relais.py PROGRAM [ARGUMENTS...]
"""
import os
import select
import signal
import stat
import subprocess
import sys


def is_pipe(fd):
    try:
        return stat.S_ISFIFO(os.fstat(fd).st_mode)
    except OSError:
        return False


def same_file(a, b):
    sa, sb = os.fstat(a), os.fstat(b)
    return (sa.st_dev, sa.st_ino) == (sb.st_dev, sb.st_ino)


def write_all(fd, data):
    while data:
        data = data[os.write(fd, data):]


def main():
    # The caller's pipes, and the relay's pipe for each; stdout and stderr on
    # one pipe stay on one, so that their lines keep their order.
    relayed = {}  # read end -> the caller's fd
    streams = {1: None, 2: None}  # None: the caller's own, as it is
    if is_pipe(1):
        r, w = os.pipe()
        relayed[r] = 1
        streams[1] = w
        if is_pipe(2) and same_file(1, 2):
            streams[2] = w
    if is_pipe(2) and streams[2] is None:
        r, w = os.pipe()
        relayed[r] = 2
        streams[2] = w
    child = subprocess.Popen(sys.argv[1:], stdout=streams[1], stderr=streams[2])
    for fd in set(streams.values()) - {None}:
        os.close(fd)
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, lambda number, frame: child.send_signal(number))

    def pass_on(until, timeout):
        """Passes on what the pipes bring, until they are all closed, `until`
        is ready, or nothing is after `timeout` seconds (None: no end)."""
        while relayed:
            ready, _, _ = select.select(list(relayed) + until, [], [], timeout)
            if not ready or ready == until:
                return
            for fd in set(ready) - set(until):
                data = os.read(fd, 65536)
                if data:
                    write_all(relayed[fd], data)
                else:
                    os.close(fd)
                    del relayed[fd]

    # Passed on while the program runs; then what is left in the pipes.
    pass_on([os.pidfd_open(child.pid)], None)
    status = child.wait()
    pass_on([], 0)
    if relayed and os.fork() == 0:
        # What Wine's processes still hold is drained, away from the caller.
        os.setsid()
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        for fd in {int(name) for name in os.listdir("/proc/self/fd")} - set(relayed) - {0, 1, 2}:
            try:
                os.close(fd)
            except OSError:
                pass
        for fd in relayed:
            relayed[fd] = 1
        pass_on([], None)
        os._exit(0)
    sys.exit(status if status >= 0 else 128 - status)


if __name__ == "__main__":
    main()
