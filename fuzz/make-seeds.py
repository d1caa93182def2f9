#!/usr/bin/env python3
"""Makes the seed corpora of the fuzz targets (fuzz/corpus/<target>/) from the fixture images
that tests/images/build-*-fixtures.sh build, and from tiny FAT volumes made here by mkfs.fat and
mtools. Run by hand when a seed should change; the seeds are committed. With --exfat only the
exFAT seeds are made again (the exFAT fixtures are made through exfat-fuse, which needs root).

usage: fuzz/make-seeds.py FIXTURE_DIR [--exfat]
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

SECTOR = 512
MAX_SECTORS = 1 << 17  # fuzz/MemoryImage.h: kMaxImageSectors

here = os.path.dirname(os.path.abspath(__file__))
fixtures = sys.argv[1] if len(sys.argv) > 1 else sys.exit(__doc__)
corpus = os.path.join(here, "corpus")


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def read(path, offset=0, length=None):
    with open(path, "rb") as f:
        f.seek(offset)
        return f.read() if length is None else f.read(length)


def image_input(path, sectors=None, options=0):
    """The MemoryImage form of an image: its non-zero sectors (of those given, or all)."""
    total = os.path.getsize(path) // SECTOR
    out = bytearray(struct.pack("<IB", total % MAX_SECTORS, options))
    with open(path, "rb") as f:
        numbers = sorted(sectors) if sectors is not None else range(total)
        for n in numbers:
            f.seek(n * SECTOR)
            data = f.read(SECTOR)
            if data.strip(b"\0"):
                out += struct.pack("<I", n) + data
    return bytes(out)


def ntfs_clusters(image, inode, attribute):
    """The clusters of an attribute ("$DATA", "$INDEX_ALLOCATION", ...) as istat lists them."""
    clusters, inside = [], False
    for line in run("istat", image, str(inode)).splitlines():
        if line.startswith("Type:"):
            inside = line.startswith("Type: " + attribute + " ") and "Non-Resident" in line
        elif inside and re.fullmatch(r"[\d ]+", line.strip() or "x"):
            clusters += [int(c) for c in line.split() if c != "0"]
    return clusters


def ntfs_geometry(image):
    stat = run("fsstat", image)
    cluster = int(re.search(r"Cluster Size: (\d+)", stat).group(1))
    record = int(re.search(r"Size of MFT Entries: (\d+)", stat).group(1))
    mft = int(re.search(r"First Cluster of MFT: (\d+)", stat).group(1))
    return cluster, record, mft


def ntfs_record(image, number):
    cluster, record, mft = ntfs_geometry(image)
    return read(image, mft * cluster + number * record, record)


def ntfs_cut(image, records, extra_clusters):
    """Sector 0, the MFT sectors of the records given and the sectors of the clusters given."""
    cluster, record, mft = ntfs_geometry(image)
    per_cluster = cluster // SECTOR
    sectors = {0}
    for r in records:
        first = (mft * cluster + r * record) // SECTOR
        sectors.update(range(first, first + record // SECTOR))
    for c in extra_clusters:
        sectors.update(range(c * per_cluster, (c + 1) * per_cluster))
    return sectors


def tiny_fat(folder, name, fat_bits, kib):
    """A small FAT volume made by mkfs.fat and filled and partly deleted through mtools."""
    image = os.path.join(folder, name)
    run("mkfs.fat", "-C", "-F", str(fat_bits), "-s", "1", "-S", "512", "-n", "SEEDVOL", image, str(kib))
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1")
    text = os.path.join(folder, "text.txt")
    with open(text, "w") as f:
        f.write("seed file contents\r\n" * 40)

    def m(*args):
        subprocess.run(args, check=True, capture_output=True, env=env)

    m("mmd", "-i", image, "::/DOCS")
    m("mmd", "-i", image, "::/DOCS/INNER")
    m("mmd", "-i", image, "::/GONE")
    m("mcopy", "-i", image, text, "::/KEEP.TXT")
    m("mcopy", "-i", image, text, "::/A Long File Name.txt")
    m("mcopy", "-i", image, text, "::/DOCS/NOTE.TXT")
    m("mcopy", "-i", image, text, "::/DOCS/INNER/DEEP.TXT")
    m("mcopy", "-i", image, text, "::/GONE/LOST.TXT")
    m("mdel", "-i", image, "::/A Long File Name.txt")
    m("mdel", "-i", image, "::/DOCS/NOTE.TXT")
    m("mdeltree", "-i", image, "::/GONE")
    return image


def recycle_info(version, size, path):
    """A "$I" file of the recycle bin of Windows Vista and later."""
    wide = path.encode("utf-16-le")
    head = struct.pack("<QQQ", version, size, 133300884300000000)
    if version == 1:
        return head + wide + bytes(520 - len(wide))
    return head + struct.pack("<I", len(wide) // 2 + 1) + wide + bytes(2)


def emptied_bin_fat(folder):
    """A tiny FAT volume whose recycle bin held a file and a folder, then was emptied by mdel."""
    image = tiny_fat(folder, "bin.img", 16, 2200)
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1")

    def m(*args):
        subprocess.run(args, check=True, capture_output=True, env=env)

    user = "::/$RECYCLE.BIN/S-1-5-21-1001"
    files = {"$IABC123.TXT": recycle_info(1, 9, "C:\\DOCS\\a.txt"), "$RABC123.TXT": b"recycled\n",
             "$IDIR456": recycle_info(2, 3, "C:\\DOCS\\INNER\\folder"), "in.txt": b"in\n"}
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    m("mmd", "-i", image, "::/$RECYCLE.BIN", user, user + "/$RDIR456")
    for name in ("$IABC123.TXT", "$RABC123.TXT", "$IDIR456"):
        m("mcopy", "-i", image, os.path.join(folder, name), user + "/" + name)
    m("mcopy", "-i", image, os.path.join(folder, "in.txt"), user + "/$RDIR456/IN.TXT")
    m("mdel", "-i", image, user + "/$IABC123.TXT", user + "/$RABC123.TXT", user + "/$IDIR456")
    m("mdeltree", "-i", image, user + "/$RDIR456")
    return image


def removed_tree_fat(folder):
    """A small FAT12 volume whose folder of three clusters, written in one piece (its entries
    first, as empty files), was removed with mdeltree."""
    image = os.path.join(folder, "removed.img")
    run("mkfs.fat", "-C", "-F", "12", "-s", "1", "-S", "512", "-n", "SEEDVOL", image, "256")
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1")
    empty, full = os.path.join(folder, "empty"), os.path.join(folder, "full")
    os.makedirs(empty)
    os.makedirs(full)
    for n in range(12):
        name = "removed file number %02d.txt" % n
        open(os.path.join(empty, name), "w").close()
        with open(os.path.join(full, name), "w") as f:
            f.write("removed %d\r\n" % n * (n + 1))

    def m(*args):
        subprocess.run(args, check=True, capture_output=True, env=env)

    m("mmd", "-i", image, "::/TRIP")
    m("mcopy", "-i", image, *sorted(os.path.join(empty, n) for n in os.listdir(empty)), "::/TRIP/")
    m("mcopy", "-o", "-i", image, *sorted(os.path.join(full, n) for n in os.listdir(full)), "::/TRIP/")
    m("mdeltree", "-i", image, "::/TRIP")
    return image


def exfat_file_sectors(image):
    """The sectors of every file's data on an exFAT volume, live or deleted, as istat lists them."""
    sectors = set()
    for line in run("fls", "-r", "-p", image).splitlines():
        kind, _, rest = line.partition(" ")
        name = rest.split("\t", 1)[-1]
        if not kind.endswith("/r") or name.startswith("$"):
            continue
        inode = re.search(r"(\d+):", rest).group(1)
        listing = run("istat", image, inode)
        sectors.update(int(s) for s in listing.split("Sectors:", 1)[-1].split() if s != "0")
    return sectors


