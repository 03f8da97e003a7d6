# shellcheck shell=bash
# The launcher's roads under Wine, sourced by tests/suites/wine.sh (which
# provides the prefixes, wine_in, reg_import, winpath, check, not and fail).
# The roads are the rows of tests/roads/roads.tsv that name the suite; below
# them, the cases about Wine's own machinery. Each case builds a medium,
# imports its registry fixture, has the window watcher run Setup.exe and
# checks the outcome.

PRODUCT='SOLVENTRA 2'
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

# The registered command of the stand-in uninstaller of a case, which follows
# the lines given (uninstall.do beside it: delete KEY, wait MS, broadcast);
# with none it leaves the copy.
uninstaller_command() { # uninstaller_command [LINE...]
  (($#)) && printf '%s\r\n' "$@" >"$UNINSTALLER_DIR/uninstall.do"
  printf '"%s" /SILENT' "$(winpath "$UNINSTALLER_DIR/uninstall.exe")"
}
# The lines that remove the product's keys.
REMOVES_PRODUCT=("delete ${PRODUCT_KEY#*\\}" "delete ${UNINSTALL_KEY#*\\}")

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
  local language
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
# A UTF-8 text in a language's ANSI code page, as the programs write it.
in_code_page() { # in_code_page LANGUAGE TEXT
  if [[ $1 == ja ]]; then printf '%s' "$2" | iconv -f UTF-8 -t CP932; else printf '%s' "$2"; fi
}
hex_in() { # hex_in LANGUAGE TEXT
  in_code_page "$1" "$2" | od -An -tx1 -v | tr -d ' \n' | tr a-f A-F
}
# A field of a watcher line: field LINE NAME.
field() { sed -nE "s/.* $2=([^ ]*).*/\\1/p" <<<"$1"; }

# Screenshot of the visible window with this title (the largest, should there
# be several), checked for a plausible size.
screenshot() { # screenshot NAME TITLE MIN_W MIN_H MAX_W MAX_H
  local name=$1 title=$2 best="" best_area=0 tries=50
  # Wine maps the window's X window some time after the watcher saw it shown,
  # later still on a busy machine: look for it for up to 10 s.
  while [[ -z $best ]] && ((tries-- > 0)); do
    sleep 0.2
    for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      # shellcheck disable=SC2153 # WIDTH and HEIGHT come from xdotool's output
      if ((WIDTH * HEIGHT > best_area)); then best=$id best_area=$((WIDTH * HEIGHT)); fi
    done
  done
  sleep 0.5 # let Wine paint it
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
  local other=Inst_English cwd=${2:-$MEDIUM} language=ja
  [[ $1 == Inst_English ]] && other=Inst_Japanese language=en
  local expected
  expected=$(in_code_page "$language" "$(printf 'command=%s\\Setup.exe\ncwd=%s\nshow=1' "$1" "$(winpath "$cwd")")")
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

# --- The roads of the table ----------------------------------------------------------------

# The screenshots of a road's answered windows, in order ("NAME:MIN_W:MIN_H:MAX_W:MAX_H").
declare -A ROAD_SHOTS=(
  [japanese-copy-left]=information-box-ja:200:90:900:300
  [english-copy-left]=information-box-en:150:80:600:300
  [japanese-setup-missing]=setup-missing-ja:200:90:900:300
  [english-setup-missing]=setup-missing-en:150:80:700:300
  [japanese-folder-too-long]=folder-unusable-ja:200:90:1000:300
  [folder-not-in-the-code-page]=folder-unusable-en:150:80:1000:300
  [data-type-error]="error-box:150:80:900:300 main-form:190:129:190:129"
)

# A cell of the table with each path segment X*N written out as X repeated N
# times ("(empty)": the empty text).
expanded() { # expanded CELL
  [[ $1 == "(empty)" ]] && return
  local segment out="" pad
  local -a segments
  IFS=/ read -ra segments <<<"$1"
  for segment in "${segments[@]}"; do
    if [[ $segment =~ ^(.+)\*([0-9]+)$ ]]; then
      printf -v pad '%*s' "${BASH_REMATCH[2]}" ''
      segment=${pad// /${BASH_REMATCH[1]}}
    fi
    out+=${out:+/}$segment
  done
  printf '%s' "$out"
}

# The .reg lines of the per-user key of a kind (the table's user_key).
user_key_lines() { # user_key_lines KIND
  case $1 in
    none) ;;
    default-only) printf '[%s]\n@="cache"\n\n' "$USER_KEY" ;;
    named-only) printf '[%s]\n"A"="1"\n"B"=dword:00000002\n\n' "$USER_KEY" ;;
    subkey) printf '%s[%s\\Sub]\n\n' "$USER_DATA" "$USER_KEY" ;;
    *) printf '%s' "$USER_DATA" ;;
  esac
}

