#!/usr/bin/env bash
# Journeys: the real trackhaul.exe, started in a fresh Wine prefix whose
# programs run in a Wine desktop (which draws title bars), with demo players
# attached as removable drives, used as a person uses it: keys and clicks
# from xdotool only. window-probe reads what the screen shows (which windows
# are up, the texts of their controls) and never acts. Outcomes are checked
# on disk and in the registry; every step leaves a screenshot in
# build/journeys/shots, and the README's pictures are made on the way, in
# build/journeys/pictures, the last at 150 % scale. Needs the Windows and the
# native build. Every wait polls for what it waits for, and the main window
# is placed where the journey wants it, so that neither the machine's load
# nor the size and place of the desktop change the outcome.
#
#   tests/journeys/journeys.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
here=$root/tests/journeys
exe=$root/build/windows/src/app/trackhaul.exe
probe_exe=$root/build/windows/tests/journeys/window-probe.exe
tools=$root/build/native/tools
work=$root/build/journeys
shots=$work/shots
key='HKCU\Software\Marrowfen\Trackhaul'
pattern='%tracknumber% - %artist% - %title%'
folders='%artist%\%album%'

step=0
fail() {
    echo "journeys: step $step: $*" >&2
    shot failure || true
    exit 1
}

# The players: the demo player as F:, its compressed twin as G:, and one
# whose database is damaged as H:. Where the disk has room, the first track
# in title order gets a large file (sparse on the player, 1 GiB once
# copied), so that an extraction can be pictured under way.
make_players() {
    rm -rf "$work"
    mkdir -p "$shots" "$work/players" "$work/pictures"
    "$tools/make-demo-player" "$work/players/demo" >/dev/null
    "$tools/make-demo-player" --compressed "$work/players/compressed" >/dev/null
    "$tools/make-demo-player" "$work/players/damaged" >/dev/null
    head -c 200 "$work/players/demo/iPod_Control/iTunes/iTunesDB" \
        > "$work/players/damaged/iPod_Control/iTunes/iTunesDB"
    "$tools/trackhaul-dump" "$work/players/demo/iPod_Control/iTunes/iTunesDB" > "$work/dump.csv"
    "$tools/trackhaul-dump" --fields "$work/players/demo/iPod_Control/iTunes/iTunesDB" \
        > "$work/fields.txt"
    "$tools/make-demo-player" --rated "$root/tests/data/tags" "$work/players/rated" \
        > "$work/rated-files.txt"
    large_track=
    if [ "$(df --output=avail -k "$work" | tail -n 1)" -gt $((4 * 1024 * 1024)) ]; then
        large_track=$(python3 "$here/oracle.py" first-by-title "$work/dump.csv" "$work/players/demo")
        truncate -s 1G "$large_track"
    fi
}

prepare_prefix() {
    . "$root/scripts/lib/wine-env.sh"
    wine_prepare_prefix "$work/prefix"
    wine_link_cjk_font
    # Every program of the prefix runs in one Wine desktop.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wine_attach_drive f "$work/players/demo" DEMOPOD
    wine_attach_drive g "$work/players/compressed" NEWNANO
    wine_attach_drive h "$work/players/damaged" OLDPOD
    wine_attach_drive i "$work/players/rated" RATEDPOD
    export_folder="C:\\Экспорт"
    mkdir -p "$WINEPREFIX/drive_c/Экспорт"
    wine_start_display virtual
}

