# shellcheck shell=sh
# Shell functions shared by the scripts that drive the editor
# (scripts/screenshot, tour, time-editor and test-release): build the
# Windows program and the remote-view helper, run torvel.exe under Wine on a
# private X server (Xvfb), talk to it through the helper, capture its window.
#
# Source it from a script that has `set -eu`, after setting `editor_script`
# (the name that prefixes error messages), then call, in this order:
#   editor_build JOBS         the Windows build of torvel.exe and remote-view.exe
#   editor_prefix_open        the Wine prefix, taken for this script alone
#   editor_start_x            the X server; sets DISPLAY
#   editor_start WINDOWS_PATH the editor, in the background, on that model
#   editor_helper ARGS...     runs remote-view.exe; its output on stdout
#   editor_capture OUTPUT.png X Y WIDTH HEIGHT
# The EXIT trap that editor_prefix_open sets stops the editor and the X
# server and removes the scratch folder $editor_work.
#
# Every child gets 8>&-, so that none of them keeps the prefix's lock after
# the script has ended.
#
# TORVEL_BUILD_DIR names another Windows build folder than build/windows (a
# relative one from the top of the checkout), and the prefix lives in it. A
# folder that holds a build already is taken as it is: its targets are
# brought up to date from the sources it was configured from (so an older
# checkout's build times that checkout), and the command numbers come from
# those sources too; a folder with torvel.exe and remote-view.exe but no
# CMakeCache.txt (programs copied from elsewhere) is used without building;
# an empty one is configured by the windows preset. TORVEL_NATIVE_BUILD_DIR
# does the same for build/native, where torvel-cli is.