# The earlier copy of a kind (the table's copy): its .reg lines in COPY, and
# in COMMAND its uninstaller's command when it has one of its own.
copy_lines() { # copy_lines KIND
  COPY="" COMMAND=""
  local data
  case $1 in
    none) return ;;
    # The uninstaller takes 1.5 s before it removes the keys: a launcher
    # that did not wait would find them still there.
    removes) COMMAND=$(uninstaller_command "wait 1500" "${REMOVES_PRODUCT[@]}") data=$(reg_string "$COMMAND") ;;
    keeps) COMMAND=$(uninstaller_command) data=$(reg_string "$COMMAND") ;;
    empty-command) data='""' ;;
    dword) data=dword:0000002a ;;
    launcher-itself) data=$(reg_string 'Setup.exe /uninstall') ;;
    long-command)
      data=$(reg_string "C:\\Program Files\\QUORVANTIX\\SOLVENTRA\\unins000.exe /LOG=$(printf 'x%.0s' {1..1024})")
      ;;
    prefix-keys)
      COPY=$(printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX]\n\n[%s]\n\n' "${UNINSTALL_KEY%\\*}")
      return
      ;;
  esac
  COPY=$(earlier_copy "$data")
}

# Runs one road of the table and checks its outcome.
run_road() { # run_road ROAD LOCALE CODE_PAGE FOLDER SETUP CONFIG APP_NAME COPY USER_KEY FROM OUTCOME UNINSTALLER TEXT
  local road=$1 language=en directory=Inst_English
  [[ $2 == 1041 ]] && language=ja directory=Inst_Japanese
  begin_case "$road" "locale $2, earlier copy: $8, user key: $9, from the ${10}: ${11}"
  if [[ $3 != 0 && $3 != "$([[ $language == ja ]] && echo 932 || echo 1252)" ]]; then
    fail "no Wine prefix has locale $2 with code page $3"
    return
  fi
  new_medium "$([[ $4 != - ]] && expanded "$4")"
  [[ $5 == missing ]] && rm "$MEDIUM/$directory/Setup.exe"
  [[ $6 == other-only ]] && rm "$MEDIUM/$directory/SETUP.INI"
  [[ $7 != "$PRODUCT" ]] && printf '[Startup]\r\nAppName=%s\r\n' "$(expanded "$7")" >"$MEDIUM/$directory/SETUP.INI"
  local cwd=$MEDIUM
  if [[ ${10} != medium ]]; then
    cwd=$WORK/cases/$SLUG/elsewhere
    mkdir -p "$cwd/$directory"
    # A program of the command's name there must not run.
    [[ ${10} == elsewhere-with-setup ]] && cp "$PROGRAMS/stand_in_setup.exe" "$cwd/$directory/Setup.exe"
  fi
  copy_lines "$8"
  reg_import "$language" "$CLEAN_REGISTRY$(user_key_lines "$9")"$'\n\n'"$COPY"
  local shots
  read -ra shots <<<"${ROAD_SHOTS[$road]:--}"
  run_launcher "$language" "$cwd" "${shots[@]}"

  local ran
  ran=$(marker "$UNINSTALLER_DIR/uninstall.ran")
  if [[ ${12} == ran ]]; then
    check "the uninstaller got the registered command line" test "$(head -1 <<<"$ran")" = "command=$COMMAND"
    check "the uninstaller ran in the launcher's directory" \
      test "$(sed -n 2p <<<"$ran")" = "$(in_code_page "$language" "cwd=$(winpath "$cwd")")"
  else
    check "no uninstaller ran" test -z "$ran"
  fi
  local text=${13//\\n/$'\n'}
  case ${11} in
    setup)
      expect_unseen
      check "the form's window was made (hidden)" grep -q '^created .*class=TFormMain$' "$WATCH"
      expect_setup "$directory" "$cwd"
      if [[ $9 == subkey ]]; then
        local kept
        kept=$(wine_in "$language" 60 reg query "$USER_KEY" 2>/dev/null | tr -d '\r' || true)
        check "the key stays with its named value" grep -qE '^ +A +REG_SZ +1$' <<<"$kept"
        check "its default value was deleted" not grep -q 'cache' <<<"$kept"
        check "its subkey stays" key_exists "$language" "$USER_KEY\\Sub"
      else
        check "the user key is gone" not key_exists "$language" "$USER_KEY"
        check "its parent stays" key_exists "$language" 'HKEY_CURRENT_USER\Software\QUORVANTIX\SOLVENTRA'
      fi
      if [[ $8 == removes ]]; then
        check "the product key is gone" not key_exists "$language" "$PRODUCT_KEY"
        check "the uninstall entry is gone" not key_exists "$language" "$UNINSTALL_KEY"
      fi
      return
      ;;
    box) expect_box "$language" Information "$text" ;;
    form)
      expect_box "$language" Setup "$text"
      local form first
      form=$(grep -E '^shown class=TFormMain ' "$WATCH" || true)
      check "the form was shown" test -n "$form"
      check "form caption 'Visible false'" test "$(unhex "$(field "$form" caption)")" = "Visible false"
      check "form at (192, 107), 190 x 129 (was $(field "$form" rect))" test "$(field "$form" rect)" = 192,107,190,129
      check "form style (was $(field "$form" style))" test "$(field "$form" style)" = 16CF0000
      check "form owned by the application window" test "$(field "$form" owner)" = TApplication
      check "the application window was shown with it" grep -q '^shown class=TApplication ' "$WATCH"
      first=$(grep -E '^shown class=(#32770|TFormMain) ' "$WATCH" | head -1 || true)
      check "the box came before the form" test "$(field "$first" class)" = '#32770'
      ;;
    silent) expect_unseen ;;
    *) fail "unknown outcome '${11}'" ;;
  esac
  [[ ${11} == box ]] && check "no form shown" test -z "$(grep -E '^shown class=TFormMain ' "$WATCH")"
  expect_no_setup
  check "nothing ran from the current directory" test -z "$(marker "$cwd/$directory/setup.ran")"
  check "the user key stays" key_exists "$language" "$USER_KEY"
  if [[ $8 != none && $8 != prefix-keys ]]; then
    check "the product key stays" key_exists "$language" "$PRODUCT_KEY"
  fi
}

