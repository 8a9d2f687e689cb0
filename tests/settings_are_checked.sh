#!/usr/bin/env bash
# Configuring with a malformed setting fails and says which; good values pass.
set -uo pipefail
cmake_command=$1
settings=$2
status=0
check() { # expected-exit-code expected-text -D...
    local want=$1 text=$2
    shift 2
    local out
    out=$("$cmake_command" "$@" -P "$settings" 2>&1)
    local got=$?
    if { [ "$want" = 0 ] && [ $got -ne 0 ]; } || { [ "$want" != 0 ] && [ $got -eq 0 ]; } ||
        ! grep -q -- "$text" <<<"$out"; then
        echo "FAILED: $* gave exit $got: $out"
        status=1
    fi
}
check 0 "" -D VELKARI_VIDEO_SERVICE_USER_ID=0123456789ABCDEF -D VELKARI_COURSE_SITE_HOST=course.example:8080
check 1 "VELKARI_VIDEO_SERVICE_USER_ID must be 16" -D VELKARI_VIDEO_SERVICE_USER_ID=0123456789abcdef
check 1 "VELKARI_VIDEO_SERVICE_USER_ID must be 16" -D VELKARI_VIDEO_SERVICE_USER_ID=0123456789ABCDE
check 1 "VELKARI_VIDEO_SERVICE_USER_ID must be 16" -D VELKARI_VIDEO_SERVICE_USER_ID=0123456789ABCDEF0
check 1 "VELKARI_COURSE_SITE_HOST must be" -D "VELKARI_COURSE_SITE_HOST=bad host"
check 1 "VELKARI_VIDEO_SERVICE_HOST must be" -D "VELKARI_VIDEO_SERVICE_HOST=h\"ost"
exit $status
