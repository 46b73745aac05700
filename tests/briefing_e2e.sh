#!/usr/bin/env bash
# The whole briefing, end to end, with the built program unmodified: inside a private mount and
# network namespace the weather site's and the news portal's hosts point to a local nginx over
# HTTPS; xdotool types a town, clicks 查天气 and 全国新闻, types a two-line message, clicks 预览
# and 生成文本 and dismisses the notice; then wx.txt and nginx's access log are checked.
set -euo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)
if [[ ${TOVRENIC_NAMESPACE:-} != 1 ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: a private mount and network namespace needs root"
    exit 77
  fi
  exec env TOVRENIC_NAMESPACE=1 unshare --mount --net "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  umount /etc/hosts 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [[ -f $work/access.log ]] && sed 's/^/  access: /' "$work/access.log" >&2
  exit 1
}

ip link set lo up
printf '127.0.0.1 localhost\n127.0.0.1 www.tianqi.com news.baidu.com\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=www.tianqi.com \
  -addext 'subjectAltName=DNS:www.tianqi.com,DNS:news.baidu.com' \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
mkdir -p "$work/weather" "$work/news" "$work/logs" "$work/bin"
cp "$here/fixtures/weather-beijing.html" "$work/weather/beijing"        # UTF-8
iconv -f UTF-8 -t GBK "$here/fixtures/news-guonei.html" >"$work/news/guonei"  # GBK
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
user root;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events {}
http {
  log_format headers '\$host "\$request" "\$http_user_agent" "\$http_accept" '
                     '"\$http_accept_encoding" "\$http_accept_language" "\$http_cache_control"';
  access_log $work/access.log headers;
  default_type text/html;
  ssl_certificate $work/cert.pem;
  ssl_certificate_key $work/key.pem;
  server { listen 127.0.0.1:443 ssl; server_name www.tianqi.com; root $work/weather; }
  server { listen 127.0.0.1:443 ssl; server_name news.baidu.com; root $work/news; }
}
CONF
nginx -p "$work" -c "$work/nginx.conf" &
pids+=($!)

for n in $(seq 200 239); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM

cp "$program" "$work/bin/tovrenic"
"$work/bin/tovrenic" &
app=$!
pids+=($app)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tovrenic  ' | head -n 1)
[[ -n $window ]] || fail "the window did not appear"

requests() { grep -c "$1" "$work/access.log" 2>/dev/null || true; }
wait_for_requests() {  # pattern count
  for _ in $(seq 300); do [[ $(requests "$1") -ge $2 ]] && return 0; sleep 0.1; done
  fail "expected $2 requests matching $1, saw $(requests "$1")"
}
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# 城镇: select what is there and type 北京; then 查天气.
click 225 56
xdotool key --window "$window" ctrl+a
xdotool type --delay 40 '北京'
click 428 56
wait_for_requests 'GET /beijing' 5
# 全国新闻
click 179 180
wait_for_requests 'GET /guonei' 9
sleep 1
# 寄语1: two lines; 预览; 生成文本; the notice.
click 200 345
xdotool type --delay 20 'Good morning'
xdotool key Return
xdotool type --delay 20 'Stay warm'
click 428 351
click 80 464
notice=$(timeout 15 xdotool search --sync --onlyvisible --name '^信息：$' | head -n 1)
[[ -n $notice ]] || fail "no notice after 生成文本"
xdotool windowfocus --sync "$notice" key Return

printf '%s\r\n' '北京早报' '2026年12月11日　星期五' '平均气温：-2℃ 晴' '最低最高：-9 ~ 3℃' \
  '━━━━━━━━━━━━━━' '1.全国冬季供暖工作有序推进' '2.多地迎来今冬首场降雪' '3.高铁新线开通运营' \
  '4.科技创新成果发布' '5.农业丰收数据出炉' '6.文化遗产保护新进展' '7.城市更新项目启动' \
  '8.体育赛事精彩纷呈' '9.健康生活小贴士' '━━━━━━━━━━━━━━' '每日寄语' 'Good morning' >"$work/expected.utf8"
printf 'Stay warm' >>"$work/expected.utf8"
iconv -f UTF-8 -t GBK "$work/expected.utf8" >"$work/expected"
for _ in $(seq 50); do [[ -f $work/bin/wx.txt ]] && break; sleep 0.1; done
cmp "$work/expected" "$work/bin/wx.txt" || fail "wx.txt differs: $(iconv -f GBK -t UTF-8 "$work/bin/wx.txt" | od -c | head -20)"

# Five requests for the town's page and nine for the section, each with the default headers.
[[ $(requests 'GET /beijing') == 5 ]] || fail "weather requests"
[[ $(requests 'GET /guonei') == 9 ]] || fail "news requests"
headers='"Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)" "text/html, application/xhtml+xml, \*/\*" "gbk, GB2312" "zh-cn" "no-cache"'
[[ $(grep -c "$headers" "$work/access.log") == 14 ]] || fail "default request headers"
grep -c '^www.tianqi.com "GET /beijing HTTP/1.1"' "$work/access.log" | grep -qx 5 || fail "weather host"
grep -c '^news.baidu.com "GET /guonei HTTP/1.1"' "$work/access.log" | grep -qx 9 || fail "news host"

# A screenshot of the filled window for the documentation.
[[ -n ${TOVRENIC_SCREENSHOT:-} ]] && import -window "$window" "$TOVRENIC_SCREENSHOT"

xdotool windowfocus --sync "$window" key Escape
status=0
timeout 10 tail --pid="$app" -f /dev/null || fail "still running after Esc"
wait "$app" || status=$?
[[ $status == 0 ]] || fail "exit code $status"
echo "briefing_e2e: all checks passed"
