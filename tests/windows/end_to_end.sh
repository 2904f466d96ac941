#!/usr/bin/env bash
# qvaddin.exe under Wine, end to end, as a Windows user runs it: add then
# remove gives back the example's bytes; a read-only file is refused; files
# with non-ASCII names are read and written; a language-server session
# through a pipe; the settings in the registry, and the IDE's tab width read
# from the IDE's own key; Ctrl+C leaves no temporary file. Prints PASS/FAIL per check; non-zero on a failure.
# Usage: tests/windows/end_to_end.sh QVADDIN.EXE [LINUX-QVADDIN]
#   LINUX-QVADDIN: when given, the server's answers are compared with its.
# Wine's environment (WINEPREFIX, WINEDEBUG...) comes from the caller.
set -uo pipefail
exe=$(realpath "$1")
linux=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
[ -n "${QV_KEEP_WORK:-}" ] || trap 'rm -rf "$work"' EXIT
passed=0
failed=0
pass() { echo "PASS  $1"; passed=$((passed + 1)); }
fail() { echo "FAIL  $1"; failed=$((failed + 1)); }
qv() { wine "$exe" "$@"; }
# Every check starts from the settings of a fresh machine.
wine reg delete 'HKCU\Software\Brell Vantoke' /f >/dev/null 2>&1

# --- add, then remove: the example's bytes come back
cp -a "$root/examples" "$work/example"
(cd "$work/example" && qv add Example.vbp >/dev/null && qv remove Example.vbp >/dev/null)
if diff -r "$root/examples" "$work/example" >/dev/null; then
  pass "add then remove gives back the example's bytes"
else
  fail "add then remove gives back the example's bytes"
fi

# --- a read-only module is refused and left as it was
cp -a "$root/examples" "$work/readonly"
chmod a-w "$work/readonly/modMain.bas"
(cd "$work/readonly" && qv add modMain.bas >"$work/ro.out" 2>"$work/ro.err")
rc=$?
if cmp -s "$root/examples/modMain.bas" "$work/readonly/modMain.bas" &&
   grep -q "read-only" "$work/ro.err"; then
  pass "a read-only module is refused and left as it was"
else
  fail "a read-only module is refused and left as it was (exit $rc: $(cat "$work/ro.err"))"
fi

# --- non-ASCII file names: read, changed and written under the same name
mkdir -p "$work/names"
cp "$root/examples/modMain.bas" "$work/names/Módulo.bas"
cp "$root/examples/frmMain.frm" "$work/names/問題.frm"
(cd "$work/names" && qv add Módulo.bas 問題.frm >"$work/names.out" 2>&1)
rc=$?
if [ $rc -eq 0 ] && ! cmp -s "$root/examples/modMain.bas" "$work/names/Módulo.bas" &&
   ! cmp -s "$root/examples/frmMain.frm" "$work/names/問題.frm" &&
   grep -q "Módulo.bas" "$work/names.out" && grep -q "問題.frm" "$work/names.out" &&
   [ "$(ls "$work/names" | wc -l)" -eq 2 ]; then
  pass "Módulo.bas and 問題.frm are read and written"
else
  fail "Módulo.bas and 問題.frm are read and written (exit $rc: $(cat "$work/names.out"))"
fi

# --- a language-server session through a pipe
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
session() {
  local uri=$1 text
  text=$(python3 -c 'import json,sys; print(json.dumps(open(sys.argv[1], encoding="latin-1").read()))' \
         "$root/examples/modMain.bas")
  frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"processId":null,"rootUri":null,"capabilities":{}}}'
  frame '{"jsonrpc":"2.0","method":"initialized","params":{}}'
  frame "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":{\"uri\":\"$uri\",\"languageId\":\"vb\",\"version\":1,\"text\":$text}}}"
  frame "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"textDocument/codeAction\",\"params\":{\"textDocument\":{\"uri\":\"$uri\"},\"range\":{\"start\":{\"line\":19,\"character\":0},\"end\":{\"line\":19,\"character\":0}},\"context\":{\"diagnostics\":[]}}}"
  frame '{"jsonrpc":"2.0","id":3,"method":"shutdown"}'
  frame '{"jsonrpc":"2.0","method":"exit"}'
}
# The messages of a session, one a line, without their headers.
messages() { python3 - "$1" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
while data:
    m = re.match(rb"Content-Length: (\d+)\r\n(?:[^\r\n]+\r\n)*?\r\n", data)
    if not m:
        print("UNFRAMED: %r" % data[:80]); break
    n = int(m.group(1)); print(data[m.end():m.end() + n].decode("utf-8")); data = data[m.end() + n:]
PY
}
uri="file:///C:/work/modMain.bas"
session "$uri" | wine "$exe" lsp >"$work/lsp.out" 2>"$work/lsp.err"
rc=$?
messages "$work/lsp.out" >"$work/lsp.txt"
if [ $rc -eq 0 ] && grep -q '"id":1' "$work/lsp.txt" && grep -q '"id":2' "$work/lsp.txt" &&
   grep -q '"id":3' "$work/lsp.txt" && grep -q 'publishDiagnostics' "$work/lsp.txt" &&
   ! grep -q UNFRAMED "$work/lsp.txt"; then
  pass "a language-server session through a pipe ($(wc -l <"$work/lsp.txt") messages)"
else
  fail "a language-server session through a pipe (exit $rc): $(head -c 400 "$work/lsp.txt") $(cat "$work/lsp.err")"
