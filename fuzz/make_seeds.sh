#!/usr/bin/env bash
# Regenerates the seed corpora in fuzz/corpus/ from independent tools: icotool builds
# the .ico files, mingw-w64 windres + ld the PE32 and PE32+ libraries, seedgen.py the
# source images, the DIB and PNG variants and the NE icon library.
# Needs icoutils, binutils-mingw-w64 (x86-64 and i686), cpp and python3.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
corpus="$here/corpus"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/seedgen.py" sources "$work/src"
cd "$work"

# .ico files: depths 1, 4, 8, 24 and 32, and a PNG-compressed 256 x 256 image.
icotool -c -o multi.ico src/s16_4.png src/s16_8.png src/s16_32.png src/s32_1.png src/s32_4.png
icotool -c -o rgb24.ico src/s24_24.png
icotool -c -o png256.ico --raw=src/s256.png src/s16_32.png
icotool -c -o mono.ico src/s32_1.png

# A resource library with groups by number and by name, in two languages; small
# images only, as the fuzzers work best on short inputs.
icotool -c -o small.ico src/s16_4.png src/s32_1.png
cat > icons.rc <<'EOF'
LANGUAGE 9, 1
1 ICON "small.ico"
APPICON ICON "png256.ico"
7 ICON "mono.ico"
LANGUAGE 7, 1
1 ICON "mono.ico"
EOF
for arch in x86_64 i686; do
  "$arch-w64-mingw32-windres" --preprocessor=cpp icons.rc -O coff -o "icons-$arch.o"
  "$arch-w64-mingw32-ld" -shared -e 0 -s -o "icons-$arch.dll" "icons-$arch.o"
done

rm -rf "$corpus"
mkdir -p "$corpus"/{pe,ne,ico,dib,png,roundtrip}

cp icons-x86_64.dll "$corpus/pe/pe32plus_groups.dll"
cp icons-i686.dll "$corpus/pe/pe32_groups.dll"
python3 "$here/seedgen.py" ne multi.ico "$corpus/ne/icon_library.icl"
cp multi.ico rgb24.ico png256.ico mono.ico "$corpus/ico/"

for ico in multi rgb24 png256; do
  python3 "$here/seedgen.py" slice "$ico.ico" images "$ico"
done
cp images/*.dib "$corpus/dib/"
python3 "$here/seedgen.py" dibs "$corpus/dib"
cp images/*.png "$corpus/png/"
cp src/s16_32.png "$corpus/png/source_16x16.png"
python3 "$here/seedgen.py" pngs "$corpus/png"

# Round trip: every source depth, a non-square image and images that get scaled.
cp images/multi_*.dib images/rgb24_*.dib "$corpus/roundtrip/"
cp "$corpus/dib/short_table_8.dib" "$corpus/dib/core_header_4.dib" "$corpus/dib/bitfields_alpha_32.dib" "$corpus/roundtrip/"
cp "$corpus/png/source_16x16.png" "$corpus/png/palette2.png" "$corpus/roundtrip/"



# The reproducers of past findings belong to the corpora too.
python3 "$here/hostile.py"
du -sh "$corpus"
