#!/usr/bin/env bash
# Makes the NTFS volume the recycle bin benchmark scans: mkntfs, then through an ntfs-3g FUSE
# mount 100 folders of 200 files each, every other one deleted, and a recycle bin of two users
# holding PAIRS "$I"/"$R" pairs (version 2; each "$R" a file of 200 bytes, resident in its record,
# or every third one of 3,000 bytes, in clusters; every tenth one a folder of two such files)
# whose original paths lie in those folders; the bin is then emptied with rm. One perl process
# writes the files. Needs /dev/fuse and root.
#   make-recycle-bench-volume.sh IMAGE [PAIRS]
set -euo pipefail
img=${1:?usage: make-recycle-bench-volume.sh IMAGE [PAIRS]}
pairs=${2:-10000}
for tool in mkntfs ntfs-3g perl; do
  command -v "$tool" >/dev/null || { echo "make-recycle-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'mountpoint -q "$tmp/m" && umount "$tmp/m"; rm -rf "$tmp"' EXIT
mkdir "$tmp/m"
rm -f "$img.part"
truncate -s 256M "$img.part"
mkntfs -q -F -Q -c 4096 -L RECYCLE "$img.part" >/dev/null 2>&1
ntfs-3g "$img.part" "$tmp/m"
perl -e '
  use strict;
  my ($root, $pairs) = @ARGV;
  my $body = "recycled benchmark body " x 125;
  sub put { my ($path, $bytes) = @_; open(my $fh, ">:raw", $path) or die "$path: $!"; print $fh $bytes; close($fh); }
  for my $d (0 .. 99) {
    mkdir("$root/d$d") or die;
    put("$root/d$d/f$_", substr($body, 0, $_ % 3 ? 200 : 3000)) for 0 .. 199;
  }
  mkdir("$root/\$Recycle.Bin") or die;
  my @users = map { "$root/\$Recycle.Bin/S-1-5-21-1004336348-1177238915-682003330-100$_" } 1, 2;
  mkdir($_) or die for @users;
  for my $n (0 .. $pairs - 1) {
    my $user = $users[$n % 2];
    my $suffix = sprintf("%06X.txt", $n);
    my $item = substr($body, 0, $n % 3 ? 200 : 3000);
    if ($n % 10 == 0) {
      mkdir("$user/\$R$suffix") or die;
      put("$user/\$R$suffix/$_.txt", $item) for "a", "b";
    } else {
      put("$user/\$R$suffix", $item);
    }
    my $path = sprintf("C:\\d%d\\recycled %d.txt", $n % 100, $n);
    my $wide = join("", map { pack("v", ord) } split(//, $path));
    put("$user/\$I$suffix", pack("Q< Q< Q< V", 2, length($item), 133300884300000000, length($path) + 1) . $wide . "\0\0");
  }' "$tmp/m" "$pairs"
for d in "$tmp/m"/d*; do rm -f "$d"/f*[13579]; done
rm -r "$tmp/m/\$Recycle.Bin/"*/*
umount "$tmp/m"
mv "$img.part" "$img"
