#!/usr/bin/env bash
# Compares kodra with the same conversion run by ffmpeg directly, for a 60 s
# 640x480 clip to the default MP4 profile and to MP3, and prints the ratio
# of the mean times (goal: at most 1.03).
#
#   bench/encoder/kodra_vs_ffmpeg.sh BUILD_DIR [RUNS]
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [RUNS]}
runs=${2:-5}
kodra=$(cd "$build" && pwd)/app/kodra
[ -x "$kodra" ] || { echo "no kodra in $build/app" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "hyperfine is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i testsrc2=size=640x480:rate=25:duration=60 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=60 \
  -ac 2 -c:v libx264 -preset veryfast -c:a aac -b:a 128k "$work/clip.mp4"

# The ffmpeg lines are what kodra runs for these command lines, without its
# progress pipe.
direct="ffmpeg -nostdin -hide_banner -nostats -loglevel error -i file:$work/clip.mp4"
mp4_opts="-vcodec mpeg4 -acodec aac -b 768 -s 320x240 -r 25 -aspect 4:3 -ab 128 -vol 200 -ac 2 -ar 44100"
mp3_opts="-acodec mp3 -vn -ab 128 -vol 200 -ac 2 -ar 44100"

hyperfine --warmup 1 --runs "$runs" --export-csv "$work/times.csv" \
  -n kodra-mp4 "$kodra -y -i $work/clip.mp4 $mp4_opts $work/k.mp4" \
  -n ffmpeg-mp4 "$direct -c:v mpeg4 -b:v 768k -s 320x240 -r 25 -aspect 4:3 -c:a aac -b:a 128k -af volume=2.00 -ac 2 -ar 44100 -sn -dn -f psp -y file:$work/f.mp4" \
  -n kodra-mp3 "$kodra -y -i $work/clip.mp4 $mp3_opts $work/k.mp3" \
  -n ffmpeg-mp3 "$direct -vn -c:a libmp3lame -b:a 128k -af volume=2.00 -ac 2 -ar 44100 -sn -dn -f mp3 -y file:$work/f.mp3"

# CSV rows: command,mean,stddev,median,user,system,min,max. The CPU time
# (user + system, children included) is the steadier figure on a busy machine.
awk -F, 'NR > 1 { mean[$1] = $2; cpu[$1] = $5 + $6 }
  END {
    n = split("mp4 mp3", kinds, " ")
    for (i = 1; i <= n; i++) {
      k = "kodra-" kinds[i]; f = "ffmpeg-" kinds[i]
      printf "%s: kodra %.3f s, ffmpeg %.3f s, ratio %.3f; CPU kodra %.3f s, ffmpeg %.3f s, ratio %.3f\n",
        kinds[i], mean[k], mean[f], mean[k] / mean[f], cpu[k], cpu[f], cpu[k] / cpu[f]
    }
  }' "$work/times.csv"
