#!/usr/bin/env bash
# Makes the small real media files under tests/data and, beside each, the box tree that
# AtomicParsley prints for it (<file>.atomicparsley.txt). The trees of the third-party files in
# ../shared/conformance/mp4parse-rust go to tests/data/conformance/. The tests compare our parse
# trace with these trees, so they need neither ffmpeg nor AtomicParsley at run time.
#
# Needs Debian 12's ffmpeg, sox (with libsox-fmt-all for AMR-NB), atomicparsley, perl and
# heif-enc (libheif-examples).
# Every option that would make the output depend on the run (time stamps, encoder version
# strings, thread scheduling) is switched off, so a rerun with the same packages gives the same
# bytes.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
data="$root/tests/data"
conformance="$root/../shared/conformance/mp4parse-rust"

for tool in ffmpeg sox AtomicParsley perl heif-enc; do
    command -v "$tool" >/dev/null || {
        echo "make-test-data: '$tool' is missing (apt-get install ffmpeg sox libsox-fmt-all atomicparsley libheif-examples)" >&2
        exit 1
    }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$data"

ff=(ffmpeg -hide_banner -loglevel error -nostdin -y)
# No creation times, no encoder tag, no metadata copied from the synthetic inputs.
exact=(-fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1 -threads 1)
video=(-f lavfi -i "testsrc2=size=96x64:rate=10:duration=1")
tone=(-f lavfi -i "sine=frequency=440:sample_rate=16000:duration=1")
h264=(-c:v libx264 -preset veryslow -crf 36 -pix_fmt yuv420p -g 5)
aac=(-c:a aac -b:a 16k -ac 1)

# H.264 video and AAC audio, the everyday MP4.
"${ff[@]}" "${video[@]}" "${tone[@]}" "${h264[@]}" "${aac[@]}" "${exact[@]}" \
    "$data/h264_aac.mp4"

# MPEG-4 Part 2 visual ('mp4v' with its 'esds') and AAC.
"${ff[@]}" "${video[@]}" "${tone[@]}" -c:v mpeg4 -q:v 12 -g 5 "${aac[@]}" "${exact[@]}" \
    "$data/mpeg4_aac.mp4"

# Fragmented: an empty 'moov' with 'mvex', one 'moof'+'mdat' pair per key frame, 'mfra' at the end.
"${ff[@]}" "${video[@]}" "${tone[@]}" "${h264[@]}" "${aac[@]}" "${exact[@]}" \
    -movflags frag_keyframe+empty_moov+default_base_moof "$data/fragmented.mp4"

# RTP hint tracks: 'tref'/'hint', 'hmhd', 'rtp ' sample entries, 'udta'/'hnti'/'sdp '.
"${ff[@]}" "${video[@]}" "${tone[@]}" "${h264[@]}" "${aac[@]}" "${exact[@]}" \
    -movflags +rtphint "$data/rtp_hinted.mp4"

# 3GP: H.263 ('s263'/'d263') and AMR-NB ('samr'/'damr'), with 3GPP asset boxes in 'udta'. No
# album: ffmpeg writes 'albm' without its optional track number, and our parser always reads one.
# ffmpeg has no AMR encoder here; sox encodes AMR-NB (opencore) and ffmpeg copies the frames.
sox -R -D -n -r 8000 -c 1 -b 16 "$work/tone.wav" synth 1 sine 440 vol 0.5
sox -R -D "$work/tone.wav" -t amr-nb -C 7 "$work/tone.amr"
"${ff[@]}" -f lavfi -i "testsrc2=size=128x96:rate=10:duration=1" -i "$work/tone.amr" \
    -c:v h263 -q:v 12 -g 5 -c:a copy "${exact[@]}" \
    -metadata title="Orvex test" -metadata artist="Orvex" -metadata author="Orvex authors" \
    -metadata genre="Test" -metadata comment="H.263 and AMR-NB" \
    -metadata copyright="none" -metadata date="2024" \
    -f 3gp "$data/h263_amr.3gp"

