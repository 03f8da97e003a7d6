# shellcheck shell=bash
# The launcher's roads under Wine, sourced by tests/suites/wine.sh (which
# provides the prefixes, wine_in, reg_import, winpath, check, not and fail). Each
# case builds a medium, imports its registry fixture, has the window watcher
# run Setup.exe and checks the outcome.

PRODUCT=SOLVENTRA
USER_KEY='HKEY_CURRENT_USER\Software\QUORVANTIX\SOLVENTRA\Data'
PRODUCT_KEY="HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX\\$PRODUCT"
UNINSTALL_KEY="HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$PRODUCT"

# Every case starts from a registry without the product and with the per-user
# key as earlier versions left it: a default value and a named one.
CLEAN_REGISTRY="[-HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX]
[-$UNINSTALL_KEY]
[-HKEY_CURRENT_USER\\Software\\QUORVANTIX]

"
USER_DATA="[$USER_KEY]
@=\"cache\"
\"A\"=\"1\"

"

# A .reg string: backslashes and quotes escaped.
reg_string() {
  local text=${1//\\/\\\\}
  printf '"%s"' "${text//\"/\\\"}"
}

# The earlier installed copy: its product key and its uninstall entry with
# the given "UninstallString" data (a .reg value: a string or dword:...).
earlier_copy() {
  printf '[%s]\n"Version"="1.0"\n\n[%s]\n"UninstallString"=%s\n\n' \
    "$PRODUCT_KEY" "$UNINSTALL_KEY" "$1"
}

# The registered command of the stand-in uninstaller of a case.
uninstaller_command() { # uninstaller_command ACTION...
  printf '"%s" %s' "$(winpath "$UNINSTALLER_DIR/uninstall.exe")" "$*"
}

# A fresh medium for the current case: Setup.exe, and for each language its
# SETUP.INI naming the product and its setup program (the stand-in). Sets
# MEDIUM; SUBDIR puts the medium in a directory of that name.
new_medium() { # new_medium [SUBDIR]
  local base=$WORK/cases/$SLUG
  rm -rf "$base"
  MEDIUM=$base/medium${1:+/$1}
  UNINSTALLER_DIR=$base/installed
  mkdir -p "$MEDIUM" "$UNINSTALLER_DIR"
  cp "$BUILD/bin/Setup.exe" "$MEDIUM/Setup.exe"
  cp "$PROGRAMS/stand_in_uninstaller.exe" "$UNINSTALLER_DIR/uninstall.exe"
  for language in Japanese English; do
    mkdir -p "$MEDIUM/Inst_$language"
    printf '[Startup]\r\nAppName=%s\r\n' "$PRODUCT" >"$MEDIUM/Inst_$language/SETUP.INI"
    cp "$PROGRAMS/stand_in_setup.exe" "$MEDIUM/Inst_$language/Setup.exe"
  done
}

begin_case() { # begin_case SLUG DESCRIPTION
  SLUG=$1
  # shellcheck disable=SC2034 # wine.sh's fail names the current case
  CURRENT=$1
  echo "case $1: $2"
}

# The text of hexadecimal bytes.
# shellcheck disable=SC2001 # each pair of digits, which no parameter expansion matches
unhex() { printf '%b' "$(sed 's/../\\x&/g' <<<"$1")"; }
# The bytes of a UTF-8 text in a language's code page, in hexadecimal.
hex_in() { # hex_in LANGUAGE TEXT
  if [[ $1 == ja ]]; then printf '%s' "$2" | iconv -f UTF-8 -t CP932; else printf '%s' "$2"; fi |
    od -An -tx1 -v | tr -d ' \n' | tr a-f A-F
}
# A field of a watcher line: field LINE NAME.
field() { sed -nE "s/.* $2=([^ ]*).*/\\1/p" <<<"$1"; }

# Screenshot of the visible window with this title (the largest, should there
# be several), checked for a plausible size.
screenshot() { # screenshot NAME TITLE MIN_W MIN_H MAX_W MAX_H
  local name=$1 title=$2 best="" best_area=0
  sleep 0.5 # let Wine paint it
  for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    # shellcheck disable=SC2153 # WIDTH and HEIGHT come from xdotool's output
    if ((WIDTH * HEIGHT > best_area)); then best=$id best_area=$((WIDTH * HEIGHT)); fi
  done
  if [[ -z $best ]]; then
    fail "no visible X window titled '$title' for the screenshot $name"
    return
  fi
  # shellcheck disable=SC2153 # SHOTS is set by wine.sh for each build
  import -window "$best" "$SHOTS/$name.png"
  local width height
  read -r width height < <(identify -format '%w %h\n' "$SHOTS/$name.png")
  check "screenshot $name is ${width}x$height, expected between ${3}x$4 and ${5}x$6" \
    test "$width" -ge "$3" -a "$height" -ge "$4" -a "$width" -le "$5" -a "$height" -le "$6"
}

# Runs the medium's Setup.exe in a language's prefix, from CWD (default: the
# medium), started by the window watcher. SHOTS name the screenshots of the
# answered windows in order ("-" for none) as "NAME:MIN_W:MIN_H:MAX_W:MAX_H".
# Sets STATUS (the launcher's exit code, as the watcher saw it) and WATCH (the
# watcher's report).
run_launcher() { # run_launcher LANGUAGE [CWD] [SHOT...]
  local language=$1 cwd=${2:-$MEDIUM}
  shift
  (($# > 0)) && shift
  local shots=("$@")
  WATCH=$WORK/logs/$SLUG.watch
  local answers=$WORK/answers/$SLUG
  rm -rf "$answers"
  mkdir -p "$answers"
  : >"$WATCH"
  # The watcher starts the launcher and ends when it has ended (or after its
  # own time-out, ending it). exec: $! is then the time-out's process. Wine's
  # CreateProcess cannot start a program path of MAX_PATH or more; its loader
  # can: such a launcher is started here and adopted by the watcher.
  local program
  program=$(winpath "$MEDIUM/Setup.exe")
  local how=(--run "$program" "$(winpath "$cwd")")
  ((${#program} >= 260)) && how=(--adopt)
  prefix_env "$language"
  (exec env "${PREFIX_ENV[@]}" timeout 120 "$WINE" "$PROGRAMS/window_watch.exe" \
    --answer-dir "$(winpath "$answers")" --timeout 90 "${how[@]}" >"$WATCH" 2>/dev/null) &
  local watcher=$! answered=0
  if [[ ${how[0]} == --adopt ]]; then
    local tries=600
    until grep -q '^ready' "$WATCH" 2>/dev/null || ((--tries == 0)); do sleep 0.1; done
    (cd "$cwd" && wine_in "$language" 90 "$MEDIUM/Setup.exe" >/dev/null 2>&1) &
  fi
  while kill -0 "$watcher" 2>/dev/null; do
    local lines
    lines=$(grep -E '^shown class=(#32770|TFormMain) ' "$WATCH" || true)
    while ((answered < $(grep -c . <<<"$lines"))) && [[ -n $lines ]]; do
      answered=$((answered + 1))
      local shot=${shots[answered - 1]:-}
      if [[ -n $shot && $shot != - ]]; then
        local line title
        line=$(sed -n "${answered}p" <<<"$lines")
        title=$(unhex "$(field "$line" caption)")
        IFS=: read -r name min_w min_h max_w max_h <<<"$shot"
        screenshot "$name" "$title" "$min_w" "$min_h" "$max_w" "$max_h"
      fi
      touch "$answers/go$answered"
    done
    sleep 0.1
  done
  local watched=0
  wait "$watcher" || watched=$?
  STATUS=$(sed -n 's/^exit code=//p' "$WATCH")
  if [[ -z $STATUS ]]; then
    fail "the watcher saw no end of the launcher (status $watched): $(grep -E '^(error|timeout)' "$WATCH" || true)"
    STATUS=-1
  fi
}

key_exists() { wine_in "$1" 60 reg query "$2" >/dev/null 2>&1; }
# The lines a stand-in left in its marker (CR removed); empty when it never ran.
marker() { if [[ -f $1 ]]; then tr -d '\r' <"$1" || true; fi; }
shown_lines() { grep -E '^shown ' "$WATCH" || true; }

# The launcher ran (the watcher saw its application window), showed nothing
# and ended with status 0.
expect_unseen() {
  check "the watcher saw the launcher's application window" grep -q '^created .*class=TApplication$' "$WATCH"
  check "no window shown: $(shown_lines | head -3)" test -z "$(shown_lines)"
  check "exit status 0 (was $STATUS)" test "$STATUS" = 0
}

# The language's setup program was started with WinExec's command line, from
# CWD, with SW_SHOWNORMAL; the other language's was not.
expect_setup() { # expect_setup LANGUAGE_DIR [CWD]
  local other=Inst_English cwd=${2:-$MEDIUM}
  [[ $1 == Inst_English ]] && other=Inst_Japanese
  local expected
  expected=$(printf 'command=%s\\Setup.exe\ncwd=%s\nshow=1' "$1" "$(winpath "$cwd")")
  local got
  got=$(marker "$MEDIUM/$1/setup.ran")
  check "setup started as '$expected' (was '$got')" test "$got" = "$expected"
  check "the other language's setup not started" test -z "$(marker "$MEDIUM/$other/setup.ran")"
}

expect_no_setup() {
  check "no setup program started" test -z "$(marker "$MEDIUM/Inst_English/setup.ran")$(marker "$MEDIUM/Inst_Japanese/setup.ran")"
}

# Exactly one box was shown: owned by the application window, with this
# caption and text (in the language's code page).
expect_box() { # expect_box LANGUAGE CAPTION TEXT
  local boxes
  boxes=$(grep -E '^shown class=#32770 ' "$WATCH" || true)
  check "one box shown (got $(grep -c . <<<"$boxes"))" test "$(grep -c . <<<"$boxes")" = 1
  check "box caption '$2'" test "$(field "$boxes" caption)" = "$(hex_in "$1" "$2")"
  check "box text '$3'" test "$(field "$boxes" texts)" = "$(hex_in "$1" "$3")"
  check "box owned by the application window" test "$(field "$boxes" owner)" = TApplication
  check "exit status 0 (was $STATUS)" test "$STATUS" = 0
}

# --- The normal road -------------------------------------------------------------------

normal_road() { # normal_road LANGUAGE LANGUAGE_DIR
  begin_case "normal-$1" "no earlier copy: the user key goes, $2\\Setup.exe starts, nothing is seen"
  new_medium
  reg_import "$1" "$CLEAN_REGISTRY$USER_DATA"
  run_launcher "$1"
  expect_unseen
  check "the form's window was made (hidden)" grep -q '^created .*class=TFormMain$' "$WATCH"
  expect_setup "$2"
  check "the user key is gone" not key_exists "$1" "$USER_KEY"
  check "its parent stays" key_exists "$1" 'HKEY_CURRENT_USER\Software\QUORVANTIX\SOLVENTRA'
}
normal_road ja Inst_Japanese
normal_road en Inst_English

begin_case earlier-copy-removed "the uninstaller runs and is waited for, then the setup program starts"
new_medium
# The uninstaller takes 1.5 s before it removes the keys: a launcher that did
# not wait would find them still there.
command=$(uninstaller_command remove "$PRODUCT" 1500)
reg_import en "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
run_launcher en
expect_unseen
check "the uninstaller got the registered command line" \
  test "$(marker "$UNINSTALLER_DIR/uninstall.ran" | head -1)" = "command=$command"
check "the uninstaller ran in the launcher's directory" \
  test "$(marker "$UNINSTALLER_DIR/uninstall.ran" | sed -n 2p)" = "cwd=$(winpath "$MEDIUM")"
expect_setup Inst_English
check "the product key is gone" not key_exists en "$PRODUCT_KEY"
check "the uninstall entry is gone" not key_exists en "$UNINSTALL_KEY"
check "the user key is gone" not key_exists en "$USER_KEY"

begin_case uninstaller-broadcasts "an uninstaller that sends WM_SETTINGCHANGE to every window is answered while waited for"
new_medium
# SendMessage to HWND_BROADCAST waits for every top-level window's answer, the
# launcher's hidden windows among them: a launcher that handled no sent
# message while it waited would wait for the uninstaller for ever.
command=$(uninstaller_command broadcast "$PRODUCT")
reg_import en "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
started=$(date +%s%N)
run_launcher en
echo "  the run took $((($(date +%s%N) - started) / 1000000)) ms (watcher start included), status $STATUS"
expect_unseen
check "the uninstaller ran" test -n "$(marker "$UNINSTALLER_DIR/uninstall.ran")"
expect_setup Inst_English
check "the product key is gone" not key_exists en "$PRODUCT_KEY"
check "the uninstall entry is gone" not key_exists en "$UNINSTALL_KEY"

# --- Information boxes -----------------------------------------------------------------------

information_box() { # information_box SLUG LANGUAGE RUNS TEXT [SHOT]
  begin_case "$1" "an information box, then the launch stops"
  new_medium
  local data='""'
  [[ $3 == runs ]] && data=$(reg_string "$(uninstaller_command keep)")
  reg_import "$2" "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$data")"
  run_launcher "$2" "" "${5:--}"
  expect_box "$2" Information "$4"
  check "no form shown" test -z "$(grep -E '^shown class=TFormMain ' "$WATCH")"
  if [[ $3 == runs ]]; then
    check "the uninstaller ran" test -n "$(marker "$UNINSTALLER_DIR/uninstall.ran")"
  else
    check "no uninstaller ran" test -z "$(marker "$UNINSTALLER_DIR/uninstall.ran")"
  fi
  expect_no_setup
  check "the user key stays" key_exists "$2" "$USER_KEY"
  check "the product key stays" key_exists "$2" "$PRODUCT_KEY"
}
information_box japanese-copy-left ja runs \
  $'前回バージョンのソフトウェアをアンインストールしてから、\n再度インストールしてください。' \
  information-box-ja:200:90:900:300
information_box english-copy-left en runs "Please uninstall old software." \
  information-box-en:150:80:600:300
information_box japanese-empty-command ja none "ソフトウェアのアンインストールに失敗しました。"
information_box english-empty-command en none "This software failed to uninstall."

begin_case long-command "an uninstall command too long for the buffer is refused, not cut"
new_medium
command="C:\\Program Files\\QUORVANTIX\\SOLVENTRA\\unins000.exe /LOG=$(printf 'x%.0s' {1..1024})"
reg_import en "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
run_launcher en
expect_box en Information "This software failed to uninstall."
expect_no_setup
check "the user key stays" key_exists en "$USER_KEY"

# --- The data-type error: the error box, then the form ------------------------------------------

begin_case data-type-error "a non-text UninstallString: the error box, then the form until closed"
new_medium
reg_import ja "$CLEAN_REGISTRY$USER_DATA$(earlier_copy dword:0000002a)"
run_launcher ja "" error-box:150:80:900:300 main-form:190:129:190:129
expect_box ja Setup "'UninstallString' のデータ型が不正です."
form=$(grep -E '^shown class=TFormMain ' "$WATCH" || true)
check "the form was shown" test -n "$form"
check "form caption 'Visible false'" test "$(unhex "$(field "$form" caption)")" = "Visible false"
check "form at (192, 107), 190 x 129 (was $(field "$form" rect))" test "$(field "$form" rect)" = 192,107,190,129
check "form style (was $(field "$form" style))" test "$(field "$form" style)" = 16CF0000
check "form owned by the application window" test "$(field "$form" owner)" = TApplication
check "the application window was shown with it" grep -q '^shown class=TApplication ' "$WATCH"
first=$(grep -E '^shown class=(#32770|TFormMain) ' "$WATCH" | head -1 || true)
check "the box came before the form" test "$(field "$first" class)" = '#32770'
expect_no_setup
check "the user key stays" key_exists ja "$USER_KEY"

# --- Silent ends --------------------------------------------------------------------------------

begin_case no-configuration "without the language's SETUP.INI the launcher ends before the user key"
new_medium
rm "$MEDIUM/Inst_English/SETUP.INI"
reg_import en "$CLEAN_REGISTRY$USER_DATA"
run_launcher en
expect_unseen
expect_no_setup
check "the user key stays" key_exists en "$USER_KEY"

# --- The per-user key ----------------------------------------------------------------------------

user_key() { # user_key SLUG KEY_LINES DELETED
  begin_case "user-key-$1" "the per-user key goes with its values, not with a subkey"
  new_medium
  reg_import en "${CLEAN_REGISTRY}[$USER_KEY]
$2"
  run_launcher en
  expect_unseen
  expect_setup Inst_English
  if [[ $3 == deleted ]]; then
    check "the user key is gone" not key_exists en "$USER_KEY"
  else
    local kept
    kept=$(wine_in en 60 reg query "$USER_KEY" 2>/dev/null | tr -d '\r' || true)
    check "the key stays with its named value" grep -qE '^ +A +REG_SZ +1$' <<<"$kept"
    check "its default value was deleted" not grep -q 'cache' <<<"$kept"
    check "its subkey stays" key_exists en "$USER_KEY\\Sub"
  fi
}
user_key default-value-only '@="cache"' deleted
user_key named-values-only $'"A"="1"\n"B"=dword:00000002' deleted
user_key with-subkey "@=\"cache\"
\"A\"=\"1\"

[$USER_KEY\\Sub]" kept

# --- Where the medium is --------------------------------------------------------------------------

begin_case shift-jis-directory "a medium in ソ (0x83 0x5C: a backslash trail byte) on a Japanese system"
new_medium ソ
command=$(uninstaller_command remove "$PRODUCT")
reg_import ja "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
run_launcher ja
expect_unseen
check "the uninstaller ran" test -n "$(marker "$UNINSTALLER_DIR/uninstall.ran")"
got=$(marker "$MEDIUM/Inst_Japanese/setup.ran" | sed -n 2p | tr -d "\n" | od -An -tx1 -v | tr -d ' \n')
check "the setup program ran in the Shift-JIS directory" \
  test "$got" = "$(printf 'cwd=%s' "$(winpath "$MEDIUM")" | iconv -f UTF-8 -t CP932 | od -An -tx1 -v | tr -d ' \n')"

begin_case another-directory "started from another directory: the configuration is read beside the program"
new_medium
elsewhere=$WORK/cases/$SLUG/elsewhere
mkdir -p "$elsewhere"
reg_import en "$CLEAN_REGISTRY$USER_DATA"
run_launcher en "$elsewhere"
expect_unseen
# The relative command goes unchanged; the system looks for it in the
# launcher's directory before the current one.
expect_setup Inst_English "$elsewhere"
check "the user key is gone" not key_exists en "$USER_KEY"

# --- Folder paths the launcher cannot use, and a missing setup program -----------------------

SETUP_MISSING_JA=$'セットアッププログラムが見つからないか、起動できません。\nインストールメディアを確認してください。'
SETUP_MISSING_EN=$'The setup program cannot be found or started.\nPlease check the installation medium.'
FOLDER_UNUSABLE_JA=$'このフォルダーのパスからはセットアップを実行できません。\nメディアの内容を短い英数字だけのパスのフォルダーにコピーしてから、再度実行してください。'
FOLDER_UNUSABLE_EN=$'Setup cannot be run from this folder path.\nPlease copy the contents of the medium to a folder with a short path of plain letters and numbers, and run Setup again.'

# A box, and the earlier copy (whose uninstaller would remove it) untouched:
# nothing was run, nothing deleted, nothing started.
expect_box_and_nothing_changed() { # expect_box_and_nothing_changed LANGUAGE TEXT
  expect_box "$1" Information "$2"
  check "no uninstaller ran" test -z "$(marker "$UNINSTALLER_DIR/uninstall.ran")"
  expect_no_setup
  check "the user key stays" key_exists "$1" "$USER_KEY"
  check "the product key stays" key_exists "$1" "$PRODUCT_KEY"
}

setup_missing() { # setup_missing LANGUAGE LANGUAGE_DIR TEXT SHOT
  begin_case "setup-missing-$1" "without the setup program: a box, and nothing is removed or started"
  new_medium
  rm "$MEDIUM/$2/Setup.exe"
  # A program of that name in the current directory must not run either.
  elsewhere=$WORK/cases/$SLUG/elsewhere
  mkdir -p "$elsewhere/$2"
  cp "$PROGRAMS/stand_in_setup.exe" "$elsewhere/$2/Setup.exe"
  command=$(uninstaller_command remove "$PRODUCT")
  reg_import "$1" "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
  run_launcher "$1" "$elsewhere" "$4"
  expect_box_and_nothing_changed "$1" "$3"
  check "nothing ran from the current directory" test -z "$(marker "$elsewhere/$2/setup.ran")"
}
setup_missing ja Inst_Japanese "$SETUP_MISSING_JA" setup-missing-ja:200:90:900:300
setup_missing en Inst_English "$SETUP_MISSING_EN" setup-missing-en:150:80:700:300

# Japanese names of 2 bytes each (メ, 0x83 0x81) make the program path
# 300 bytes in code page 932 but under 200 characters. Cut at 261 bytes it
# would end inside the second name, and its folder would be the first one:
# another product's configuration there must never count.
begin_case long-japanese-path "a 300-byte program path on a Japanese system is taken whole"
base_bytes=$(printf '%s' "$(winpath "$WORK/cases/$SLUG/medium")" | wc -c)
# The medium folder, a backslash, 54 names (108 bytes), a backslash, the
# second name and "\Setup.exe" (10 bytes).
second=$((300 - base_bytes - 1 - 108 - 1 - 10))
first_name=$(printf 'メ%.0s' {1..54})
second_name=$( ((second % 2)) && printf x; printf 'メ%.0s' $(seq 1 $((second / 2))))
new_medium "$first_name/$second_name"
check "the program path is 300 bytes in code page 932" \
  test "$(printf '%s\\Setup.exe' "$(winpath "$MEDIUM")" | iconv -f UTF-8 -t CP932 | wc -c)" = 300
decoy=$(dirname "$MEDIUM")
mkdir -p "$decoy/Inst_Japanese"
printf '[Startup]\r\nAppName=OTHER\r\n' >"$decoy/Inst_Japanese/SETUP.INI"
other_uninstaller=$WORK/cases/$SLUG/other
mkdir -p "$other_uninstaller"
cp "$PROGRAMS/stand_in_uninstaller.exe" "$other_uninstaller/uninstall.exe"
other_command=$(printf '"%s" remove OTHER' "$(winpath "$other_uninstaller/uninstall.exe")")
reg_import ja "$CLEAN_REGISTRY${USER_DATA}[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX\\OTHER]

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OTHER]
\"UninstallString\"=$(reg_string "$other_command")
"
run_launcher ja
expect_unseen
check "the other product's uninstaller did not run" test -z "$(marker "$other_uninstaller/uninstall.ran")"
check "the other product stays" key_exists ja 'HKEY_LOCAL_MACHINE\SOFTWARE\QUORVANTIX\OTHER'
check "the medium's setup program ran" test -n "$(marker "$MEDIUM/Inst_Japanese/setup.ran")"
check "the user key is gone" not key_exists ja "$USER_KEY"

begin_case folder-too-long "a folder path longer than the file functions take: a box before anything is read"
new_medium "$(printf 'd%.0s' {1..100})/$(printf 'e%.0s' {1..100})/$(printf 'f%.0s' {1..100})"
command=$(uninstaller_command remove "$PRODUCT")
reg_import ja "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
run_launcher ja "" folder-unusable-ja:200:90:1000:300
expect_box_and_nothing_changed ja "$FOLDER_UNUSABLE_JA"

begin_case folder-not-in-code-page "a Japanese folder name on an English system: a box, not a silent end"
new_medium メディア
command=$(uninstaller_command remove "$PRODUCT")
reg_import en "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
run_launcher en "" folder-unusable-en:150:80:1000:300
expect_box_and_nothing_changed en "$FOLDER_UNUSABLE_EN"
