#!/usr/bin/env bash
# sources_bench.sh [build-dir] [lines]: a report of a long CSV file and of the
# same rows in SQLite, each written through --pdf with the layout made from
# the data, against LibreOffice converting the CSV file to PDF. Prints the
# wall time, the peak resident memory and the pages of each. Build Quillet in
# a Release tree (default ./build-release); figures from a sanitizer build
# mean nothing. Needs python3 (to write the files) and GNU time.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build-release}" && pwd)
lines=${2:-1000000}
program="$build/shell/quillet"
if [ ! -x "$program" ]; then
    echo "sources_bench.sh: $program is missing; build the target quillet in $build" >&2
    exit 2
fi
if [ ! -x /usr/bin/time ]; then
    echo "sources_bench.sh: GNU time (/usr/bin/time, Debian package time) is missing" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$lines" <<'EOF'
import random, sqlite3, sys
folder, lines = sys.argv[1], int(sys.argv[2])
random.seed(7)
customers = ['华北商贸公司', '东方文具店', '南京大学书店', '上海办公用品有限公司', '广州星光贸易']
goods = [('钢笔', 12.5), ('铅笔', 0.8), ('笔记本', 6.0), ('文件夹', 3.2), ('计算器', 45.0)]
rows = []
with open(f'{folder}/ledger.csv', 'w', encoding='utf-8') as f:
    f.write('日期,单据号,客户名称,商品名称,数量,单价,金额\n')
    for i in range(lines):
        g, p = goods[i % len(goods)]
        q = random.randint(1, 200)
        row = (f'2026-{i % 12 + 1:02d}-{i % 28 + 1:02d}', f'XS{i + 1:08d}', customers[i % len(customers)], g, q,
               p, round(q * p, 2))
        rows.append(row)
        f.write(f'{row[0]},{row[1]},{row[2]},{row[3]},{row[4]},{row[5]:.2f},{row[6]:.2f}\n')
db = sqlite3.connect(f'{folder}/ledger.db')
db.execute('CREATE TABLE ledger (日期 TEXT, 单据号 TEXT, 客户名称 TEXT, 商品名称 TEXT, 数量 INTEGER, 单价 REAL, 金额 REAL)')
db.executemany('INSERT INTO ledger VALUES (?,?,?,?,?,?,?)', rows)
db.commit()
db.close()
EOF
echo "sources_bench.sh: $lines lines, CSV $(du -h "$work/ledger.csv" | cut -f1), SQLite $(du -h "$work/ledger.db" | cut -f1)"

# run NAME COMMAND...: the command's wall time and peak memory, and the pages
# of the PDF it wrote.
run() {
    local name=$1 pdf=$2
    shift 2
    local report="$work/$name.time"
    if ! /usr/bin/time -f '%e %M' -o "$report" "$@" >"$work/$name.log" 2>&1; then
        echo "$name: failed"
        tail -5 "$work/$name.log"
        return
    fi
    read -r seconds kib <"$report"
    local pages="?"
    if command -v pdfinfo >/dev/null && [ -f "$pdf" ]; then
        pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
    fi
    awk -v n="$name" -v s="$seconds" -v k="$kib" -v p="$pages" \
        'BEGIN { printf "%-22s %8.1f s %8.1f MB peak %8s pages\n", n, s, k / 1024, p }'
}

export QT_QPA_PLATFORM=offscreen QUILLET_NONINTERACTIVE=1
run "quillet CSV" "$work/csv.pdf" "$program" --pdf "$work/csv.pdf" "$work/ledger.csv"
run "quillet SQLite" "$work/sqlite.pdf" "$program" --db "sqlite:$work/ledger.db" \
    --query "SELECT * FROM ledger" --pdf "$work/sqlite.pdf"
if command -v soffice >/dev/null; then
    run "LibreOffice CSV" "$work/ledger.pdf" soffice --headless --infilter=CSV:44,34,76 \
        "-env:UserInstallation=file://$work/lo-profile" --convert-to pdf --outdir "$work" "$work/ledger.csv"
else
    echo "LibreOffice CSV: soffice is missing"
fi
