#!/usr/bin/env bash
# Checks the icon reader against wrestool on a real corpus.
#
#   bash bench/parity.sh [FOLDER...]     (default: the Windows libraries of wine64)
#
# 1. For every file, `iconprobe count` must equal the number of distinct icon-group
#    names `wrestool -l --type=14` lists (it prints one line per language).
# 2. For a sample of the files with icons (SAMPLE files, default 60, spread over the
#    list), every icon index is saved with `iconprobe save`: the file must be 766
#    bytes, `icotool -l` must read it as one 32x32 16-colour icon, the group saved
#    by resource ID (index -ID) must be the one at wrestool's position of that ID,
#    and the picture must match the group wrestool extracts (bench/pixelcheck.py).
# Exits 1 on any mismatch.
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

BenchInstallTools
BenchBuild
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
BenchCorpus "$work/files" "$@"
echo "corpus: ${CORPUS_DIRS[*]}"

mapfile -t files <"$work/files"
mapfile -t oursCounts < <("$ICONPROBE" count "${files[@]}" | cut -f1)

fileCount=0 groupCount=0 withIcons=0 countMismatch=0
: >"$work/withicons"
for i in "${!files[@]}"; do
    f=${files[$i]}
    ours=${oursCounts[$i]}
    WrestoolGroupNames "$f" >"$work/names"
    theirs=$(wc -l <"$work/names")
    fileCount=$((fileCount + 1))
    groupCount=$((groupCount + theirs))
    if [ "$ours" != "$theirs" ]; then
        countMismatch=$((countMismatch + 1))
        echo "COUNT MISMATCH: $f: iconprobe $ours, wrestool $theirs: $(paste -sd' ' "$work/names")"
    fi
    if [ "$theirs" -gt 0 ]; then
        withIcons=$((withIcons + 1))
        printf '%s\n' "$f" >>"$work/withicons"
    fi
done
echo "count parity: $fileCount files compared ($withIcons with icons), $groupCount icon groups, $countMismatch mismatches"

# The sample: every k-th file with icons, so that big and small libraries both come in.
sample=${SAMPLE:-60}
mapfile -t iconFiles <"$work/withicons"
step=$(((${#iconFiles[@]} + sample - 1) / (sample > 0 ? sample : 1)))
((step > 0)) || step=1
saved=0 saveBad=0 orderChecked=0 orderBad=0 sampleFiles=0
: >"$work/pairs"
for ((k = 0; k < ${#iconFiles[@]}; k += step)); do
    f=${iconFiles[$k]}
    sampleFiles=$((sampleFiles + 1))
    dir="$work/s$k"
    mkdir -p "$dir/wrestool"
    wrestool -x --type=14 -o "$dir/wrestool" "$f" 2>/dev/null
    base=$(basename "$f")
    # wrestool -l lines: --type=14 --name=NAME --language=LANG [...]; the first
    # language of each name is the one the reader uses.
    wrestool -l --type=14 "$f" 2>/dev/null |
        sed -n 's/^--type=14 --name=\(.*\) --language=\([0-9]*\) .*/\1\t\2/p' | awk -F'\t' '!seen[$1]++' >"$dir/list"
    idx=0
    while IFS=$'\t' read -r name lang; do
        out="$dir/$idx.ico"
        if ! msg=$("$ICONPROBE" save "$f" "$idx" "$out"); then
            echo "SAVE FAILED: $f $idx: $msg"
            saveBad=$((saveBad + 1))
        else
            size=$(stat -c %s "$out")
            listed=$(icotool -l "$out" 2>&1)
            if [ "$size" != 766 ] ||
                [ "$listed" != "--icon --index=1 --width=32 --height=32 --bit-depth=4 --palette-size=16" ]; then
                echo "BAD SAVE: $f $idx: $size bytes, icotool: $listed"
                saveBad=$((saveBad + 1))
            fi
            saved=$((saved + 1))
            plain=${name#\'}
            plain=${plain%\'}
            # wrestool leaves the language out of the file name for US English.
            source="$dir/wrestool/${base}_14_${plain}_${lang}.ico"
            [ -f "$source" ] || source="$dir/wrestool/${base}_14_${plain}.ico"
            if [ -f "$source" ]; then
                printf '%s\t%s\n' "$out" "$source" >>"$work/pairs"
            else
                echo "no wrestool file for $f group $name: $(find "$dir/wrestool" -type f -printf "%f ")"
            fi
            # Index -ID names the group whose resource ID is ID (IDs 0 and 1 have no
            # such index: -1 is the count).
            if [[ $name =~ ^[0-9]+$ ]] && ((name >= 2)); then
                orderChecked=$((orderChecked + 1))
                if ! "$ICONPROBE" save "$f" "-$name" "$dir/id.ico" >/dev/null || ! cmp -s "$out" "$dir/id.ico"; then
                    echo "ORDER MISMATCH: $f: index $idx is not group ID $name"
                    orderBad=$((orderBad + 1))
                fi
            fi
        fi
        idx=$((idx + 1))
    done <"$dir/list"
done
echo "save check: $sampleFiles files, $saved icons saved, $saveBad not 766 bytes / not read by icotool / failed"
echo "order check: $orderChecked groups saved by resource ID, $orderBad not at wrestool's position"
pixelStatus=0
python3 "$BENCH_DIR/pixelcheck.py" <"$work/pairs" || pixelStatus=1

if ((countMismatch || saveBad || orderBad || pixelStatus)); then
    echo "PARITY: FAILED"
    exit 1
fi
echo "PARITY: OK"
