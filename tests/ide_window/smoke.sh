#!/usr/bin/env bash
# Starts the real OpenTm32W under Xvfb with a workspace and a file argument,
# lets it compute once (its self-test hook), and checks the result text, the
# screenshot and a clean exit.  Usage: smoke.sh PROGRAM WORK_DIRECTORY
set -euo pipefail
program=$1
work=$2
rm -rf "$work"
mkdir -p "$work/config" "$work/data" "$work/out"

{ echo "#PATH{$work}"; cat <<'OTM'
#MODULE{"Tools*tools.tm"}
#KEY{"twice" "sin"}
OTM
} >"$work/ws.otm"
printf '~twice(x)=2*x;\n' >"$work/tools.tm"
# CR LF lines and a Chinese comment, as files from the original platform.
printf '// 计算两倍\r\n#USE# Tools;\r\ntwice(21)\r\n' >"$work/main.tm"
mkdir -p "$work/config/OpenTM"
printf '[General]\ndefault_workspace=%s\n' "$work/ws.otm" >"$work/config/OpenTM/OpenTM.conf"

export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data OPENTM_SELF_TEST=$work/out
# A sanitizer build reports through its exit status and standard error.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(dirname "${BASH_SOURCE[0]}")/lsan.supp}
status=0
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$work/main.tm" 2>"$work/stderr.txt" || status=$?
if ((status != 0)); then
    echo "smoke: OpenTm32W exited with $status" >&2
    cat "$work/stderr.txt" >&2
    exit 1
fi
if grep -q "Sanitizer" "$work/stderr.txt"; then
    cat "$work/stderr.txt" >&2
    exit 1
fi
grep -q "42" "$work/out/output.txt" || { echo "smoke: no result in the output window" >&2; cat "$work/out/output.txt" >&2; exit 1; }
[[ -s $work/out/window.png ]] || { echo "smoke: no screenshot" >&2; exit 1; }
if [[ -s $work/out/boxes.txt ]]; then
    echo "smoke: unexpected message boxes:" >&2
    cat "$work/out/boxes.txt" >&2
    exit 1
fi
echo "smoke: result and screenshot in $work/out"