# window-probe, one process for the whole journey.
start_probe() {
    coproc PROBE { wine "$probe_exe" 2>/dev/null; }
}
ask() {
    echo "$*" >&"${PROBE[1]}"
    local answer
    IFS= read -r answer <&"${PROBE[0]}"
    printf '%s\n' "${answer%$'\r'}"
}
expect_window() {  # CLASS CAPTION
    [ "$(ask wait "$1" "$2" 20)" = yes ] || fail "no window \"$2\" showed"
}
expect_gone() {
    [ "$(ask gone "$1" "$2" 20)" = yes ] || fail "window \"$2\" stayed"
}
# The text of a control: CLASS CHILDCLASS INDEX CAPTION.
control_text() {
    local answer
    answer=$(ask child "$1" "$2" "$3" "$4")
    [ "$answer" != none ] || fail "no $2 $3 in \"$4\""
    printf '%s\n' "${answer#*|}"
}
status_text() {
    control_text TMainForm msctls_statusbar32 0 Trackhaul
}
wait_status() {  # TEXT [SECONDS]
    local i
    for i in $(seq 1 $((${2:-20} * 10))); do
        [ "$(status_text)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the status bar reads \"$(status_text)\", not \"$1\""
}

# The Wine desktop's X window and where it stands on the X screen.
find_desktop() {
    desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$desktop" | sed -n 's/^\([XY]\)=/desktop_\L\1=/p')"
}
# Moves the mouse to a point of the Windows screen, which the Wine desktop
# shows from its top left corner, wherever that is on the X screen.
mouse_to() {
    xdotool mousemove --sync $(($1 + desktop_x)) $(($2 + desktop_y))
}
click() {
    mouse_to "$1" "$2"
    xdotool click 1
}
# Clicks a control: CLASS CHILDCLASS INDEX CAPTION [X-OFFSET-FROM-RIGHT].
click_control() {
    local answer left top right bottom
    answer=$(ask child "$1" "$2" "$3" "$4")
    [ "$answer" != none ] || fail "no $2 $3 in \"$4\" to click"
    read -r left top right bottom <<< "${answer%%|*}"
    if [ -n "${5:-}" ]; then
        click $((right - $5)) $(((top + bottom) / 2))
    else
        click $(((left + right) / 2)) $(((top + bottom) / 2))
    fi
}
# Brings a window to the front by a click on its title bar, as a person
# does before typing into it.
activate() {  # CLASS CAPTION
    local left top right bottom
    read -r left top right bottom <<< "$(ask rect "$1" "$2")"
    click $((left + 60)) $((top + 10))
}
keys() {
    xdotool key --delay 60 "$@"
}
# Waits until the window is in front with the keyboard in it, ready for keys.
expect_focus() {  # CLASS CAPTION
    [ "$(ask focus "$1" 20 "$2")" = yes ] || fail "the keyboard is not in \"$2\""
}
# Waits until a control of the window reads TEXT.
expect_shown() {  # CLASS CAPTION TEXT
    [ "$(ask shows "$1" 20 "$2|$3")" = yes ] || fail "\"$2\" does not show \"$3\""
}
# Opens the File menu and chooses Exit.
exit_by_menu() {
    keys alt+f
    expect_window '#32768' ''
    keys x
}

shot() {
    import -window "$desktop" "$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")"
}
# The picture of one window and a margin around it, for the README.
picture() {  # NAME CLASS CAPTION
    local left top right bottom margin=12
    read -r left top right bottom <<< "$(ask rect "$2" "$3")"
    import -window "$desktop" -crop "$((right - left + 2 * margin))x$((bottom - top + 2 * margin))+$((left - margin))+$((top - margin))" \
        +repage "$work/pictures/$1.png"
}

# A stored setting, read from an export of the key (UTF-16: the console
# would turn letters outside its code page into question marks).
setting() {
    wine reg export "$key" "$work/settings.reg" /y >/dev/null 2>&1 || return 0
    python3 "$here/oracle.py" setting "$work/settings.reg" "$1"
}
expect_setting() {
    local actual
    actual=$(setting "$1")
    [ "$actual" = "$2" ] || fail "$1 is \"$actual\", expected \"$2\""
}

start_trackhaul() {
    wine "$exe" &
    program=$!
}
wait_for_exit() {
    local i
    for i in $(seq 1 200); do
        kill -0 "$program" 2>/dev/null || return 0
        sleep 0.1
    done
    fail "Trackhaul did not end"
}

# Waits until a temporary copy of more than a megabyte is in the export
# folder (the large track's, under way) and names it.
wait_for_temporary_copy() {
    local i found
    for i in $(seq 1 600); do
        found=$(find "$WINEPREFIX/drive_c/Экспорт" -name '~trackhaul-*.partial' -size +1M | head -n 1)
        if [ -n "$found" ]; then
            printf '%s\n' "$found"
            return 0
        fi
        sleep 0.1
    done
    fail "no temporary copy of the large track showed"
}