# 3GPP timed text: H.264 video and a 'tx3g' track with its 'ftab'. ffmpeg labels the track's
# handler 'sbtl'; 3GPP TS 26.245 says 'text', so the four bytes are changed after muxing (same
# length, nothing else moves).
printf '1\n00:00:00,000 --> 00:00:00,500\nHello\n\n2\n00:00:00,500 --> 00:00:01,000\nOrvex\n' \
    >"$work/subtitles.srt"
"${ff[@]}" "${video[@]}" -i "$work/subtitles.srt" "${h264[@]}" -c:s mov_text "${exact[@]}" \
    -f 3gp "$data/timed_text.3gp"
perl -0777 -pi -e 's/hdlr(\0{8})sbtl/hdlr${1}text/ or die "no sbtl handler\n"' "$data/timed_text.3gp"

# A 'co64' table: ffmpeg writes one only when a chunk offset passes 4 GiB, which no small file
# does, so there is no such file here; crafted boxes in the unit tests cover it.

# Today's video codecs, video only. x265 leaves out its version SEI (info=0) and runs on one
# thread; SVT-AV1 on one logical processor; libvpx writes no VP8 into MP4 here, so 'vp08' is
# covered by crafted boxes in the unit tests. The 'hev1' file also carries 'colr' (nclx, from the
# colour options) and a 4:3 'pasp'.
x265=(-c:v libx265 -preset veryslow -crf 40
      -x265-params "log-level=none:info=0:pools=none:frame-threads=1:keyint=5")
"${ff[@]}" "${video[@]}" "${x265[@]}" -tag:v hvc1 "${exact[@]}" "$data/hevc_hvc1.mp4"
"${ff[@]}" "${video[@]}" "${x265[@]}" -tag:v hev1 -vf setsar=4/3 -color_primaries bt709 \
    -color_trc bt709 -colorspace bt709 -color_range tv "${exact[@]}" "$data/hevc_hev1_colr.mp4"
SVT_LOG=1 "${ff[@]}" "${video[@]}" -c:v libsvtav1 -preset 12 -crf 55 -g 5 -svtav1-params lp=1 \
    "${exact[@]}" "$data/av1.mp4"
"${ff[@]}" "${video[@]}" -c:v libvpx-vp9 -deadline good -cpu-used 8 -b:v 40k -g 5 "${exact[@]}" \
    "$data/vp9.mp4"
"${ff[@]}" "${video[@]}" "${h264[@]}" -tag:v avc3 "${exact[@]}" "$data/avc3.mp4"

# Metadata. ilst items as ffmpeg writes them for tags ('\xA9nam', '\xA9ART', '\xA9day', 'trkn',
# 'disk'), a PNG cover from an attached picture ('covr'), and a mov_text subtitle track, whose
# handler stays 'sbtl'. The container is not bitexact here, or ffmpeg leaves out its '\xA9too'
# (its own version string, the same for the same packages); no creation time is written anyway.
printf '1\n00:00:00,000 --> 00:00:00,500\nHello\n\n' >"$work/cue.srt"
"${ff[@]}" -f lavfi -i "testsrc2=size=32x32:rate=1:duration=1" -frames:v 1 -c:v png \
    -flags:v +bitexact -fflags +bitexact "$work/cover.png"
"${ff[@]}" "${video[@]}" "${tone[@]}" -i "$work/cue.srt" -i "$work/cover.png" \
    -map 0:v -map 1:a -map 2:s -map 3:v "${h264[@]}" "${aac[@]}" -c:s mov_text \
    -c:v:1 copy -disposition:v:1 attached_pic \
    -flags:v +bitexact -flags:a +bitexact -map_metadata -1 -threads 1 \
    -metadata title="Orvex test" -metadata artist="Orvex" -metadata date=2024 \
    -metadata track=3/12 -metadata disc=1/2 "$data/meta_tags.mp4"

