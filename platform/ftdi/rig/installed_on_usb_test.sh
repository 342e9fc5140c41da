#!/usr/bin/env bash
# The installed programs on the real USB stack: cmake --install into a
# scratch prefix as a user without root rights, then each row of the table
# below runs an installed program (KELVANE_USB unset: the FTDI backend, the
# real libftdi1 and libusb) on emulated FTDI devices with the simulated pod or
# adapter behind them.
#
#   installed_on_usb_test.sh install <work folder> <build folder>
#   installed_on_usb_test.sh <row> <work folder> <build folder> <source folder>
set -euo pipefail
row=$1 work=$2 build=$3

# Root drops to nobody: a user's install and a user's access to the devices.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}

# The build may lie in a folder that nobody may not enter (root's home, say).
# Then the script runs again in a mount namespace of its own, in which each
# such folder on the way to the build and the sources is covered by an open
# folder that holds only the way on. Nothing outside the namespace changes.
sources=$(cd "$(dirname "$0")/../../.." && pwd)
open_way() {
  local path="" parent part n
  local -a parts
  IFS=/ read -r -a parts <<<"${1#/}"
  for part in "${parts[@]}"; do
    parent=${path:-/}
    path=$path/$part
    as_user test -x "$parent" && continue
    n=$(mktemp -d "$KELVANE_RIG_OPEN_WAY/way.XXXXXX")
    chmod 755 "$n"
    mkdir "$n/$part"
    mount --bind "$path" "$n/$part"
    mount --rbind "$n" "$parent"
  done
}
if [ "$(id -u)" -eq 0 ] && ! as_user test -r "$build/cmake_install.cmake"; then
  if [ -z "${KELVANE_RIG_OPEN_WAY:-}" ]; then
    scratch=$(mktemp -d)
    set +e
    KELVANE_RIG_OPEN_WAY=$scratch unshare --mount --propagation private -- "$0" "$@"
    result=$?
    set -e
    # Only empty folders are left outside the namespace.
    find "$scratch" -depth -type d -empty -delete
    exit "$result"
  fi
  open_way "$build"
  open_way "$sources"
fi

if [ "$row" = install ]; then
  as_user test -r "$build/cmake_install.cmake" ||
    { echo "the user nobody cannot read the build folder $build"; exit 1; }
  rm -rf "$work"
  mkdir -p "$work"
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody:nogroup "$work"
    # The install writes its manifest into the build folder.
    touch "$build/install_manifest.txt"
    chown nobody:nogroup "$build/install_manifest.txt"
  fi
  as_user cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
  if [ "$(id -u)" -eq 0 ]; then chown root:root "$build/install_manifest.txt"; fi
  grep -q "sudo cp $work/prefix/lib/udev/rules.d/60-kelvane.rules /etc/udev/rules.d/" \
    "$work/install.log" || { cat "$work/install.log"; echo "no word on the udev rule"; exit 1; }
  exit 0
fi

source=$4
prefix=$work/prefix
rig=$build/bin/kelvane_usb_rig
here=$work/$row
pod="chip=MSP430F149"
adapter="pod=none,adapter=MSP430F2274"
tovrin_not_found="Unable to open Tovrin, error 2"

no_access="this user may not open /dev/bus/usb/001/002 (install the udev rule 60-kelvane.rules, join the plugdev group, then log in again and plug the device in again)"
pod_gone="The Dravik pod is gone: it was unplugged or lost its USB connection"