while IFS=$'\t' read -r -u 3 road suites rest; do
  [[ -z $road || $road == \#* || $road == road || ,$suites, != *,wine,* ]] && continue
  IFS=$'\t' read -ra cells <<<"$rest"
  run_road "$road" "${cells[@]:0:12}"
done 3<"$ROOT/tests/roads/roads.tsv"

# --- Wine's own machinery -------------------------------------------------------------------

begin_case uninstaller-broadcasts "an uninstaller that sends WM_SETTINGCHANGE to every window is answered while waited for"
new_medium
# SendMessage to HWND_BROADCAST waits for every top-level window's answer, the
# launcher's hidden windows among them: a launcher that handled no sent
# message while it waited would wait for the uninstaller for ever.
command=$(uninstaller_command broadcast "${REMOVES_PRODUCT[@]}")
reg_import en "$CLEAN_REGISTRY$USER_DATA$(earlier_copy "$(reg_string "$command")")"
started=$(date +%s%N)
run_launcher en
echo "  the run took $((($(date +%s%N) - started) / 1000000)) ms (watcher start included), status $STATUS"
expect_unseen
check "the uninstaller ran" test -n "$(marker "$UNINSTALLER_DIR/uninstall.ran")"
expect_setup Inst_English
check "the product key is gone" not key_exists en "$PRODUCT_KEY"
check "the uninstall entry is gone" not key_exists en "$UNINSTALL_KEY"

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
printf 'delete SOFTWARE\\QUORVANTIX\\OTHER\r\n' >"$other_uninstaller/uninstall.do"
other_command=$(printf '"%s" /SILENT' "$(winpath "$other_uninstaller/uninstall.exe")")
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