# Metadata by key: 'meta' with 'keys' ('mdta' namespace) and items named by key index.
"${ff[@]}" "${video[@]}" "${tone[@]}" "${h264[@]}" "${aac[@]}" "${exact[@]}" \
    -metadata title="Orvex test" -metadata artist="Orvex" -metadata comment="keys and mdta items" \
    -movflags use_metadata_tags "$data/meta_keys.mp4"

# Today's audio codecs in MP4, each a half-second tone: Opus ('Opus'/'dOps'), FLAC
# ('fLaC'/'dfLa', still experimental in this muxer), AC-3 ('ac-3'/'dac3', stereo), Enhanced
# AC-3 ('ec-3'/'dec3', 5.1 so that the configuration carries a low-frequency channel) and Apple
# Lossless ('alac' with its configuration box of the same type). This ffmpeg writes no 'ipcm',
# 'mhaC' or 'chnl': crafted boxes in the unit tests cover them.
tone48=(-f lavfi -i "sine=frequency=440:sample_rate=48000:duration=0.5")
tone44=(-f lavfi -i "sine=frequency=440:sample_rate=44100:duration=0.5")
"${ff[@]}" "${tone48[@]}" -c:a libopus -b:a 16k "${exact[@]}" "$data/opus.mp4"
"${ff[@]}" "${tone44[@]}" -ac 2 -c:a flac -strict -2 "${exact[@]}" "$data/flac.mp4"
"${ff[@]}" "${tone48[@]}" -ac 2 -c:a ac3 -b:a 64k "${exact[@]}" "$data/ac3.mp4"
"${ff[@]}" "${tone48[@]}" -ac 6 -c:a eac3 -b:a 192k "${exact[@]}" "$data/eac3.mp4"
"${ff[@]}" "${tone44[@]}" -c:a alac "${exact[@]}" "$data/alac.mp4"

# Streaming and common encryption, video only. A CMAF file with a global 'sidx', a 'tfdt' per
# fragment and a 'prft' before each 'moof' (its NTP time taken from the timestamps, so the bytes
# stay the same from run to run); DASH init and first media segment ('styp', 'sidx', 'tfdt');
# CENC 'cenc-aes-ctr' plain and fragmented ('sinf' with 'frma', 'schm', 'schi'/'tenc'; 'saiz',
# 'saio' and 'senc' in the sample table). ffmpeg writes no 'pssh' and no 'emsg': crafted boxes in
# the unit tests cover them.
"${ff[@]}" "${video[@]}" "${h264[@]}" "${exact[@]}" -write_prft pts \
    -movflags +cmaf+frag_keyframe+empty_moov+default_base_moof+global_sidx+dash \
    "$data/cmaf_sidx_prft.mp4"
mkdir -p "$work/dash"
"${ff[@]}" "${video[@]}" "${h264[@]}" "${exact[@]}" -f dash -seg_duration 0.5 -use_template 1 \
    -use_timeline 0 -init_seg_name init.m4s -media_seg_name 'seg-$Number$.m4s' "$work/dash/dash.mpd"
cp "$work/dash/init.m4s" "$data/dash_init.m4s"
cp "$work/dash/seg-1.m4s" "$data/dash_segment.m4s"
cenc=(-encryption_scheme cenc-aes-ctr -encryption_key 00112233445566778899aabbccddeeff
      -encryption_kid 00112233445566778899aabbccddeeff)
"${ff[@]}" "${video[@]}" "${h264[@]}" "${exact[@]}" "${cenc[@]}" "$data/cenc.mp4"
"${ff[@]}" "${video[@]}" "${h264[@]}" "${exact[@]}" "${cenc[@]}" \
    -movflags frag_keyframe+empty_moov+default_base_moof "$data/cenc_fragmented.mp4"

