#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every place that tells users which formats Pixkit handles names exactly
# what its codec table reads and writes: the README, the AppStream data,
# the Debian package descriptions and pixkit.pc. A format added to the
# library without these lists, or a list left behind, fails here.
# Usage: format_lists_checks.sh SOURCE_DIR
set -euo pipefail
source=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

table=$(find "$source/pixkit/src" -name codecs.h | head -n 1)
[ -n "$table" ] || fail "no codecs.h under pixkit/src"
# The name each codec is known by to users.
declare -A names=([bmp]=BMP [rle_bmp]=BMP [gif]=GIF [ilbm]=IFF [jpeg]=JPEG [pcx]=PCX [tga]=TGA [tiff]=TIFF
  [jp2]='JPEG 2000' [png]=PNG [webp]=WebP [avif]=AVIF [heif]=HEIF)
name_of() { [ -n "${names[$1]+x}" ] || fail "codec $1 of $table has no name here"; echo "${names[$1]}"; }
mapfile -t decoders < <(sed -n 's/.*Result<Picture> decode_\([a-z0-9_]*\)(.*/\1/p' "$table" | sort -u)
mapfile -t encoders < <(sed -n 's/.*Status encode_\([a-z0-9_]*\)(.*/\1/p' "$table" | sort -u)
[ ${#decoders[@]} -gt 0 ] || fail "no decoders found in $table"
read_write=() read_only=()
for codec in "${decoders[@]}"; do
  name=$(name_of "$codec")
  if printf '%s\n' "${encoders[@]}" | grep -qx -e "$codec" -e "rle_$codec"; then read_write+=("$name"); else read_only+=("$name"); fi
done

# Whether a list (a piece of text) names a format as a word of its own;
# JPEG is not JPEG 2000.
names_format() {
  local list=$1 format=$2
  if [ "$format" = JPEG ]; then grep -qP '\bJPEG\b(?! 2000)' <<<"$list"; else grep -qP "\\b$format\\b" <<<"$list"; fi
}
check_lists() {
  local where=$1 both=$2 only=$3 format
  [ -n "$both" ] || fail "$where: no list of the formats read and written"
  for format in "${read_write[@]}"; do
    names_format "$both" "$format" || fail "$where does not list $format as read and written: '$both'"
  done
  for format in "${read_only[@]}"; do
    names_format "$only" "$format" || fail "$where does not list $format as read: '$only'"
    if names_format "$both" "$format"; then fail "$where lists $format, read only, as written too"; fi
  done
}
# One line of text per document, blanks collapsed.
flat() { tr '\n' ' ' <"$1" | tr -s ' '; }

readme=$(flat "$source/README.md")
check_lists README.md "$(grep -oP 'Pixkit, which reads and writes \K.*?(?=, and reads)' <<<"$readme" | head -n 1)" \
  "$(grep -oP 'Pixkit, which reads and writes .*?, and reads \K[^.]*' <<<"$readme" | head -n 1)"

metainfo=$(flat "$source/dist/example.stempora.Stempora.metainfo.xml")
check_lists "metainfo (English)" "$(grep -oP 'It reads and writes \K.*?(?=, and reads)' <<<"$metainfo")" \
  "$(grep -oP 'It reads and writes .*?, and reads \K[^,.]*' <<<"$metainfo")"
check_lists "metainfo (German)" "$(grep -oP 'Es liest und schreibt \K.*?(?= und liest)' <<<"$metainfo")" \
  "$(grep -oP 'Es liest und schreibt .*? und liest \K[^,.]*' <<<"$metainfo")"
check_lists "metainfo (release notes)" "$(grep -oP '<li>\K[^<]*?(?= read and written)' <<<"$metainfo")" \
  "$(grep -oP '<li>[^<]*? read and written, and \K[^<]*?(?= read,)' <<<"$metainfo")"

control=$(flat "$source/debian/control")
check_lists "debian/control (stempora)" "$(grep -oP 'It reads and writes \K.*?(?=, and reads)' <<<"$control")" \
  "$(grep -oP 'It reads and writes .*?, and reads \K[^,.]*' <<<"$control")"
while read -r both; do
  check_lists "debian/control (Pixkit)" "$both" "$(grep -oP '\(and reads \K[^)]*' <<<"$control" | head -n 1)"
done < <(grep -oP 'Pixkit reads and writes \K.*?(?= files)' <<<"$control")

pc=$(grep '^Description:' "$source/pixkit/pixkit.pc.in")
check_lists pixkit.pc "$(grep -oP 'reads and writes \K.*?(?=, and reads)' <<<"$pc")" \
  "$(grep -oP ', and reads \K.*' <<<"$pc")"
echo "every list names ${read_write[*]}; and ${read_only[*]} as read"
