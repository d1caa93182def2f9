#!/usr/bin/env bash
# Builds the FAT12, FAT16 and FAT32 volumes that the FAT reader's tests walk, with real tools
# only (mkfs.fat, mtools), and writes next to each image what sleuthkit and fsck.fat say is on
# it: IMG.fls (fls -r -p -l), IMG.istat (one line per entry: inode and its sectors, from
# istat), IMG.fsstat and IMG.fsck (fsck.fat -n -v). The removed-*.img volumes hold folder trees
# removed whole with mdeltree: next to them IMG.fls after the removal, IMG.before.* from before
# it, and the trees' files as they were copied in, IMG.trees/. Cached in the folder given;
# rebuilt when this script changes. A missing tool is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-fat-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set fat "$here/build-fat-fixtures.sh" "$out"

need_tools mkfs.fat fsck.fat mcopy mmd mdel mdeltree fls istat fsstat truncate head sha256sum perl

make_scratch
export MTOOLS_SKIP_CHECK=1
# mtools reads non-ASCII file names in the locale's character set.
export LC_ALL=C.UTF-8

# The files copied onto every volume.
src="$tmp/src"
mkdir -p "$src/Many" "$src/Projects/Alpha/Beta" "$src/Old/Inner"
printf 'Tarvosk fixture file\r\n' > "$src/readme.txt"
head -c 5000 /dev/urandom > "$src/a.bin"
head -c 5000 /dev/urandom > "$src/b.bin"
head -c 70000 /dev/urandom > "$src/big.bin"
head -c 333333 /dev/urandom > "$src/copied.bin"
for i in $(seq -w 1 150); do printf 'entry %s\r\n' "$i" > "$src/Many/file number $i.dat"; done
printf 'deep\r\n' > "$src/Projects/Alpha/Beta/deep.txt"
printf 'alpha notes\r\n' > "$src/Projects/Alpha/Alpha notes.txt"
printf 'old\r\n' > "$src/Old/Inner/OLDFILE.TXT"
printf 'old long\r\n' > "$src/Old/An old long name.txt"

# fill_volume IMAGE: the same tree on every volume, then part of it deleted.
fill_volume() {
  local img=$1
  mcopy -i "$img" "$src/readme.txt" ::/README
  mmd -i "$img" ::/DIR.EXT
  mcopy -i "$img" "$src/readme.txt" ::/TEST.TXT
  mcopy -i "$img" "$src/readme.txt" "::/Long File Name Document.txt"
  mcopy -i "$img" "$src/readme.txt" "::/中文文件名.txt"
  mcopy -i "$img" "$src/readme.txt" "::/寿司店菜单.txt"
  mcopy -i "$img" "$src/readme.txt" "::/abcdefghij.tx"
  mcopy -i "$img" "$src/readme.txt" "::/Deleted Long Name.txt"
  mcopy -i "$img" "$src/readme.txt" "::/已删除的文件.txt"
  mcopy -i "$img" "$src/a.bin" ::/A.BIN
  mcopy -i "$img" "$src/b.bin" ::/B.BIN
  mcopy -s -i "$img" "$src/Many" ::/
  mcopy -s -i "$img" "$src/Projects" ::/
  mcopy -s -i "$img" "$src/Old" ::/
  mdel -i "$img" ::/B.BIN
  # Copied after B.BIN went: its chain may fill the gap and continue elsewhere.
  mcopy -i "$img" "$src/big.bin" ::/BIG.BIN
  mcopy -i "$img" "$src/copied.bin" "::/Projects/Copied data.bin"
  mdel -i "$img" ::/TEST.TXT
  mdel -i "$img" "::/Deleted Long Name.txt"
  mdel -i "$img" "::/已删除的文件.txt"
  mdel -i "$img" "::/Many/file number 007.dat"
  mdeltree -i "$img" ::/Old
}

# oracle IMAGE [NAME [TYPES]]: what sleuthkit and fsck.fat see on IMAGE, written to NAME.fls,
# NAME.fsstat, NAME.fsck and NAME.istat (the sectors of the entries whose fls type matches the
# pattern TYPES; every file and folder unless told).
oracle() {
  local img=$1 name=${2:-$1} types=${3:-'[rd]/[rd]'}
  fls -r -p -l "$img" > "$name.fls"
  fsstat "$img" > "$name.fsstat"
  fsck.fat -n -v "$img" > "$name.fsck" 2>>"$log" || true
  grep -q 'clusters' "$name.fsck" || { echo "build-fat-fixtures: fsck.fat gave no cluster count for $img" >&2; exit 1; }
  : > "$name.istat"
  local inode
  for inode in $(awk -F'\t' -v t="^$types" '$1 ~ t { sub(/^[rd]\/[rd] (\* )?/, "", $1); sub(/[^0-9].*$/, "", $1); print $1 }' "$name.fls"); do
    printf '%s\t%s\n' "$inode" "$(istat "$img" "$inode" | awk 'f { for (i = 1; i <= NF; i++) if ($i != "0") printf "%s ", $i } /^Sectors:/ { f = 1 }')" >> "$name.istat"
  done
}