editor_root=$(CDPATH='' cd -- "$(dirname -- "$0")/.." && pwd -P)
case ${TORVEL_BUILD_DIR:-} in
    "") editor_build_dir="$editor_root/build/windows" ;;
    /*) editor_build_dir=$TORVEL_BUILD_DIR ;;
    *) editor_build_dir="$editor_root/$TORVEL_BUILD_DIR" ;;
esac
case ${TORVEL_NATIVE_BUILD_DIR:-} in
    "") editor_native_dir="$editor_root/build/native" ;;
    /*) editor_native_dir=$TORVEL_NATIVE_BUILD_DIR ;;
    *) editor_native_dir="$editor_root/$TORVEL_NATIVE_BUILD_DIR" ;;
esac
editor_cli="$editor_native_dir/torvel-cli"
editor_exe="$editor_build_dir/torvel.exe"
editor_helper_exe="$editor_build_dir/remote-view.exe"
editor_prefix="$editor_build_dir/screenshot-prefix"
editor_screen_w=1280
editor_screen_h=1024
editor_work=""
editor_xvfb_pid=""
editor_pid=""

editor_fail() {
    echo "${editor_script:-editor}: $*" >&2
    exit 1
}

# Z:\... for a path that exists. The editor takes its command line in UTF-16,
# so any path will do.
editor_windows_path() {
    printf 'Z:%s' "$1" | sed 's|/|\\|g'
}

# The build folder DIR by PRESET, unless it holds a build already.
editor_configure() {
    [ ! -f "$2/CMakeCache.txt" ] || return 0
    cmake --preset "$1" -B "$2"
}

# The sources the build folder was configured from: resource_ids.h must
# number the commands as the program that runs was built with.
editor_sources() {
    editor_from=""
    if [ -f "$editor_build_dir/CMakeCache.txt" ]; then
        editor_from=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$editor_build_dir/CMakeCache.txt")
    fi
    if [ -n "$editor_from" ] && [ -f "$editor_from/src/resources/resource_ids.h" ]; then
        printf '%s' "$editor_from"
    else
        printf '%s' "$editor_root"
    fi
}

editor_build() {
    editor_jobs=$1
    (cd "$editor_root" && scripts/setup >/dev/null)
    command -v python3 >/dev/null 2>&1 || editor_fail "python3 is needed to capture the screen (apt-get install python3)"
    if [ ! -f "$editor_build_dir/CMakeCache.txt" ] && [ -f "$editor_exe" ] && [ -f "$editor_helper_exe" ]; then
        return 0  # ready programs without a build folder: taken as they are
    fi
    editor_log=$(mktemp "${TMPDIR:-/tmp}/editor-build.XXXXXX")
    if ! (cd "$editor_root" && editor_configure windows "$editor_build_dir" &&
          cmake --build "$editor_build_dir" -j "$editor_jobs" --target torvel torvel_help remote-view) >"$editor_log" 2>&1; then
        cat "$editor_log" >&2
        rm -f "$editor_log"
        editor_fail "the Windows build failed"
    fi
    rm -f "$editor_log"
}

# torvel-cli of the native build, built when it is missing.
editor_build_cli() {
    [ ! -x "$editor_cli" ] || return 0
    (cd "$editor_root" && editor_configure native "$editor_native_dir" >/dev/null &&
        cmake --build "$editor_native_dir" -j 1 --target torvel-cli >/dev/null) || editor_fail "cannot build torvel-cli"
}

editor_cleanup() {
    WINEPREFIX="$editor_prefix" wineserver -k 2>/dev/null || true
    if [ -n "$editor_pid" ]; then wait "$editor_pid" 2>/dev/null || true; fi
    if [ -n "$editor_xvfb_pid" ]; then
        kill "$editor_xvfb_pid" 2>/dev/null || true
        wait "$editor_xvfb_pid" 2>/dev/null || true
    fi
    if [ -n "$editor_work" ]; then rm -rf "$editor_work"; fi
}

editor_prefix_open() {
    mkdir -p "$editor_prefix"
    # A second editor in the same prefix would hand its model to the first
    # and end, so the scripts take turns.
    exec 8>"$editor_prefix.busy"
    if ! flock -n 8; then
        echo "${editor_script:-editor}: waiting for another run of the editor to finish" >&2
        flock 8
    fi
    "$editor_root/scripts/wine-run" "$editor_prefix" --init 8>&-
    if ! grep -q '^"Decorated"="N"' "$editor_prefix/user.reg" 2>/dev/null; then
        # Without a window manager nobody draws the title bar and frame; let Wine draw them.
        "$editor_root/scripts/wine-run" "$editor_prefix" reg add 'HKCU\Software\Wine\X11 Driver' \
            /v Decorated /d N /f >/dev/null 2>&1 8>&- || editor_fail "cannot set up the Wine prefix $editor_prefix"
        WINEPREFIX="$editor_prefix" wineserver -w 8>&-  # writes the registry to disk
    fi
    editor_work=$(mktemp -d "${TMPDIR:-/tmp}/${editor_script:-editor}.XXXXXX")
    trap editor_cleanup EXIT
    trap 'exit 1' HUP INT TERM
    # Whatever a failed earlier run left in this prefix goes first.
    WINEPREFIX="$editor_prefix" wineserver -k 2>/dev/null 8>&- || true
}

editor_start_x() {
    # -displayfd: the server picks a free display number and writes it when ready.
    Xvfb -displayfd 9 -screen 0 "${editor_screen_w}x${editor_screen_h}x24" -nolisten tcp \
        9>"$editor_work/display" >"$editor_work/xvfb.log" 2>&1 8>&- &
    editor_xvfb_pid=$!
    editor_tries=0
    while [ ! -s "$editor_work/display" ]; do
        if ! kill -0 "$editor_xvfb_pid" 2>/dev/null || [ $editor_tries -ge 100 ]; then
            cat "$editor_work/xvfb.log" >&2
            editor_fail "Xvfb did not start"
        fi
        editor_tries=$((editor_tries + 1))
        sleep 0.1
    done
    DISPLAY=":$(tr -d '[:space:]' <"$editor_work/display")"
    export DISPLAY
    unset XAUTHORITY
}

editor_start() {
    "$editor_root/scripts/wine-run" "$editor_prefix" "$editor_exe" "$1" \
        >"$editor_work/torvel.log" 2>&1 8>&- &
    editor_pid=$!
}

# Runs the helper; its stdout without the carriage returns, its stderr as is.
# The helper's exit status is the function's.
editor_helper() {
    editor_status=0
    "$editor_root/scripts/wine-run" "$editor_prefix" "$editor_helper_exe" "$@" \
        >"$editor_work/helper.out" 8>&- || editor_status=$?
    tr -d '\r' <"$editor_work/helper.out"
    return $editor_status
}

# The rectangle X Y WIDTH HEIGHT, clipped to the screen; captured again until
# it is not all black (the last drawing may still be on its way to the X server).
editor_capture() {
    sleep 0.5
    python3 - "$editor_root/scripts/x-capture" "$editor_screen_w" "$editor_screen_h" "$@" <<'EOF'
import importlib.machinery, sys, time, types

# x-capture has no .py ending, so it is loaded from its path.
xc = types.ModuleType("x_capture")
importlib.machinery.SourceFileLoader("x_capture", sys.argv[1]).exec_module(xc)

screen_w, screen_h = int(sys.argv[2]), int(sys.argv[3])
output = sys.argv[4]
x, y, w, h = (int(v) for v in sys.argv[5:9])
left, top = max(x, 0), max(y, 0)
right, bottom = min(x + w, screen_w), min(y + h, screen_h)
if right <= left or bottom <= top:
    sys.exit("the window %d %d %d %d is off the screen" % (x, y, w, h))
for attempt in range(10):
    width, height, raw = xc.capture(left, top, right - left, bottom - top)
    if raw.count(0) != len(raw):
        break
    time.sleep(1)
else:
    sys.exit("the window stayed black")
xc.write_png(output, width, height, raw)
EOF
}

# The number resource_ids.h gives the command or control NAME ($1): the
# header numbers them for the program, the helper and the scripts alike.
editor_id() {
    editor_number=$(sed -n "s/^#define $1 *\([0-9][0-9]*\).*/\1/p" "$(editor_sources)/src/resources/resource_ids.h")
    [ -n "$editor_number" ] || editor_fail "resource_ids.h does not number $1"
    printf '%s' "$editor_number"
}

# True when $1 is four integers, as the helper prints a rectangle.
editor_is_rect() {
    case $1 in
        *[!0-9\ -]*|"") return 1 ;;
    esac
    # shellcheck disable=SC2086 # four numbers
    set -- $1
    [ $# -eq 4 ]
}