# row | devices plugged (the bus lists the last first; a chip keeps its
# latency timer unless told otherwise, see usb_rig.cpp) | program and project |
# exit code | texts the user sees, in this order ("once:" text: on exactly one
# line, before the result)
table="
BlinkProgramsAndVerifiesThroughThePod|--pod $pod|blink|0|Verify File 'blink': $here/blink.txt OK;Operation succeeded
LoaderProjectRunsThroughTheAdapter|--adapter $adapter|loader|0|Seize Target (BSL): OK;Mass Erase (BSL): OK;Read F227, v02.00 OK;Write File 'app' (BSL);Power Off (BSL): OK;Operation succeeded
PodPulledOutMidRun|--pod $pod --unplug-after 4000|blink|10|Could not write device memory;FT_GetQueueStatus failed, error 4;once:$pod_gone;Operation failed
PodPulledOutMidVerify|--pod $pod --unplug-after 5200|blink|10|Mass Erase: OK;Program File 'blink': $here/blink.txt failed;Verification error;ReadPort failed, error 4;once:$pod_gone;Operation failed
TwoPodsTheFirstListedIsUsed|--other TTL232R-3V3 --pod $pod --record $here/second.bin --pod $pod --record $here/first.bin|blink|0|Operation succeeded
ABusyPodIsPassedOverForAFreeOne|--pod $pod --record $here/free.bin --pod $pod --claimed-elsewhere|blink|0|once:Dravik - MSP430 Flash Programmer: in use by another program;Starting 'Blink';Operation succeeded
NoDeviceFailsToOpenAtOnce||blink|1|Unable to open Dravik;Could not open port 0
NoAdapterFailsToOpenAtOnce|--other TTL232R-3V3|loader|1|$tovrin_not_found
AnUnrelatedDeviceWithoutAccessIsNotTheAdapter|--other TTL232R-3V3 --locked|loader|1|$tovrin_not_found
APodWithoutAccessCannotBeOpened|--pod $pod --locked|blink|1|Unable to open Dravik;Could not open port 0;once:Dravik - MSP430 Flash Programmer: $no_access
AnAdapterWithoutAccessCannotBeOpened|--adapter $adapter --locked|loader|1|Unable to open Tovrin, error 3;once:Tovrin - MSP430 Flash Bootloader: $no_access
WithoutTheUsbModuleTheReasonIsToldOnce|--pod $pod|station|1|Unable to open Dravik;Could not open port 0;once:Unable to load the USB module
WindowStartsWithThePodFound|--pod $pod --record $here/pod.bin|window|0|
PodRepliesLeaveOnTheEventCharacter|--pod $pod|blink|0|Operation succeeded
RepliesInOneBytePiecesWithGaps|--pod $pod --pieces 1|blink|0|Verify File 'blink': $here/blink.txt OK;Operation succeeded
RepliesInFiveBytePiecesWithGaps|--pod $pod --pieces 5|blink|0|Verify File 'blink': $here/blink.txt OK;Operation succeeded
LoaderRepliesInOneBytePiecesWithGaps|--adapter $adapter --pieces 1|loader|0|Read F227, v02.00 OK;Operation succeeded
ALargeRangeReadsBackAsProgrammed|--pod $pod|readback|0|Program File 'big': $here/big.txt OK;Operation succeeded
PodSilentAfterItsFirstReplies|--pod $pod --silent-after 400|blink|13|Could not set device operating frequency;ReadPort failed, expected 2 bytes, read 0;The Dravik pod stopped answering: no reply came within 5000 ms;Operation failed
AnInThatNeverCompletesIsGivenUp|--pod $pod --stall-in 3|blink|0|Verify File 'blink': $here/blink.txt OK;Operation succeeded
AWriteThePodNeverTakesTimesOut|--pod $pod --stall-out 260|blink|12|Program File 'blink': $here/blink.txt failed;VCC Off: OK;WritePort failed, the write timed out: the pod took 0 of 9 bytes (command 106);Operation failed
AWriteTheAdapterNeverTakesTimesOut|--adapter $adapter --stall-out 6|loader|1|Set Password (BSL) 'pw';Power Off (BSL): OK;WritePort wrote 0 of 10 bytes: the write timed out;Operation failed
KernelDriverIsDetachedFromThePod|--pod $pod --kernel-driver ftdi_sio|blink|0|Operation succeeded
KernelDriverIsDetachedFromTheAdapter|--adapter $adapter --kernel-driver ftdi_sio|loader|0|Operation succeeded
PodInUseByAnotherProgram|--pod $pod --claimed-elsewhere|blink|1|Unable to open Dravik;once:Dravik - MSP430 Flash Programmer: in use by another program
AdapterInUseByAnotherProgram|--adapter $adapter --claimed-elsewhere|loader|1|Unable to open Tovrin, error 3;once:Tovrin - MSP430 Flash Bootloader: in use by another program
AnAdapterPulledOutBesideAPodSwitchesThePodOffOnce|--pod chip=MSP430F2274 --adapter $adapter --unplug-after 20|podadapter|1|Open JTAG: 3.0v OK;Seize Target (BSL): OK;once:VCC Off: OK;Power Off (BSL): failed;The Tovrin adapter is gone: it was unplugged or lost its USB connection;Operation failed
"
line=$(printf '%s\n' "$table" | grep "^$row|") || { echo "no row $row"; exit 2; }
IFS='|' read -r _ devices program code texts <<<"$line"