# make_volume NAME SIZE_MIB FAT_BITS SECTORS_PER_CLUSTER LABEL
make_volume() {
  local img="$out/$1"
  rm -f "$img" "$img".*
  truncate -s "$2M" "$img"
  mkfs.fat -F "$3" -s "$4" -n "$5" "$img" >>"$log" 2>&1
  fill_volume "$img" >>"$log" 2>&1
  oracle "$img"
}

make_volume fat12.img 4 12 2 FAT12VOL
make_volume fat16.img 32 16 4 FAT16VOL
make_volume fat16-s1.img 20 16 1 FAT16ONE
make_volume fat32-s1.img 40 32 1 FAT32ONE
make_volume fat32-s4.img 150 32 4 FAT32FOUR
# ---------------------------------------------------------------------------------------------
# Removed trees: folders of 1, 2 and 5 clusters of long and of Chinese names, with subfolders,
# each written in one piece and then removed whole with mdeltree. mtools grows a folder when it
# writes the folder back at the end of a run, after the data of the files copied in that run; so
# each folder's entries are made first as empty files (its clusters then follow one another) and
# the files' bytes are written into those entries afterwards with mcopy -o, which keeps each entry
# where it is. Three folders fill their last cluster exactly and are followed by the first cluster
# of another folder, a cluster of random bytes and a cluster of zeros.

# removed_plan TREES EMPTY PLAN SLOTS: writes the trees' files under TREES, one folder of empty
# namesakes per folder under EMPTY/N, and the order of making them into PLAN: "dir PATH N
# CLUSTERS" (make the folder and its empty entries) and "put PATH" (copy that file now). SLOTS
# is the number of directory slots per cluster; names are long enough that a folder of five
# clusters holds a few dozen to a few hundred files.
removed_plan() {
  perl -Mutf8 - "$@" <<'PERL'
use strict;
use warnings;
use File::Path qw(make_path);
my ($trees, $empty, $plan, $slotsPerCluster) = @ARGV;
my $clusterSize = 32 * $slotsPerCluster;
# Slots per name: a Latin name takes up to 16 (names of up to 194 characters: fls, the oracle,
# cuts longer ones). A Chinese name takes at most 8: a Linux file name holds 255 bytes, three to
# a Chinese character.
my $latinSlots = int(5 * $slotsPerCluster / 40);
$latinSlots = 2 if $latinSlots < 2;
$latinSlots = 16 if $latinSlots > 16;
my %perFile = (latin => $latinSlots, chinese => $latinSlots > 8 ? 8 : $latinSlots);
# On volumes of big clusters a Chinese folder of five clusters would hold over 600 files.
my $bigChinese = $slotsPerCluster >= 512 ? 2 : 5;
srand($slotsPerCluster);
# [name, style, clusters, "room" or "full", [subfolders], stopper after a full one]
my @trees = (
  ['Holiday pictures 2023', 'latin', 5, 'room', [
    ['Day one at the lake', 'latin', 2, 'room', [['Evening', 'latin', 1, 'room', []]]],
    ['Exactly full folder', 'latin', 2, 'full', []],
    ['Next folder', 'latin', 1, 'room', []]]],
  ['中文资料目录', 'chinese', 2, 'room', [
    ['子目录一号', 'chinese', $bigChinese, 'room', [['最里面的目录', 'chinese', 1, 'room', []]]],
    ['满的目录', 'chinese', 2, 'full', [], 'random'],
    ['另一个满的目录', 'chinese', 1, 'full', [], 'zeros']]],
);
my %stopperName = (random => 'random after full.bin', zeros => 'zeros after full.bin');
open my $out, '>:encoding(UTF-8)', $plan or die "$plan: $!";
my ($number, $folders) = (0, 0);

sub slots { return int((length($_[0]) + 12) / 13) + 1 }  # long-name fragments and the short entry
# A unique name of exactly that many slots (2 to 17), never an 8.3 name.
sub name_of {
  my ($style, $slots) = @_;
  ++$number;
  my $length = 13 * ($slots - 1) - ($slots > 2 ? 1 + ($number % 3) * 3 : 0);
  my $stem = $style eq 'latin'
    ? sprintf('%04d photo taken on the shore of the lake in the early light ', $number) x 5
    : sprintf('%04d号', $number) . '旅行照片湖边清晨的风景与说明文字' x 20;
  my $name = substr($stem, 0, $length - 4);
  $name =~ s/ $/x/;
  return $name . ($style eq 'latin' ? '.jpg' : '.txt');
}
sub write_file {
  my ($path, $bytes) = @_;
  open my $f, '>:raw', $path or die "$path: $!";
  print $f $bytes;
  close $f;
}
sub make_folder {
  my ($parent, $folder) = @_;
  my ($name, $style, $clusters, $fill, $subfolders, $stopper) = @$folder;
  my $path = $parent eq '' ? $name : "$parent/$name";
  my $index = ++$folders;
  make_path("$trees/$path", "$empty/$index");
  # The entries that come after the files: the subfolders and the stoppers of full ones.
  my $later = 1;  # the end-of-folder slot
  for my $sub (@$subfolders) {
    $later += slots($sub->[0]);
    $later += slots($stopperName{$sub->[5]}) if $sub->[5];
  }
  my $capacity = $clusters * $slotsPerCluster - ($fill eq 'full' ? 0 : $later);
  my $each = $perFile{$style};
  my @sizes;
  my $used = 2;  # "." and ".."
  while ($used + $each <= $capacity) { push @sizes, $each; $used += $each }
  if ($fill eq 'full' && $used < $capacity) {
    my $left = $capacity - $used;
    # One slot left: a name of one slot would be an 8.3 name, so two names share the rest.
    if ($left == 1) { pop @sizes; push @sizes, 2, $each - 1 } else { push @sizes, $left }
  }
  $used = 2;
  $used += $_ for @sizes;
  die "$path: $used slots do not span $clusters clusters of $slotsPerCluster"
    if $used <= ($clusters - 1) * $slotsPerCluster || $used > $clusters * $slotsPerCluster
       || ($fill eq 'full' && $used != $clusters * $slotsPerCluster);
  for my $slots (@sizes) {
    my $file = name_of($style, $slots);
    write_file("$trees/$path/$file", join('', map { chr(int(rand(256))) } 1 .. 1 + int(rand(6000))));
    write_file("$empty/$index/$file", '');
  }
  print $out "dir\t$path\t$index\t$clusters\n";
  for my $sub (@$subfolders) {
    make_folder($path, $sub);
    next unless $sub->[5];
    my $file = "$path/$stopperName{$sub->[5]}";
    write_file("$trees/$file", $sub->[5] eq 'zeros' ? "\0" x $clusterSize
                                                   : join('', map { chr(int(rand(256))) } 1 .. $clusterSize));
    print $out "put\t$file\n";
  }
}
make_folder('', $_) for @trees;
PERL
}