def exfat_seeds():
    """The boot regions, and the volumes without their files' data (their folders, FAT, bitmap
    and up-case table), of two volumes build-exfat-fixtures.sh made."""
    for name, options in (("exfat-512", 1), ("exfat-4k", 0)):
        image = os.path.join(fixtures, name + ".img")
        put("exfat_boot_region", name, read(image, 0, 24 * SECTOR))
        total = os.path.getsize(image) // SECTOR
        put("images", name, image_input(image, set(range(total)) - exfat_file_sectors(image), options))


def main():
    if "--exfat" in sys.argv:
        return exfat_seeds()
    shutil.rmtree(corpus, ignore_errors=True)
    work = tempfile.mkdtemp()
    try:
        fats = [tiny_fat(work, "fat12.img", 12, 256), tiny_fat(work, "fat16.img", 16, 2200),
                tiny_fat(work, "fat32.img", 32, 34000)]
        for image in fats:
            base = os.path.basename(image)[:-4]
            put("fat_boot_sector", base, read(image, 0, SECTOR))
            put("images", base, image_input(image))
        put("images", "fat12-carving", image_input(fats[0], options=3))
        put("images", "fat16-emptied-bin", image_input(emptied_bin_fat(work)))
        put("images", "fat12-removed", image_input(removed_tree_fat(work)))

        ntfs = os.path.join(fixtures, "ntfs.img")
        files = os.path.join(fixtures, "ntfs-files.img")
        cluster, _, _ = ntfs_geometry(ntfs)
        small = ntfs_cut(ntfs, list(range(27)) + [64, 65], ntfs_clusters(ntfs, 6, "$DATA") + ntfs_clusters(ntfs, 5, "$INDEX_ALLOCATION"))
        put("images", "ntfs", image_input(ntfs, small))
        comp = int(run("ifind", "-n", "/comp/text.txt", files))
        linked = int(run("ifind", "-n", "/linked.txt", files))
        sparse = int(run("ifind", "-n", "/sparse.bin", files))
        big = int(run("ifind", "-n", "/big.bin", files))
        special = [comp, linked, sparse, big]
        rich = ntfs_cut(files, list(range(16)) + special,
                        ntfs_clusters(files, 6, "$DATA") + ntfs_clusters(files, comp, "$DATA")[:2])
        put("images", "ntfs-files", image_input(files, rich, options=1))

        for image, numbers in ((ntfs, [0, 5, 6, 64]), (files, special)):
            for n in numbers:
                put("ntfs_record", "%s-%d" % (os.path.basename(image)[:-4], n), ntfs_record(image, n))

        for path in (comp, int(run("ifind", "-n", "/comp/mixed.bin", files))):
            clusters = ntfs_clusters(files, path, "$DATA")
            unit = b"".join(read(files, c * cluster, cluster) for c in clusters[:2])
            put("lznt1", "unit-%d" % path, bytes([3]) + unit)

        header = bytes([0, 3]) + bytes(8)
        gaps = bytes([1, 1]) + bytes([0x24]) + bytes(7)
        names = sorted(os.listdir(os.path.join(fixtures, "media"))) + [
            "letter.doc", "sheet.xls", "single.pdf", "plain.zip", "page.html", "letter.rtf", "data.xml", "notes.txt"]
        for name in names:
            path = os.path.join(fixtures, "media", name) if os.path.exists(os.path.join(fixtures, "media", name)) \
                else os.path.join(fixtures, name)
            put("recognisers", name, header + read(path, 0, 6144))
        put("recognisers", "gaps-cjpeg.jpg", gaps + read(os.path.join(fixtures, "media", "cjpeg.jpg")))
        # Both passes with the exact lengths on: text, markup and PDF with their ends, a short MP3
        # and a TIFF whose directory follows its strips.
        exact = bytes([0x80, 0x83]) + bytes(8)
        for name in ("utf8.txt", "gbk.txt", "utf8.html", "gbk.xml", "linearized.pdf", "short.mp3"):
            put("recognisers", "exact-" + name, exact + read(os.path.join(fixtures, "exact", name), 0, 16384))
        put("recognisers", "exact-little.tif", exact + read(os.path.join(fixtures, "media", "little.tif")))

        def info2(size, records):
            out = bytearray(20)
            struct.pack_into("<I", out, 12, size)
            for path, number in records:
                rec = bytearray(size)
                ansi = path.encode("gbk")
                rec[0:len(ansi)] = ansi
                struct.pack_into("<II", rec, 260, number, 2)
                if size == 800:
                    wide = path.encode("utf-16-le")
                    rec[280:280 + len(wide)] = wide
                out += rec
            return bytes(out)

        exfat_seeds()

        put("info2", "ansi", info2(280, [("C:\\Docs\\a.txt", 1), ("C:\\报告.doc", 3)]))
        put("info2", "unicode", info2(800, [("C:\\Docs\\照片集", 2), ("C:\\b.bin", 1)]))

        put("recycle_info", "v1-file", recycle_info(1, 59126, "C:\\Docs\\sunset.jpg"))
        put("recycle_info", "v2-folder", recycle_info(2, 20977, "C:\\Docs\\旅行 2023"))
        put("recycle_info", "v2-root-file", recycle_info(2, 4, "C:\\b.bin"))

        for i, (pattern, name) in enumerate([("*.txt", "readme.txt"), ("[a-c]?d*", "bcd.doc"), ("[!x]*", "y"),
                                             ("[]a]*", "]"), ("报告*", "报告.doc"), ("*a*b*c", "aXbYc")]):
            put("name_pattern", "pattern-%d" % i, (pattern + "\0" + name).encode("utf-16-le"))
    finally:
        shutil.rmtree(work)


main()