rm -rf "$here"
mkdir -p "$here/config"
# Each row has its own copy of the projects (a run locks its project file).
cp "$source/examples/blink/blink.kvnset" "$source/examples/blink/blink.txt" \
  "$source"/platform/ftdi/rig/data/* "$here/"
case $program in
  blink) command=("$prefix/bin/CmdLineKelvane" "$here/blink.kvnset") ;;
  loader | podadapter) command=("$prefix/bin/CmdLineKelvane" "$here/$program.kvnset") ;;
  readback)
    # 60 KB of made-up bytes over the whole main flash of the F149.
    awk 'BEGIN { s = 45; print "@1100"
      for (i = 0; i < 61184; i++) { s = (s * 69069 + 1) % 4294967296
        printf "%02X%s", int(s / 16777216), (i % 16 == 15) ? "\n" : " " }
      print "q" }' >"$here/big.txt"
    command=("$prefix/bin/CmdLineKelvane" "$here/readback.kvnset") ;;
  station)
    # The installed programs copied to a station folder without the USB module.
    cp -r "$prefix/lib/kelvane" "$here/station"
    rm "$here/station/libkelvane_ftdiusb.so"
    command=("$here/station/CmdLineKelvane" "$here/blink.kvnset") ;;
  # A silent start detects the devices, loads the configuration and ends.
  window) command=("$prefix/bin/kelvane" -Silent) ;;
esac
if [ "$(id -u)" -eq 0 ]; then chown -R nobody:nogroup "$here"; fi
# A row that should fail to open does so at once; any row that hangs fails.
limit=60
case $row in NoDevice*|NoAdapter*) limit=10 ;; esac
set +e
# shellcheck disable=SC2086 # the devices are words
out=$(cd "$here" && as_user env -u KELVANE_USB HOME="$here" XDG_CONFIG_HOME="$here/config" \
  QT_QPA_PLATFORM=offscreen \
  LIBUSB_DEBUG=2 ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
  LSAN_OPTIONS="suppressions=$source/platform/ftdi/rig/umockdev.supp" \
  timeout $((limit + 30)) umockdev-wrapper "$rig" $devices --timeout "$limit" -- \
  "${command[@]}" 2>&1)
result=$?
set -e
printf '%s\n' "$out"
[ "$result" -eq "$code" ] || { echo "exit code $result, not $code"; exit 1; }
IFS=';' read -r -a wanted <<<"$texts"
result_line=$(grep -n "^Result = " <<<"$out" | tail -n 1 | cut -d: -f1 || true)
from=1
for text in "${wanted[@]}"; do
  once=${text#once:}
  if [ "$once" != "$text" ]; then
    text=$once
    lines=$(grep -n -F -- "$text" <<<"$out" | cut -d: -f1 || true)
    [ "$(grep -c . <<<"$lines")" -eq 1 ] ||
      { echo "not on exactly one line: $text"; exit 1; }
    [ -z "$result_line" ] || [ "$lines" -lt "$result_line" ] ||
      { echo "after the result: $text"; exit 1; }
  fi
  rest=$(tail -n +"$from" <<<"$out")
  at=$(grep -n -F -m 1 -- "$text" <<<"$rest" | cut -d: -f1) ||
    { echo "missing (or out of order): $text"; exit 1; }
  from=$((from + at - 1))
done
# Every row ends with the target's supply off, failed or not.
if grep "target supply on" <<<"$out" >/dev/null; then
  echo "the target's supply was left on"; exit 1
fi
# libusb's own rules: no handle outlives its context, no device is left open
# (a device this user may not open is the one complaint a row may cause).
# (No grep -q at the end of a pipe: it may end it early and fail it.)
complaints=$(grep "libusb: \(warning\|error\)" <<<"$out" |
  grep -v "implicit default\|errno=13\|requires write access" || true)
if [ -n "$complaints" ]; then
  echo "libusb complained"; exit 1
fi
case $row in
  TwoPodsTheFirstListedIsUsed)
    [ -s "$here/first.bin" ] && [ ! -e "$here/second.bin" ] ||
      { echo "not the first pod the bus lists was used"; exit 1; } ;;
  PodRepliesLeaveOnTheEventCharacter)
    # The replies that end in the event character leave without waiting for
    # the latency timer: most of the pod's.
    early=$(sed -n 's/.*target supply off; \([0-9]*\) packets on the event character/\1/p' <<<"$out")
    [ "${early:-0}" -ge 100 ] || { echo "only ${early:-no} packets left on the event character"; exit 1; } ;;
  ABusyPodIsPassedOverForAFreeOne)
    [ -s "$here/free.bin" ] || { echo "the free pod was not used"; exit 1; } ;;
  ALargeRangeReadsBackAsProgrammed)
    # The bytes read back are the image's, address for address.
    words() { tr ' \r' '\n\n' <"$1" | grep .; }
    cmp <(words "$here/big.txt") <(words "$here/readback.txt") ||
      { echo "the range read back differs from the image"; exit 1; } ;;
  WindowStartsWithThePodFound)
    # Detection: ping, version, flash verify, version, then the serial number.
    detected=$(od -An -tu1 -v "$here/pod.bin" | tr -s ' \n' ' ')
    case $detected in " 18 20 12 20 30 30 20 20 22 "*) ;; *)
      echo "the window did not find the pod: $detected"; exit 1 ;;
    esac ;;
esac
echo "row $row OK"