# folder_clusters NAME PATH SECTORS_PER_CLUSTER: "clusters contiguous" of a folder as NAME.fls and
# NAME.istat list it (contiguous 1 when its sectors follow one another).
folder_clusters() {
  local inode
  inode=$(awk -F'\t' -v p="$2" '$2 == p && $1 ~ /^d\/d/ { sub(/^d\/d /, "", $1); sub(/:.*/, "", $1); print $1 }' "$1.fls")
  [ -n "$inode" ] || fail "$2 is not a folder on $1"
  awk -F'\t' -v i="$inode" -v per="$3" '$1 == i {
      n = split($2, s, " ")
      ok = 1
      for (k = 2; k <= n; k++) if (s[k] != s[k - 1] + 1) ok = 0
      print n / per, ok
    }' "$1.istat"
}

# make_removed_volume NAME SIZE_MIB FAT_BITS SECTORS_PER_CLUSTER: the removed trees on a fresh
# volume, with IMAGE.fls after the removal, IMAGE.before.* (oracle, folder sectors only) from
# before it, and the trees' files in IMAGE.trees/.
make_removed_volume() {
  local img="$out/$1" spc=$4 kind path index clusters file count contiguous tree
  rm -rf "$img" "$img".*
  truncate -s "$2M" "$img"
  mkfs.fat -F "$3" -s "$spc" -n REMOVED "$img" >>"$log" 2>&1
  rm -rf "$tmp/empty"
  removed_plan "$img.trees" "$tmp/empty" "$tmp/plan" $((spc * 512 / 32))
  while IFS=$'\t' read -r kind path index clusters; do
    if [ "$kind" = put ]; then
      mcopy -i "$img" "$img.trees/$path" "::/$path"
    else
      mmd -i "$img" "::/$path"
      mcopy -i "$img" "$tmp/empty/$index"/* "::/$path/"
    fi
  done < "$tmp/plan" >>"$log" 2>&1
  while IFS=$'\t' read -r kind path index clusters; do
    [ "$kind" = dir ] || continue
    local files=()
    for file in "$tmp/empty/$index"/*; do files+=("$img.trees/$path/${file##*/}"); done
    mcopy -o -i "$img" "${files[@]}" "::/$path/" >>"$log" 2>&1
  done < "$tmp/plan"
  cp --sparse=always "$img" "$tmp/before.img"
  oracle "$tmp/before.img" "$img.before" 'd/d'
  rm "$tmp/before.img"
  while IFS=$'\t' read -r kind path index clusters; do
    [ "$kind" = dir ] || continue
    read -r count contiguous <<< "$(folder_clusters "$img.before" "$path" "$spc")"
    [ "$count" = "$clusters" ] && [ "$contiguous" = 1 ] ||
      fail "$1: $path lies in $count clusters (contiguous: $contiguous), not $clusters in one piece"
  done < "$tmp/plan"
  for tree in "$img.trees"/*; do mdeltree -i "$img" "::/${tree##*/}" >>"$log" 2>&1; done
  fls -r -p -l "$img" > "$img.fls"
}

make_removed_volume removed-fat12.img 6 12 4
make_removed_volume removed-fat16.img 136 16 64
make_removed_volume removed-fat32.img 40 32 1
# The bytes of the file copied in, for reading back through the volume file view.
cp "$src/copied.bin" "$out/fat-copied.bin"

end_fixture_set