fi
if [ -n "$linux" ]; then
  mkdir -p "$work/linux-config"
  session "$uri" | XDG_CONFIG_HOME="$work/linux-config" "$linux" lsp >"$work/lsp-linux.out" 2>/dev/null
  messages "$work/lsp-linux.out" >"$work/lsp-linux.txt"
  if diff -u "$work/lsp-linux.txt" "$work/lsp.txt"; then
    pass "the server answers as on Linux"
  else
    fail "the server answers as on Linux"
  fi
fi

# --- the settings in the registry
key='HKCU\Software\Brell Vantoke\qvaddin2\ErrorHandling'
qv settings set label2 WinHandler >/dev/null 2>&1
if wine reg query "$key" /v label2 2>/dev/null | grep -q "WinHandler"; then
  pass "settings set is stored in the registry ($key)"
else
  fail "settings set is stored in the registry ($key)"
fi
qv settings set label2 Error_Routine >/dev/null 2>&1

# --- the IDE's tab width comes from the IDE's own key: numbering indents
# the example's module differently with a width of 2 and of 8.
ide='HKCU\Software\Microsoft\VBA\Microsoft Visual Basic'
numbered_with_width() {
  wine reg add "$ide" /v TabWidth /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  rm -rf "$work/tab$1"
  cp -a "$root/examples" "$work/tab$1"
  (cd "$work/tab$1" && qv tidy Example.vbp >/dev/null 2>&1)
}
numbered_with_width 2
numbered_with_width 8
wine reg delete "$ide" /v TabWidth /f >/dev/null 2>&1
if ! diff -r "$work/tab2" "$work/tab8" >/dev/null &&
   grep -q '^  [A-Za-z]' "$work/tab2/modMain.bas"; then
  pass "the IDE's TabWidth in the registry sets the indentation"
else
  fail "the IDE's TabWidth in the registry sets the indentation"
fi

# --- Ctrl+C: Wine turns SIGINT into the console's Ctrl+C event, which the
# program's console handler gets. The test programs are in the same build.
build=$(cd "$(dirname "$exe")/../../.." && pwd)
temporaries() { find "$1" -name '*.qvaddin-*' | wc -l; }
# A writer stopped halfway through a batch (both temporary files written,
# nothing replaced yet), then interrupted: the temporary files go, the
# files stay as they were.
writer="$build/tests/host_files/qv_interrupted_writer.exe"
mkdir -p "$work/ctrl-c"
printf 'Attribute VB_Name = "a"\r\n' >"$work/ctrl-c/a.bas"
printf 'Attribute VB_Name = "b"\r\n' >"$work/ctrl-c/b.bas"
cp -a "$work/ctrl-c" "$work/ctrl-c-before"
mkfifo "$work/ctrl-c.ready"
(cd "$work/ctrl-c" && exec wine "$writer" a.bas b.bas >"$work/ctrl-c.ready" 2>/dev/null) &
writer_pid=$!
said=$(timeout 60 head -n1 "$work/ctrl-c.ready" | tr -d '\r')  # a console line ends in CR LF
staged=$(temporaries "$work/ctrl-c")
kill -INT "$writer_pid"
wait "$writer_pid"
if [ "$said" = ready ] && [ "$staged" -eq 2 ] && [ "$(temporaries "$work/ctrl-c")" -eq 0 ] &&
   diff -r "$work/ctrl-c-before" "$work/ctrl-c" >/dev/null; then
  pass "Ctrl+C halfway through a batch removes its temporary files and leaves the files"
else
  fail "Ctrl+C halfway through a batch (said '$said', $staged staged, $(temporaries "$work/ctrl-c") left): $(diff -r "$work/ctrl-c-before" "$work/ctrl-c" 2>&1)"
fi
# qvaddin.exe itself on a larger project, interrupted once its first
# temporary file appears: none is left, and every module is either as it
# was or as a whole run writes it.
gen="$build/tests/cli/qv_test_generator.exe"
wine "$gen" --out "$(winepath -w "$work/big" 2>/dev/null)" --lines 60000 >/dev/null 2>&1
cp -a "$work/big" "$work/big-before"
cp -a "$work/big" "$work/big-after"
(cd "$work/big-after" && qv add Bench.vbp >/dev/null 2>&1)
(cd "$work/big" && exec wine "$exe" add Bench.vbp >"$work/big.out" 2>/dev/null) &
runner=$!
for _ in $(seq 1 2000); do
  [ "$(temporaries "$work/big")" -gt 0 ] && break
  kill -0 "$runner" 2>/dev/null || break
  sleep 0.01
done
kill -INT "$runner" 2>/dev/null
wait "$runner"
torn=0
for module in "$work/big"/*.bas; do
  name=$(basename "$module")
  cmp -s "$module" "$work/big-before/$name" || cmp -s "$module" "$work/big-after/$name" ||
    torn=$((torn + 1))
done
cut="cut in its writes"
grep -q '^Changed ' "$work/big.out" && cut="finished before the event came"
if [ -s "$work/big-after/Bench.vbp" ] && [ "$(temporaries "$work/big")" -eq 0 ] && [ "$torn" -eq 0 ]; then
  pass "Ctrl+C during qvaddin.exe add leaves no temporary file and no torn module (the run $cut)"
else
  fail "Ctrl+C during qvaddin.exe add: $(temporaries "$work/big") temporary files, $torn torn modules"
fi

echo "Windows end to end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
