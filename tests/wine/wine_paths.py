"""Shared by the Wine test scripts: Unix paths as Wine programs want them."""
import subprocess
import tempfile


def winpath(path):
    # A file, not a pipe: a Wine program started meanwhile may hold a pipe open.
    with tempfile.TemporaryFile() as out:
        subprocess.run(["winepath", "-w", path], stdin=subprocess.DEVNULL, stdout=out,
                       stderr=subprocess.DEVNULL, check=True, timeout=60)
        out.seek(0)
        return out.read().decode().strip()