# Still images: items in a file-level 'meta' instead of tracks. An AVIF of one 64x64 frame from
# SVT-AV1 ('av01' item, 'ispe', 'pixi', 'av1C', 'colr' in 'ipco', 'ipma'); a HEIC from heif-enc
# (libheif with x265, the same bytes from run to run) of a 64x64 PNG with an alpha ramp and a
# 16x16 thumbnail: 'hvc1' and 'grid' items, 'idat' (construction method 1), 'auxC' alpha images
# and 'iref' with 'auxl', 'dimg' and 'thmb' references.
SVT_LOG=1 "${ff[@]}" -f lavfi -i "testsrc2=size=64x64:rate=1" -frames:v 1 -c:v libsvtav1 -preset 12 \
    -crf 55 -svtav1-params lp=1 -pix_fmt yuv420p "${exact[@]}" "$data/image_av1.avif"
"${ff[@]}" -f lavfi -i "testsrc2=size=64x64:rate=1" -frames:v 1 \
    -vf "format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='X*4'" -c:v png -flags:v +bitexact \
    -fflags +bitexact "$work/alpha.png"
heif-enc -q 30 -t 16 -o "$data/image_hevc_alpha.heic" "$work/alpha.png" >/dev/null

# AtomicParsley refuses some major brands ('iso5' among them) before it lists anything. Such a
# file is listed from a copy whose major brand reads 'isom': only those four bytes differ, so
# every offset and type in the tree is the file's own. A media segment begins with 'styp', which
# AtomicParsley does not accept as the first box: its copy also reads 'ftyp' there, and the tree
# gets the type 'styp' back.
ap_tree() {
    local file="$1" out="$2" copy
    if [ "$(head -c 8 "$file" | tail -c 4)" = styp ]; then
        copy="$work/segment-$(basename "$file")"
        cp "$file" "$copy"
        chmod u+w "$copy"
        printf 'ftypisom' | dd of="$copy" bs=1 seek=4 conv=notrunc status=none
        if AtomicParsley "$copy" -T >"$out" 2>&1 && grep -q 'Atom ftyp @ 0 ' "$out"; then
            sed -i '0,/Atom ftyp @ 0 /s//Atom styp @ 0 /' "$out"
            return 0
        fi
    fi
    if AtomicParsley "$file" -T >"$out" 2>&1 && grep -q '^.*Atom ' "$out"; then
        return 0
    fi
    if grep -q 'unsupported MPEG-4 file brand' "$out"; then
        copy="$work/brand-$(basename "$file")"
        cp "$file" "$copy"
        chmod u+w "$copy"
        printf 'isom' | dd of="$copy" bs=1 seek=8 conv=notrunc status=none
        if AtomicParsley "$copy" -T >"$out" 2>&1 && grep -q 'Atom ' "$out"; then
            return 0
        fi
    fi
    echo "make-test-data: AtomicParsley lists no tree for $(basename "$file"); no tree kept" >&2
    rm -f "$out"
}

# HLS in fragmented MP4: the init segment ('moov' with 'mvex'/'trex' of a video and an audio
# track) and the first media segment, read together by orvex-dump --init.
mkdir -p "$work/hls"
"${ff[@]}" "${video[@]}" "${tone[@]}" "${h264[@]}" "${aac[@]}" "${exact[@]}" -f hls -hls_time 0.5 \
    -hls_segment_type fmp4 -hls_fmp4_init_filename init.m4s \
    -hls_segment_filename "$work/hls/seg%d.m4s" "$work/hls/hls.m3u8"
cp "$work/hls/init.m4s" "$data/hls_init.m4s"
cp "$work/hls/seg0.m4s" "$data/hls_segment.m4s"

for media in "$data"/*.mp4 "$data"/*.m4s "$data"/*.3gp "$data"/*.avif "$data"/*.heic; do
    ap_tree "$media" "$media.atomicparsley.txt"
done

if [ -d "$conformance" ]; then
    mkdir -p "$data/conformance"
    for media in "$conformance"/*; do
        case "$media" in *.txt) continue ;; esac
        ap_tree "$media" "$data/conformance/$(basename "$media").atomicparsley.txt"
    done
fi

ls -l "$data"
