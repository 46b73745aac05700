#!/usr/bin/env bash
# tovrenic-briefing end to end, the built command unmodified: inside a private mount and network
# namespace the weather site's and the news portal's hosts point to a local nginx over HTTPS.
# The briefing must be byte for byte the wx.txt that briefing_e2e.sh expects of the window for
# the same town, section and message; then the exit statuses and the diagnostics.
set -euo pipefail

command=$1
here=$(cd "$(dirname "$0")" && pwd)
if [[ ${TOVRENIC_NAMESPACE:-} != 1 ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: a private mount and network namespace needs root"
    exit 77
  fi
  exec env TOVRENIC_NAMESPACE=1 unshare --mount --net "$0" "$@"
fi

work=$(mktemp -d)
nginx_pid=
cleanup() {
  [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null
  wait 2>/dev/null || true
  umount /etc/hosts 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in err out; do
    [[ -f $work/$f ]] && iconv -f GBK -t UTF-8 -c "$work/$f" | sed "s/^/  $f: /" >&2
  done
  exit 1
}

ip link set lo up
printf '127.0.0.1 localhost\n127.0.0.1 www.tianqi.com news.baidu.com\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=www.tianqi.com \
  -addext 'subjectAltName=DNS:www.tianqi.com,DNS:news.baidu.com' \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
mkdir -p "$work/weather" "$work/news" "$work/logs" "$work/files"
cp "$here/fixtures/weather-beijing.html" "$work/weather/beijing"              # UTF-8
iconv -f UTF-8 -t GBK "$here/fixtures/news-guonei.html" >"$work/news/guonei"  # GBK
# A changed page: the week marker renamed, the now value empty, the range span never closed.
sed -e 's/北京/上海/g' -e 's/<dd class="week">/<dd class="day">/' \
  -e 's#<b>-2</b>#<b></b>#' -e 's#</span>##' \
  "$here/fixtures/weather-beijing.html" >"$work/weather/shanghai"
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
user root;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events {}
http {
  access_log $work/access.log;
  default_type text/html;
  ssl_certificate $work/cert.pem;
  ssl_certificate_key $work/key.pem;
  server { listen 127.0.0.1:443 ssl; server_name www.tianqi.com; root $work/weather; }
  server { listen 127.0.0.1:443 ssl; server_name news.baidu.com; root $work/news; }
}
CONF
nginx -p "$work" -c "$work/nginx.conf" &
nginx_pid=$!
for _ in $(seq 100); do
  (exec 3<>/dev/tcp/127.0.0.1/443) 2>/dev/null && break
  sleep 0.1
done

# Runs the command with the remaining arguments: standard output in out, standard error in err,
# the exit status in status.
status=
briefing() {
  status=0
  "$command" "$@" >"$work/out" 2>"$work/err" </dev/null || status=$?
}
expect_status() { [[ $status == "$1" ]] || fail "$2: exit status $status, expected $1"; }
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
requests() { grep -c "$1" "$work/access.log" 2>/dev/null || true; }

# The window's wx.txt for 北京, 全国新闻 and the two-line message (as briefing_e2e.sh expects it),
# block by block.
printf '%s\r\n' '北京早报' '2026年12月11日　星期五' '平均气温：-2℃ 晴' '最低最高：-9 ~ 3℃' \
  '━━━━━━━━━━━━━━' >"$work/weather.utf8"
printf '%s\r\n' '1.全国冬季供暖工作有序推进' '2.多地迎来今冬首场降雪' '3.高铁新线开通运营' \
  '4.科技创新成果发布' '5.农业丰收数据出炉' '6.文化遗产保护新进展' '7.城市更新项目启动' \
  '8.体育赛事精彩纷呈' '9.健康生活小贴士' >"$work/news.utf8"
printf '%s\r\n' '━━━━━━━━━━━━━━' '每日寄语' 'Good morning' >"$work/daily.utf8"
printf 'Stay warm' >>"$work/daily.utf8"
cat "$work"/{weather,news,daily}.utf8 | iconv -f UTF-8 -t GBK >"$work/expected"
cat "$work"/{weather,news}.utf8 | iconv -f UTF-8 -t GBK >"$work/expected-no-message"

# All fields found: the window's bytes, status 0, one diagnostics line per fetch naming nothing
# empty, five requests for the town and nine for the section.
briefing --town 北京 --news guonei --message $'Good morning\nStay warm'
expect_status 0 "all fields"
cmp -s "$work/expected" "$work/out" || fail "standard output differs from the window's wx.txt"
[[ $(grep -c '^fetch [0-9]*/14 https://' "$work/err") == 14 ]] || fail "not one line per fetch"
grep -q 'empty' "$work/err" && fail "a field reported empty"
grep -qx 'fetch 1/14 https://www.tianqi.com/beijing: 200 OK, 390 bytes; found: heading' "$work/err" ||
  fail "the first diagnostics line"
grep -qx 'fetch 14/14 https://news.baidu.com/guonei: 200 OK, 885 bytes; found: headline 9' \
  "$work/err" || fail "the last diagnostics line"
[[ $(requests 'GET /beijing') == 5 && $(requests 'GET /guonei') == 9 ]] || fail "requests"
cp "$work/err" "$work/err-all-found"

# The same message from a file with CR LF, and from standard input with LF.
printf 'Good morning\r\nStay warm' >"$work/message.txt"
briefing --town=北京 --message-file "$work/message.txt"
expect_status 0 "message file"
cmp -s "$work/expected" "$work/out" || fail "--message-file differs"
status=0
printf 'Good morning\nStay warm' | "$command" --town 北京 --message-file - >"$work/out" 2>/dev/null ||
  status=$?
expect_status 0 "message on standard input"
cmp -s "$work/expected" "$work/out" || fail "--message-file - differs"

# The C locale, as cron often runs jobs: the arguments are still taken as UTF-8.
LC_ALL=C briefing --town 北京 --message $'Good morning\nStay warm'
expect_status 0 "C locale"
cmp -s "$work/expected" "$work/out" || fail "the C locale changes the briefing"

# UTF-8 on request: the GBK bytes converted, CR LF kept.
briefing --town 北京 --message $'Good morning\nStay warm' --encoding utf-8
expect_status 0 "utf-8"
iconv -f GBK -t UTF-8 "$work/expected" | cmp -s - "$work/out" || fail "--encoding utf-8 differs"

# Into a file: an existing, longer file is replaced whole, nothing else is left behind, and
# nothing goes to standard output.
head -c 5000 /dev/zero >"$work/files/briefing.txt"
briefing --town 北京 --message $'Good morning\nStay warm' --output "$work/files/briefing.txt"
expect_status 0 "--output"
cmp -s "$work/expected" "$work/files/briefing.txt" || fail "--output differs"
[[ ! -s $work/out ]] || fail "--output also wrote to standard output"
[[ $(ls -A "$work/files") == briefing.txt ]] || fail "left behind: $(ls -A "$work/files")"
briefing --town 北京 --output "$work/no-such-folder/briefing.txt"
expect_status 1 "--output into a missing folder"
grep -q 'cannot write .*no-such-folder/briefing.txt: No such file or directory' "$work/err" ||
  fail "no reason for the failed write"

# Without a message no daily-message block; without --news the national section.
briefing --town 北京
expect_status 0 "no message"
cmp -s "$work/expected-no-message" "$work/out" || fail "the briefing without a message"

# Without --town the default town's page, which this server does not have: the 404 page is a
# page all the same, so its fields are empty (3), not failed (4).
before=$(requests 'GET /shijiazhuang')
briefing
expect_status 3 "default town"
[[ $(($(requests 'GET /shijiazhuang') - before)) == 5 ]] || fail "the default town 石家庄"
grep -q '^fetch 1/14 https://www.tianqi.com/shijiazhuang: 404 Not Found, [0-9]* bytes; empty: heading (no `<meta content="天气网（www.tianqi.com）`)$' \
  "$work/err" || fail "the 404 page's diagnostics"

# A changed page: the empty fields are named with the marker the page lacks, status 3, and
# the briefing is still written as the window would write it.
briefing --town 上海
expect_status 3 "missing markers"
cp "$work/err" "$work/err-missing-markers"
grep -qx 'fetch 2/14 https://www.tianqi.com/shanghai: 200 OK, [0-9]* bytes; empty: week text (no `d class="week">`)' \
  "$work/err" || fail "the missing week marker is not named"
grep -q '^fetch 3/14 .*; empty: now value (nothing between `class="now"><b>` and `</b><i`)$' \
  "$work/err" || fail "the empty now value is not named"
grep -qx 'fetch 5/14 https://www.tianqi.com/shanghai: 200 OK, [0-9]* bytes; empty: range span (no `</span>` behind `<span><b>`), range (the range span is empty)' \
  "$work/err" || fail "the missing </span> is not named"
[[ $(grep -c 'empty' "$work/err") == 3 ]] || fail "other fields reported empty"
{
  printf '%s\r\n' '上海早报' '' '平均气温：℃ 晴' '最低最高：℃' '━━━━━━━━━━━━━━'
  cat "$work/news.utf8"
} | iconv -f UTF-8 -t GBK | cmp -s - "$work/out" || fail "the briefing of the changed page"

# The progress line, asked for with standard error in a file.
briefing --town 北京 --progress
expect_status 0 "--progress"
grep -q $'\r\\[#############.\\] 14/14 https://news.baidu.com/guonei' "$work/err" ||
  fail "no progress line"
[[ $(tr '\r' '\n' <"$work/err" | grep -c '^fetch ') == 14 ]] || fail "diagnostics with progress"

# Bad usage: status 2, the problem and the usage on standard error, nothing fetched.
before=$(wc -l <"$work/access.log")
while IFS='|' read -r problem args; do
  eval "briefing $args"
  expect_status 2 "$args"
  grep -qF "tovrenic-briefing: $problem" "$work/err" || fail "$args: not \"$problem\""
  grep -q '^Usage: tovrenic-briefing \[--town TOWN\]' "$work/err" || fail "$args: no usage"
  [[ ! -s $work/out ]] || fail "$args: wrote a briefing"
done <<'CASES'
unknown option --bogus|--bogus
unknown option -t|-t 北京
unexpected argument "北京"|北京
--news must be guonei, guoji or finance, not "sport"|--news sport
--town needs a value|--town
--message and --message-file exclude each other|--message hi --message-file "$work/message.txt"
--town is given twice|--town 北京 --town 上海
--encoding must be gbk or utf-8, not "latin1"|--encoding latin1
cannot read the message file /nonexistent: No such file or directory|--message-file /nonexistent
the town is not valid UTF-8 text|--town $'\xb1\xb1'
CASES
[[ $(wc -l <"$work/access.log") == "$before" ]] || fail "bad usage fetched pages"

briefing --help
expect_status 0 "--help"
grep -q '^  30 6 \* \* \* tovrenic-briefing --town 北京 .*--output ' "$work/out" ||
  fail "--help shows no crontab line"

# Every fetch failing (nothing listens any more): status 4, the failure text on every line,
# and the bare skeletons of both blocks still written.
kill "$nginx_pid"
wait "$nginx_pid" 2>/dev/null || true
nginx_pid=
briefing --town 北京
expect_status 4 "every fetch failed"
[[ $(grep -c '^fetch [0-9]*/14 https://.*: 711 发送请求失败!, 0 bytes; empty: ' "$work/err") == 14 ]] ||
  fail "not 14 failure lines"
gbk $'早报\r\n\r\n平均气温：℃ \r\n最低最高：℃\r\n━━━━━━━━━━━━━━\r\n1.\r\n2.\r\n3.\r\n4.\r\n5.\r\n6.\r\n7.\r\n8.\r\n9.\r\n' |
  cmp -s - "$work/out" || fail "the skeleton briefing"

if [[ -n ${TOVRENIC_STDERR_SAMPLES:-} ]]; then
  cp "$work/err-all-found" "$TOVRENIC_STDERR_SAMPLES.all-found"
  cp "$work/err-missing-markers" "$TOVRENIC_STDERR_SAMPLES.missing-markers"
fi
echo "briefing_command_e2e: all checks passed"