player_hashes() {
    (cd "$work/players/demo" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
}
listing() {
    python3 "$here/oracle.py" listing "$1" | sort
}

# Opens the device dialog and loads the drive at LIST-POSITION (from 0).
open_player() {
    keys ctrl+o
    expect_window '#32770' 'Select Your iPod'
    local i
    for i in $(seq 1 "$1"); do
        keys Down
    done
    shot device-dialog
    keys Return
}

sort_by_title() {
    # The Title header: the track number column is 50 pixels wide, the
    # title column 130.
    local answer left top right bottom i
    answer=$(ask child TMainForm SysHeader32 0 Trackhaul)
    read -r left top right bottom <<< "${answer%%|*}"
    click $((left + 50 + 65)) $(((top + bottom) / 2))
    for i in $(seq 1 200); do
        [ "$(ask cell TMainForm 0 1 Trackhaul)" = "$first_title" ] && return 0
        sleep 0.1
    done
    fail "the list is not sorted by title: \"$(ask cell TMainForm 0 1 Trackhaul)\" comes first"
}

export_list() {  # NAME: into the export folder
    export_to "$export_folder\\$1"
}

export_to() {  # PATH
    keys ctrl+e
    expect_window '#32770' 'Export Track List'
    expect_focus '#32770' 'Export Track List'
    # Under load xdotool now and then loses a letter of another script: the
    # name box is read back, and typed over until it holds the path.
    local attempt
    for attempt in 1 2 3; do
        keys End shift+Home
        xdotool type --delay 40 "$1"
        [ "$(control_text '#32770' Edit 0 'Export Track List')" = "$1" ] && break
    done
    shot save-dialog
    keys Return
    expect_gone '#32770' 'Export Track List'
    wait_status 'Trackhaul Ready'
}

# Waits for the folder dialog to show the folder it opens on, the export
# folder unless another is given, and takes it.
choose_export_folder() {  # [FOLDER]
    expect_window '#32770' 'Browse for Folder'
    expect_shown '#32770' 'Browse for Folder' "${1:-$export_folder}"
    expect_focus '#32770' 'Browse for Folder'
    shot folder-dialog
    keys Return
    expect_gone '#32770' 'Browse for Folder'
}

wait_pane() {  # TEXT
    local i
    for i in $(seq 1 100); do
        [ "$(control_text TMainForm TrackhaulAlbumArt 0 Trackhaul)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the album art pane does not read \"$1\""
}
# The colour at a point of a picture file, as "R,G,B".
colour_at() {  # FILE X Y
    local c="p{$2,$3}"
    convert "$1" -format "%[fx:int(255*$c.r+0.5)],%[fx:int(255*$c.g+0.5)],%[fx:int(255*$c.b+0.5)]" info:
}
# Shows (1) or hides (0) the album art pane from the track list's context
# menu ("Show/Hide", "Album Art"), the list having the keyboard, and waits
# for the stored setting to follow; a key lost under load is pressed again.
toggle_album_art() {  # SHOWN
    local attempt i
    for attempt in 1 2 3; do
        keys shift+F10
        [ "$(ask wait '#32768' '')" = yes ] || fail "the list's menu did not show"
        keys h
        sleep 0.5  # the submenu opens on a timer
        keys a
        [ "$(ask gone '#32768' '' 5)" = yes ] || keys Escape Escape Escape
        for i in $(seq 1 20); do
            [ "$(setting ShowAlbumArt)" = "$1" ] && return 0
            sleep 0.1
        done
    done
    fail "ShowAlbumArt is \"$(setting ShowAlbumArt)\", expected \"$1\""
}
# Whether the last screenshot of the album art pane shows the cover's
# colours where the player's picture has them.
pane_shows_cover() {  # SHOT
    local left top right bottom side pane x y
    pane=$(ask child TMainForm TrackhaulAlbumArt 0 Trackhaul)
    read -r left top right bottom <<< "${pane%%|*}"
    side=$((right - left - 4 - 16))  # inside the pane's border and margin
    for point in "10 10" "10 90" "50 30"; do  # the sky, the sea, the sun
        read -r x y <<< "$point"
        [ "$(colour_at "$1" $((left + 10 + side * x / 100)) $((top + 10 + side * y / 100)))" = \
          "$(colour_at "$work/cover.ppm" $((320 * x / 100)) $((320 * y / 100)))" ] || return 1
    done
}
# Puts the focus on the track list and then on its row at POSITION (from 0).
focus_row() {
    click_control TMainForm SysListView32 0 Trackhaul
    keys Home $(yes Down | head -n "$1")
}
# Selects every row and extracts them into the folder the dialog opens on,
# the export folder unless another is given.
extract_all() {  # [FOLDER]
    keys ctrl+a ctrl+s
    choose_export_folder "$@"
}

# Checks or unchecks an extra column in the menu of the list's header.
toggle_column() {  # POSITION in the menu (from 0)
    local answer left top right bottom i
    answer=$(ask child TMainForm SysHeader32 0 Trackhaul)
    read -r left top right bottom <<< "${answer%%|*}"
    mouse_to $((left + 100)) $(((top + bottom) / 2))
    xdotool click 3
    # A menu has no caption: the probe's wait for any.
    [ "$(ask wait '#32768' '')" = yes ] || fail "the header's menu did not show"
    for i in $(seq 0 "$1"); do
        keys Down
    done
    keys Return
    [ "$(ask gone '#32768' '')" = yes ] || fail "the header's menu stayed"
}

# Clicks the header of the list's column that starts this far from its left.
click_header() {  # X-OFFSET
    local answer left top right bottom
    answer=$(ask child TMainForm SysHeader32 0 Trackhaul)
    read -r left top right bottom <<< "${answer%%|*}"
    click $((left + $1)) $(((top + bottom) / 2))
}

set_overwrite_policy() {  # POSITION in the list (0, 1, 2)
    click_control '#32770' ComboBox 1 'Trackhaul Preferences' 8
    keys Home
    local i
    for i in $(seq 1 "$1"); do
        keys Down
    done
    keys Return
}

journey() {
    local expected_export="$work/by-title.csv"
    first_title=$(python3 "$here/oracle.py" first-title "$work/dump.csv")
    local exported="$WINEPREFIX/drive_c/Экспорт/tracks.csv"
    local destination="$WINEPREFIX/drive_c/Экспорт"
    python3 "$here/oracle.py" by-title "$work/dump.csv" "$expected_export"
    player_hashes > "$work/player-before.txt"

    step=1  # First start: the welcome prompt leads into the preferences.
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    # Where a desktop of 1024 x 768 would centre it, whatever the desktop.
    local bound
    for bound in x=70 y=81 w=884 h=606; do
        wine reg add "$key" /v "${bound%=*}" /d "${bound#*=}" /f >/dev/null 2>&1
    done
    start_trackhaul
    start_probe
    expect_window '#32770' 'Welcome to Trackhaul'
    find_desktop
    activate '#32770' 'Welcome to Trackhaul'
    shot welcome
    keys y
    expect_window '#32770' 'Trackhaul Preferences'
    activate '#32770' 'Trackhaul Preferences'
    # The first entry of the list; the box shows the stored pattern, which
    # is not in it.
    click_control '#32770' ComboBox 0 'Trackhaul Preferences' 8
    keys Down Return
    set_overwrite_policy 1
    [ "$(control_text '#32770' ComboBox 0 'Trackhaul Preferences')" = "$pattern" ] ||
        fail "the pattern box shows \"$(control_text '#32770' ComboBox 0 'Trackhaul Preferences')\""
    shot preferences
    picture preferences '#32770' 'Trackhaul Preferences'
    keys Return
    expect_gone '#32770' 'Trackhaul Preferences'
    expect_setting FileFormat "$pattern"
    expect_setting OverwriteFiles 1
    expect_setting FirstRun 0

    step=2  # Open the demo player.
    expect_window TMainForm Trackhaul
    open_player 0
    wait_status 'Loaded total 59 song(s)'
    shot loaded
    # The album art pane, from the list's context menu: the first track's
    # cover, its colours where the player's picture has them; "No Album Art"
    # for a track without one.
    "$tools/trackhaul-dump" --art "$work/players/demo" > "$work/art.txt"
    "$tools/trackhaul-dump" --art-ppm "$work/players/demo" 0 "$work/cover.ppm"
    focus_row 0
    toggle_album_art 1
    wait_pane 'Album Art'
    local attempt
    for attempt in $(seq 1 20); do  # until the picture is painted
        shot album-art
        pane_shows_cover "$shots/02-album-art.png" && break
        [ "$attempt" -lt 20 ] || fail "the pane does not show the cover's colours"
        sleep 0.2
    done
    picture album-art TMainForm Trackhaul
    focus_row "$(awk '$0 == "-" { print NR - 1; exit }' "$work/art.txt")"
    wait_pane 'No Album Art'
    toggle_album_art 0

    step=3  # Sort by title and export into a folder named in Cyrillic.
    sort_by_title
    shot sorted-by-title
    picture main-window TMainForm Trackhaul
    export_list tracks
    cmp "$exported" "$expected_export" || fail "the exported list differs from the list in title order"
    expect_setting ExtractPath "$export_folder\\"
    # A playlist by the keyboard, the list opened for a picture, then all
    # tracks again in title order.
    keys ctrl+l alt+Down
    expect_window ComboLBox ''
    shot playlists
    picture playlists TMainForm Trackhaul
    keys Escape Down
    wait_status 'Playlist: Road Trip (11)'
    keys Home
    wait_status 'Loaded total 59 song(s)'
    sort_by_title

    step=4  # Extract every track into the folder of the export.
    if [ -n "$large_track" ]; then
        # The program ended while it copies the large file leaves no part
        # of it under a track's name; the next run removes what it left.
        extract_all
        local partial
        partial=$(wait_for_temporary_copy)
        kill -9 "$program"
        wait_for_exit
        [ -f "$partial" ] || fail "the temporary copy went with the program"
        [ "$(find "$destination" -type f ! -name tracks.csv ! -name '~trackhaul-*' | wc -l)" = 0 ] ||
            fail "a track's name holds a part of a copy"
        start_trackhaul
        expect_window TMainForm Trackhaul
        activate TMainForm Trackhaul
        open_player 0
        wait_status 'Loaded total 59 song(s)'
        sort_by_title
    fi
    # The run that completes the set (the policy is Never Overwrite). While
    # the first, large file is copied the window shows the run under way,
    # the file named in the status bar: time for a picture of it.
    extract_all
    if [ -n "$large_track" ]; then
        wait_for_temporary_copy > /dev/null
    fi
    shot extracting
    picture extracting TMainForm Trackhaul
    wait_status 'Trackhaul Ready' 60
    python3 "$here/oracle.py" extracted "$work/dump.csv" "$work/players/demo" "$pattern" \
        | sort > "$work/expected-tracks.txt"
    (cat "$work/expected-tracks.txt"; printf 'tracks.csv\t%s\n' "$(sha256sum < "$exported" | cut -d' ' -f1)") \
        | sort > "$work/expected-folder.txt"
    listing "$destination" > "$work/folder-after-extract.txt"
    diff "$work/expected-folder.txt" "$work/folder-after-extract.txt" >&2 ||
        fail "the extracted files differ from the tracks"
    player_hashes | cmp -s - "$work/player-before.txt" || fail "the player was changed"
    expect_setting ExtractPath "$export_folder"
    # The playlists beside the tracks, every entry one of them; removed again.
    keys ctrl+m
    choose_export_folder
    wait_status 'Exported 7 playlist(s)'
    [ "$(python3 "$here/oracle.py" playlists "$destination" | wc -l)" = 7 ] ||
        fail "the playlist files are not all there"
    rm -f "$destination"/*.m3u8

    step=5  # Again: nothing is overwritten; then with the prompt, No to All.
    local times_before
    times_before=$(find "$destination" -type f -printf '%p %T@\n' | sort)
    extract_all
    wait_status 'Trackhaul Ready' 60
    [ "$(find "$destination" -type f -printf '%p %T@\n' | sort)" = "$times_before" ] ||
        fail "a file was written although the policy is Never Overwrite"
    keys ctrl+p
    expect_window '#32770' 'Trackhaul Preferences'
    set_overwrite_policy 2
    keys Return
    expect_gone '#32770' 'Trackhaul Preferences'
    expect_setting OverwriteFiles 2
    extract_all
    expect_window '#32770' Trackhaul
    [ "$(control_text '#32770' Static 0 Trackhaul)" = 'File already exists.  Overwirte?' ] ||
        fail "the prompt asks \"$(control_text '#32770' Static 0 Trackhaul)\""
    shot overwrite-prompt
    picture overwrite-prompt TMainForm Trackhaul
    click_control '#32770' Button 3 Trackhaul
    wait_status 'Trackhaul Ready' 60
    [ "$(find "$destination" -type f -printf '%p %T@\n' | sort)" = "$times_before" ] ||
        fail "No to All let a file be written"
    player_hashes | cmp -s - "$work/player-before.txt" || fail "the player was changed"
    find "$destination" -type f -size +100M -delete  # room on the disk again

    step=6  # Exit; the next start asks nothing and shows the window where it was.
    local before
    before=$(ask rect TMainForm Trackhaul)
    read -r left top right bottom <<< "$before"
    # The mouse moves once the move has begun, and lets go once the window
    # has followed it: a busy program may begin the move late.
    local moved="$((left - 40)) $((top - 20)) $((right - 40)) $((bottom - 20))"
    mouse_to $((left + 200)) $((top + 10))
    xdotool mousedown 1
    [ "$(ask moving TMainForm 20 Trackhaul)" = yes ] || fail "no move began on the title bar"
    mouse_to $((left + 160)) $((top - 10))
    for i in $(seq 1 100); do
        [ "$(ask rect TMainForm Trackhaul)" = "$moved" ] && break
        sleep 0.1
    done
    xdotool mouseup 1
    for i in $(seq 1 100); do
        [ "$(ask moving TMainForm 0 Trackhaul)" = no ] && break
        sleep 0.1
    done
    read -r left top right bottom <<< "$(ask rect TMainForm Trackhaul)"
    [ "$left $top $right $bottom" = "$moved" ] ||
        fail "the window was not moved by its title bar: it is at $left $top $right $bottom"
    shot moved
    exit_by_menu
    wait_for_exit
    expect_setting x "$left"
    expect_setting y "$top"
    expect_setting w $((right - left))
    expect_setting h $((bottom - top))
    expect_setting FileFormat "$pattern"
    expect_setting OverwriteFiles 2
    start_trackhaul
    expect_window TMainForm Trackhaul
    [ "$(ask wait '#32770' 'Welcome to Trackhaul' 3)" = no ] || fail "the welcome prompt came again"
    [ "$(ask rect TMainForm Trackhaul)" = "$left $top $right $bottom" ] ||
        fail "the window opened at $(ask rect TMainForm Trackhaul), not $left $top $right $bottom"
    activate TMainForm Trackhaul
    shot second-start

    step=7  # The compressed twin on G: gives the same rows.
    open_player 1
    wait_status 'Loaded total 59 song(s)'
    sort_by_title
    export_list compressed
    cmp "$WINEPREFIX/drive_c/Экспорт/compressed.csv" "$expected_export" ||
        fail "the compressed player's list differs"

    step=8  # A damaged database is reported; the program stays usable.
    open_player 2
    expect_window '#32770' Trackhaul
    [ "$(control_text '#32770' Static 1 Trackhaul)" = 'An error occurred while reading iPod database.' ] ||
        fail "the error box says \"$(control_text '#32770' Static 1 Trackhaul)\""
    shot damaged
    keys Return
    wait_status 'Trackhaul Ready'
    open_player 0
    wait_status 'Loaded total 59 song(s)'

    step=9  # Sub-folders by artist and album, then none again: today's run.
    keys ctrl+p
    expect_window '#32770' 'Trackhaul Preferences'
    [ "$(control_text '#32770' ComboBox 2 'Trackhaul Preferences')" = '(none)' ] ||
        fail "the sub-folders box shows \"$(control_text '#32770' ComboBox 2 'Trackhaul Preferences')\""
    click_control '#32770' ComboBox 2 'Trackhaul Preferences' 8
    keys Down Down Return
    [ "$(control_text '#32770' ComboBox 2 'Trackhaul Preferences')" = "$folders" ] ||
        fail "the sub-folders box shows \"$(control_text '#32770' ComboBox 2 'Trackhaul Preferences')\""
    click_control '#32770' Button 4 'Trackhaul Preferences'  # Save album art as folder.jpg
    shot sub-folders
    picture sub-folders '#32770' 'Trackhaul Preferences'
    keys Return
    expect_gone '#32770' 'Trackhaul Preferences'
    expect_setting FolderFormat "$folders"
    expect_setting SaveAlbumArt 1
    local flat_files
    flat_files=$(find "$destination" -maxdepth 1 -type f -printf '%p %T@\n' | sort)
    extract_all
    wait_status 'Trackhaul Ready' 60
    python3 "$here/oracle.py" extracted "$work/dump.csv" "$work/players/demo" "$pattern" "$folders" \
        | sort > "$work/expected-sorted.txt"
    listing "$destination" | { grep / || true; } | { grep -v '/folder\.jpg' || true; } \
        > "$work/sorted-after-extract.txt"
    diff "$work/expected-sorted.txt" "$work/sorted-after-extract.txt" >&2 ||
        fail "the files in sub-folders differ from the tracks"
    # One cover in each album's folder that has one, at its picture's size and
    # in its colours.
    python3 "$here/oracle.py" covers "$work/dump.csv" "$work/art.txt" "$folders" > "$work/covers.txt"
    [ "$(find "$destination" -name folder.jpg | wc -l)" = "$(wc -l < "$work/covers.txt")" ] ||
        fail "not one folder.jpg for each album with a cover"
    local cover jpeg
    while IFS=$'\t' read -r cover index; do
        jpeg="$destination/$cover"
        "$tools/trackhaul-dump" --art-ppm "$work/players/demo" "$index" "$work/cover.ppm"
        [ "$(identify -format '%w %h' "$jpeg")" = "$(identify -format '%w %h' "$work/cover.ppm")" ] ||
            fail "$cover is not the size of its picture"
        python3 -c 'import sys; sys.exit(float(sys.argv[1]) > 0.03)' \
            "$(compare -metric MAE "$jpeg" "$work/cover.ppm" null: 2>&1 | sed 's/.*(\(.*\))/\1/')" ||
            fail "$cover does not show its picture"
    done < "$work/covers.txt"
    [ "$(find "$destination" -maxdepth 1 -type f -printf '%p %T@\n' | sort)" = "$flat_files" ] ||
        fail "a file beside the sub-folders was written"
    find "$destination" -type f -size +100M -delete
    listing "$destination" | { grep / || true; } > "$work/sorted-before-flat.txt"
    keys ctrl+p
    expect_window '#32770' 'Trackhaul Preferences'
    click_control '#32770' ComboBox 2 'Trackhaul Preferences' 8
    keys Up Up Up Return
    keys Return
    expect_gone '#32770' 'Trackhaul Preferences'
    expect_setting FolderFormat ''
    # The large track's file is the only one missing: every other asks.
    extract_all
    expect_window '#32770' Trackhaul
    click_control '#32770' Button 3 Trackhaul  # No to All
    wait_status 'Trackhaul Ready' 60
    listing "$destination" | { grep -v -e / -e '\.csv' || true; } > "$work/flat-after-extract.txt"
    diff "$work/expected-tracks.txt" "$work/flat-after-extract.txt" >&2 ||
        fail "the run without sub-folders did not give today's files"
    listing "$destination" | { grep / || true; } | cmp -s - "$work/sorted-before-flat.txt" ||
        fail "the run without sub-folders changed the sub-folders"
    find "$destination" -type f -size +100M -delete
    player_hashes | cmp -s - "$work/player-before.txt" || fail "the player was changed"
    exit_by_menu
    wait_for_exit

    columns_and_find
    library_into_the_next_program
    photos_home
    ratings_into_the_copies

    step=16  # The main window at 150 % scale (the prefix reads it when it starts).
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1000 /f >/dev/null 2>&1
    for setting in x=8 y=8 w=1248 h=880; do
        wine reg add "$key" /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null 2>&1
    done
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    start_trackhaul
    start_probe
    expect_window TMainForm Trackhaul
    find_desktop
    activate TMainForm Trackhaul
    open_player 0
    wait_status 'Loaded total 59 song(s)'
    sort_by_title
    picture main-window-150 TMainForm Trackhaul
}

# The player's ratings and plays as columns, sorted by; the find box; an
# export and an extraction of what it finds; the columns after a restart.
# Starts and ends with the program closed.
columns_and_find() {
    local found_folder="$WINEPREFIX/drive_c/found"
    mkdir -p "$found_folder"
    step=10  # Rating and Plays from the header's menu, in a maximized window.
    start_trackhaul
    expect_window TMainForm Trackhaul
    activate TMainForm Trackhaul
    open_player 0
    wait_status 'Loaded total 59 song(s)'
    local left top right bottom before i
    before=$(ask rect TMainForm Trackhaul)
    read -r left top right bottom <<< "$before"
    mouse_to $((left + 300)) $((top + 10))
    xdotool click --repeat 2 1
    for i in $(seq 1 100); do
        [ "$(ask rect TMainForm Trackhaul)" != "$before" ] && break
        sleep 0.1
    done
    toggle_column 4
    toggle_column 5
    expect_setting ExtraColumns 'Rating,Plays'
    # The nine columns take 870 pixels; Rating 70 more, then Plays. The
    # export, which the keys send after the click, is made once the sort is.
    click_header 905
    export_to 'C:\found\by-rating'
    python3 "$here/oracle.py" rated-export "$found_folder/by-rating.csv" "$work/dump.csv" \
        "$work/fields.txt" sorted-by Rating || fail "the export sorted by rating is wrong"
    picture columns TMainForm Trackhaul
    shot sorted-by-rating
    click_header 965
    export_to 'C:\found\by-plays'
    python3 "$here/oracle.py" rated-export "$found_folder/by-plays.csv" "$work/dump.csv" \
        "$work/fields.txt" sorted-by Plays || fail "the export sorted by plays is wrong"
    rm "$found_folder"/*.csv

    step=11  # Find, export and extract what is found, then every track again.
    # The composer, which the find finds, for the picture.
    toggle_column 2
    keys ctrl+f
    xdotool type --delay 80 renee
    wait_status 'Showing 3 of 59 tracks'
    shot found
    picture found TMainForm Trackhaul
    toggle_column 2
    expect_setting ExtraColumns 'Rating,Plays'
    # Another playlist keeps the words.
    keys ctrl+l Down
    wait_status 'Showing 0 of 11 tracks'
    keys Home
    wait_status 'Showing 3 of 59 tracks'
    export_to 'C:\found\found'
    python3 "$here/oracle.py" rated-export "$found_folder/found.csv" "$work/dump.csv" \
        "$work/fields.txt" found renee || fail "the export of what was found is wrong"
    extract_all 'C:\found'
    wait_status 'Trackhaul Ready' 60
    (python3 "$here/oracle.py" found "$work/dump.csv" "$work/fields.txt" "$work/players/demo" \
        "$pattern" renee; printf 'found.csv\t%s\n' "$(sha256sum < "$found_folder/found.csv" | cut -d' ' -f1)") \
        | sort > "$work/expected-found.txt"
    listing "$found_folder" > "$work/found-after-extract.txt"
    diff "$work/expected-found.txt" "$work/found-after-extract.txt" >&2 ||
        fail "the extraction of what was found differs"
    keys ctrl+f Escape
    wait_status 'Loaded total 59 song(s)'

    step=12  # Plays out again; the columns chosen survive a restart.
    toggle_column 5
    expect_setting ExtraColumns 'Rating'
    exit_by_menu
    wait_for_exit
    start_trackhaul
    expect_window TMainForm Trackhaul
    activate TMainForm Trackhaul
    open_player 0
    wait_status 'Loaded total 59 song(s)'
    export_to 'C:\found\after-restart'
    head -c 400 "$found_folder/after-restart.csv" | iconv -f UTF-16 -t UTF-8 | head -n 1 |
        grep -q ',"Sample Rate","Rating"$' || fail "the Rating column did not come back"
    exit_by_menu
    wait_for_exit
}

# The playlists and Library.xml written after an extraction into a folder
# named in Cyrillic with an "&", then Export Library over that file: both
# are the library trackhaul-dump makes of the copies. Starts and ends with
# the program closed.
library_into_the_next_program() {
    local music='C:\Музыка & Co' music_dir="$WINEPREFIX/drive_c/Музыка & Co"
    mkdir -p "$music_dir"
    step=13  # WriteLibrary on, one extraction, then Ctrl+B.
    start_trackhaul
    expect_window TMainForm Trackhaul
    activate TMainForm Trackhaul
    open_player 0
    wait_status 'Loaded total 59 song(s)'
    export_to "$music\\tracks"  # the folder becomes the extraction folder
    rm "$music_dir/tracks.csv"
    keys ctrl+p
    expect_window '#32770' 'Trackhaul Preferences'
    click_control '#32770' Button 6 'Trackhaul Preferences'  # Write playlists and Library.xml
    shot write-library
    keys Return
    expect_gone '#32770' 'Trackhaul Preferences'
    expect_setting WriteLibrary 1
    extract_all "$music"
    wait_status 'Trackhaul Ready' 120
    [ "$(python3 "$here/oracle.py" playlists "$music_dir" | wc -l)" = 7 ] ||
        fail "the extraction did not write the playlists"
    "$tools/trackhaul-dump" --library "$work/players/demo" "$music_dir" --pattern "$pattern" \
        > "$work/expected-library.xml" 2> /dev/null
    python3 "$here/oracle.py" library "$music_dir/Library.xml" "$work/expected-library.xml" \
        "$music_dir" 'C:/Музыка & Co' > /dev/null || fail "the extraction's Library.xml is wrong"
    rm "$music_dir/Library.xml"
    keys ctrl+b
    expect_window '#32770' 'Export Library'
    expect_focus '#32770' 'Export Library'
    [ "$(control_text '#32770' Edit 0 'Export Library')" = 'Library.xml' ] ||
        fail "the save dialog offers \"$(control_text '#32770' Edit 0 'Export Library')\""
    shot export-library
    keys Return
    expect_gone '#32770' 'Export Library'
    wait_status 'Trackhaul Ready' 60
    python3 "$here/oracle.py" library "$music_dir/Library.xml" "$work/expected-library.xml" \
        "$music_dir" 'C:/Музыка & Co' > /dev/null || fail "the exported Library.xml is wrong"
    player_hashes | cmp -s - "$work/player-before.txt" || fail "the player was changed"
    rm -rf "$music_dir"
    exit_by_menu
    wait_for_exit
}

# The player's photos, album by album, as JPEGs a standard decoder reads at
# their pictures' sizes and colours; again, with the policy's prompt, No to
# All. Starts and ends with the program closed.
photos_home() {
    local photos_dir="$WINEPREFIX/drive_c/Fotos"
    mkdir -p "$photos_dir"
    step=14  # Ctrl+H into a folder of its own.
    start_trackhaul
    expect_window TMainForm Trackhaul
    activate TMainForm Trackhaul
    open_player 0
    wait_status 'Loaded total 59 song(s)'
    export_to 'C:\Fotos\tracks'  # the folder becomes the extraction folder
    rm "$photos_dir/tracks.csv"
    keys ctrl+h
    choose_export_folder 'C:\Fotos'
    wait_status 'Trackhaul Ready' 60
    "$tools/trackhaul-dump" --photos "$work/players/demo" > "$work/photos.txt"
    python3 "$here/oracle.py" photos "$work/photos.txt" | sort > "$work/expected-photos.txt"
    (cd "$photos_dir" && find . -type f | sed 's|^\./||' | sort) > "$work/saved-photos.txt"
    cut -f1 "$work/expected-photos.txt" | cmp -s - "$work/saved-photos.txt" ||
        fail "the saved photos are not the albums' files"
    local file id
    while IFS=$'\t' read -r file id; do
        "$tools/trackhaul-dump" --photo-ppm "$work/players/demo" "$id" "$work/photo.ppm"
        [ "$(identify -format '%w %h' "$photos_dir/$file")" = "$(identify -format '%w %h' "$work/photo.ppm")" ] ||
            fail "$file is not the size of its picture"
        python3 -c 'import sys; sys.exit(float(sys.argv[1]) > 0.03)' \
            "$(compare -metric MAE "$photos_dir/$file" "$work/photo.ppm" null: 2>&1 | sed 's/.*(\(.*\))/\1/')" ||
            fail "$file does not show its picture"
    done < "$work/expected-photos.txt"
    # Again under "Always Prompt": No to All keeps every file as it is.
    local times_before
    times_before=$(find "$photos_dir" -type f -printf '%p %T@\n' | sort)
    keys ctrl+h
    choose_export_folder 'C:\Fotos'
    expect_window '#32770' Trackhaul
    click_control '#32770' Button 3 Trackhaul  # No to All
    wait_status 'Trackhaul Ready' 60
    [ "$(find "$photos_dir" -type f -printf '%p %T@\n' | sort)" = "$times_before" ] ||
        fail "No to All let a photo be written"
    player_hashes | cmp -s - "$work/player-before.txt" || fail "the player was changed"
    exit_by_menu
    wait_for_exit
    # The albums as a file window shows them, for the README.
    wine explorer 'C:\Fotos' &
    if [ "$(ask wait '*' 'Fotos' 20)" = yes ]; then
        sleep 1
        picture photo-albums '*' 'Fotos'
        local window
        for window in $(xdotool search --name '^Fotos$'); do
            xdotool windowclose "$window" 2>/dev/null || true
        done
    fi
}

# The player of real MP3 and MP4 files, rated and played in every way,
# extracted with ratings on (and the library, on since step 13): the copies
# carry them as other programs read them and are otherwise the player's
# files, and the library names the tagged copies too. Starts and ends with
# the program closed.
ratings_into_the_copies() {
    local music='C:\Bewertet' music_dir="$WINEPREFIX/drive_c/Bewertet" rated=$work/players/rated
    local box_text
    mkdir -p "$music_dir"
    step=15  # WriteRatings on, one extraction.
    (cd "$rated" && find . -type f -print0 | sort -z | xargs -0 sha256sum) > "$work/rated-before.txt"
    "$tools/trackhaul-dump" "$rated/iPod_Control/iTunes/iTunesDB" > "$work/rated-dump.csv"
    "$tools/trackhaul-dump" --fields "$rated/iPod_Control/iTunes/iTunesDB" > "$work/rated-fields.txt"
    start_trackhaul
    expect_window TMainForm Trackhaul
    activate TMainForm Trackhaul
    open_player 3
    wait_status 'Loaded total 47 song(s)'
    export_to "$music\\tracks"  # the folder becomes the extraction folder
    rm "$music_dir/tracks.csv"
    keys ctrl+p
    expect_window '#32770' 'Trackhaul Preferences'
    click_control '#32770' Button 5 'Trackhaul Preferences'  # Write ratings and play counts
    shot write-ratings
    keys Return
    expect_gone '#32770' 'Trackhaul Preferences'
    expect_setting WriteRatings 1
    extract_all "$music"
    # The noise named .mp3 and the cut .m4a could not take them.
    expect_window '#32770' Trackhaul
    box_text=$(control_text '#32770' Static 1 Trackhaul)
    [[ $box_text == '2 copies could not take their ratings: '*'noise.mp3'*'cut.m4a'* ]] ||
        fail "the box says \"$box_text\""
    shot ratings-missed
    keys Return
    wait_status 'Trackhaul Ready' 60
    [ "$(/usr/bin/python3 "$here/oracle.py" rated-copies "$work/rated-dump.csv" "$work/rated-fields.txt" \
        "$work/rated-files.txt" "$rated" "$pattern" "$music_dir")" = '33 2' ] ||
        fail "the copies do not carry their ratings as they should"
    "$tools/trackhaul-dump" --library "$rated" "$music_dir" --pattern "$pattern" \
        > "$work/rated-library.xml" 2> /dev/null
    [ "$(python3 "$here/oracle.py" library "$music_dir/Library.xml" "$work/rated-library.xml" \
        "$music_dir" 'C:/Bewertet')" = 47 ] || fail "the library does not name every copy"
    (cd "$rated" && find . -type f -print0 | sort -z | xargs -0 sha256sum) |
        cmp -s - "$work/rated-before.txt" || fail "the rated player was changed"
    exit_by_menu
    wait_for_exit
}

make_players
prepare_prefix
trap 'wine_stop' EXIT
journey
echo "journeys: passed; screenshots in build/journeys/shots, pictures in build/journeys/pictures"
