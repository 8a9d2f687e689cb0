#!/usr/bin/env bash
# velkari.exe is a 64-bit GUI program that needs no DLL beside it: only Windows' own.
set -euo pipefail
objdump=$1 exe=$2
headers=$("$objdump" -p "$exe")
grep -q 'file format pei-x86-64' <<<"$headers" || { echo "not a 64-bit PE file"; exit 1; }
grep -Eq 'Subsystem[[:space:]]+00000002' <<<"$headers" || { echo "not a GUI program"; exit 1; }
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort -u)
system='^(kernel32|user32|gdi32|comctl32|ole32|oleaut32|wininet|advapi32|shell32|msvcrt|ws2_32|api-ms-win-.*)\.dll$'
foreign=$(grep -Ev "$system" <<<"$dlls" || true)
[ -z "$foreign" ] || { echo "needs DLLs that are not Windows' own: $foreign"; exit 1; }
echo "velkari.exe: 64-bit GUI program; imports: $(tr '\n' ' ' <<<"$dlls")"
