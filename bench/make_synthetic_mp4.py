#!/usr/bin/env python3
"""Write a large synthetic MP4 file for benchmarking and for tests of big inputs.

The file has one H.264 video track and one AAC audio track with N samples each and
complete, consistent sample tables (stts, stss, stsc, stsz, stco/co64). Only the first
seconds of media data are written, as decodable pictures and silent audio frames; the
rest of the 'mdat' payload is a hole in a sparse file, so a file of several GiB occupies
a few MiB on disk and is generated in seconds. Only the standard library is used.

    make_synthetic_mp4.py --samples 1000000 --output big.mp4
    make_synthetic_mp4.py --samples 100000 --output late.mp4 --moov-last
    make_synthetic_mp4.py --samples 10000 --output huge.mp4 --large
    make_synthetic_mp4.py --samples 1000000 --output frag.mp4 --fragments 100000

With --fragments the same samples come in movie fragments instead: an empty 'moov' with
'trex' defaults, then one 'moof' and 'mdat' per fragment, each fragment holding an equal share
of both tracks' samples (the payloads are holes).
"""

import argparse
import itertools
import os
import struct
import sys
from array import array

# Seconds from 1904-01-01 to 2024-01-01: a fixed date keeps the output reproducible.
CREATION_TIME = 3786912000

VIDEO_TIMESCALE = 30000
VIDEO_DELTA = 1000            # 30 frames per second
VIDEO_WIDTH, VIDEO_HEIGHT = 640, 360
KEYFRAME_INTERVAL = 30
VIDEO_SAMPLES_PER_CHUNK = 10

AUDIO_RATE = 48000
AUDIO_DELTA = 1024            # one AAC frame
AUDIO_SAMPLES_PER_CHUNK = 15

MOVIE_TIMESCALE = 1000
U32_MAX = 0xFFFFFFFF

# --large makes the media data at least this big, with unused space halfway through, so
# that chunk offsets lie on both sides of 4 GiB and every 32-bit truncation shows.
LARGE_MDAT_MIN = 4 * 1024 ** 3 + 512 * 1024 ** 2

IDENTITY_MATRIX = struct.pack(">9i", 0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000)


# --- box writer -------------------------------------------------------------------

def box(fourcc, *payload):
    body = b"".join(payload)
    return struct.pack(">I4s", 8 + len(body), fourcc) + body


def full_box(fourcc, version, flags, *payload):
    return box(fourcc, struct.pack(">I", (version << 24) | flags), *payload)


def be32_table(values):
    """Big-endian 32-bit words from an iterable, without a Python-level loop per word."""
    table = array("I", values)
    assert table.itemsize == 4
    if sys.byteorder == "little":
        table.byteswap()
    return table.tobytes()


def be64_table(values):
    table = array("Q", values)
    assert table.itemsize == 8
    if sys.byteorder == "little":
        table.byteswap()
    return table.tobytes()


# --- H.264 and AAC decoder configuration ----------------------------------------

class BitWriter:
    def __init__(self):
        self.bits = []

    def u(self, count, value):
        self.bits.extend((value >> (count - 1 - i)) & 1 for i in range(count))

    def ue(self, value):
        code = value + 1
        self.u(2 * code.bit_length() - 1, code)

    def __len__(self):
        return len(self.bits)

    def aligned(self):
        """The bits written, zero-padded to whole bytes."""
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return int("".join(map(str, bits)), 2).to_bytes(len(bits) // 8, "big")

    def rbsp(self):
        self.bits.append(1)  # rbsp_stop_one_bit
        return emulation_prevented(self.aligned())


def emulation_prevented(raw):
    out = bytearray()
    zeros = 0
    for byte in raw:
        if zeros >= 2 and byte <= 3:
            out.append(3)
            zeros = 0
        out.append(byte)
        zeros = zeros + 1 if byte == 0 else 0
    return bytes(out)


PROFILE_BASELINE, LEVEL_3_0 = 66, 30


def h264_sps():
    w = BitWriter()
    w.u(8, 0x67)                       # NAL header: nal_ref_idc 3, type 7
    w.u(8, PROFILE_BASELINE)
    w.u(8, 0xC0)                       # constraint_set0/1 flags
    w.u(8, LEVEL_3_0)
    w.ue(0)                            # seq_parameter_set_id
    w.ue(0)                            # log2_max_frame_num_minus4
    w.ue(2)                            # pic_order_cnt_type
    w.ue(1)                            # max_num_ref_frames
    w.u(1, 0)                          # gaps_in_frame_num_value_allowed_flag
    mbs_w, mbs_h = (VIDEO_WIDTH + 15) // 16, (VIDEO_HEIGHT + 15) // 16
    w.ue(mbs_w - 1)
    w.ue(mbs_h - 1)
    w.u(1, 1)                          # frame_mbs_only_flag
    w.u(1, 1)                          # direct_8x8_inference_flag
    crop_right = (mbs_w * 16 - VIDEO_WIDTH) // 2   # 4:2:0 crops in units of two
    crop_bottom = (mbs_h * 16 - VIDEO_HEIGHT) // 2
    cropping = crop_right or crop_bottom
    w.u(1, 1 if cropping else 0)
    if cropping:
        w.ue(0)
        w.ue(crop_right)
        w.ue(0)
        w.ue(crop_bottom)
    w.u(1, 0)                          # vui_parameters_present_flag
    return w.rbsp()


def h264_pps():
    w = BitWriter()
    w.u(8, 0x68)                       # NAL header: nal_ref_idc 3, type 8
    w.ue(0)                            # pic_parameter_set_id
    w.ue(0)                            # seq_parameter_set_id
    w.u(1, 0)                          # entropy_coding_mode_flag (CAVLC)
    w.u(1, 0)                          # bottom_field_pic_order_in_frame_present_flag
    w.ue(0)                            # num_slice_groups_minus1
    w.ue(0)                            # num_ref_idx_l0_default_active_minus1
    w.ue(0)                            # num_ref_idx_l1_default_active_minus1
    w.u(1, 0)                          # weighted_pred_flag
    w.u(2, 0)                          # weighted_bipred_idc
    w.ue(0)                            # pic_init_qp_minus26 (se 0 codes as ue 0)
    w.ue(0)                            # pic_init_qs_minus26
    w.ue(0)                            # chroma_qp_index_offset
    w.u(1, 1)                          # deblocking_filter_control_present_flag
    w.u(1, 0)                          # constrained_intra_pred_flag
    w.u(1, 0)                          # redundant_pic_cnt_present_flag
    return w.rbsp()


def avcc():
    sps, pps = h264_sps(), h264_pps()
    return box(b"avcC",
               struct.pack(">BBBBBB", 1, sps[1], sps[2], sps[3],
                           0xFC | 3,   # lengthSizeMinusOne: 4-byte NAL lengths
                           0xE0 | 1),  # one SPS
               struct.pack(">H", len(sps)), sps,
               struct.pack(">BH", 1, len(pps)), pps)


# Coded pictures: a grey IDR picture of DC-predicted macroblocks without residual, and
# P pictures whose macroblocks are all skipped. Real decoders accept them, so tools that
# decode the first frames to learn the stream's parameters (ffprobe does) see a clean
# stream. Each sample is padded to its size with a filler-data NAL unit.
MACROBLOCKS = ((VIDEO_WIDTH + 15) // 16) * ((VIDEO_HEIGHT + 15) // 16)
LOG2_MAX_FRAME_NUM = 4


def h264_idr_slice():
    w = BitWriter()
    w.u(8, 0x65)                       # nal_ref_idc 3, IDR slice
    w.ue(0)                            # first_mb_in_slice
    w.ue(7)                            # slice_type: I, all slices
    w.ue(0)                            # pic_parameter_set_id
    w.u(LOG2_MAX_FRAME_NUM, 0)         # frame_num
    w.ue(0)                            # idr_pic_id
    w.u(1, 0)                          # no_output_of_prior_pics_flag
    w.u(1, 0)                          # long_term_reference_flag
    w.ue(0)                            # slice_qp_delta
    w.ue(1)                            # disable_deblocking_filter_idc
    for _ in range(MACROBLOCKS):
        w.ue(3)                        # mb_type I_16x16_2_0_0: DC prediction, no cbp
        w.ue(0)                        # intra_chroma_pred_mode: DC
        w.ue(0)                        # mb_qp_delta
        w.u(1, 1)                      # coeff_token of the luma DC block: no coefficients
    return w.rbsp()


def h264_p_slice(frame_num):
    w = BitWriter()
    w.u(8, 0x41)                       # nal_ref_idc 2, non-IDR slice
    w.ue(0)                            # first_mb_in_slice
    w.ue(5)                            # slice_type: P, all slices
    w.ue(0)                            # pic_parameter_set_id
    w.u(LOG2_MAX_FRAME_NUM, frame_num)
    w.u(1, 0)                          # num_ref_idx_active_override_flag
    w.u(1, 0)                          # ref_pic_list_modification_flag_l0
    w.u(1, 0)                          # adaptive_ref_pic_marking_mode_flag
    w.ue(0)                            # slice_qp_delta
    w.ue(1)                            # disable_deblocking_filter_idc
    w.ue(MACROBLOCKS)                  # mb_skip_run: the whole picture
    return w.rbsp()


class VideoSamples:
    def __init__(self):
        self.idr = h264_idr_slice()
        self.p = [h264_p_slice(n) for n in range(1 << LOG2_MAX_FRAME_NUM)]

    def encode(self, index, size):
        position = index % KEYFRAME_INTERVAL
        slice_nal = self.idr if position == 0 else self.p[position % len(self.p)]
        filler = size - 4 - len(slice_nal) - 4
        assert filler >= 2, "sample too small for its picture"
        return b"".join((struct.pack(">I", len(slice_nal)), slice_nal,
                         struct.pack(">IB", filler, 0x0C),     # filler data NAL unit
                         b"\xFF" * (filler - 2), b"\x80"))


def aac_silent_frame(size):
    """One AAC-LC stereo raw data block of exactly `size` bytes: a channel pair without
    spectral data, then fill elements up to the size, then the end element."""
    w = BitWriter()
    w.u(3, 1)                          # ID_CPE
    w.u(4, 0)                          # element_instance_tag
    w.u(1, 0)                          # common_window
    for _ in range(2):
        w.u(8, 100)                    # global_gain
        w.u(11, 0)                     # ics_info: long window, max_sfb 0, no prediction
        w.u(3, 0)                      # no pulse, TNS or gain control data
    end_bits = 3
    while True:
        room = 8 * size - len(w) - end_bits
        if room < 7:
            break
        count = (room - 7) // 8
        if count >= 15:                # a count of 15 or more needs the escape byte
            count = min(269, (room - 15) // 8)
        w.u(3, 6)                      # ID_FIL
        if count >= 15:
            w.u(4, 15)
            w.u(8, count - 14)
        else:
            w.u(4, count)
        if count:
            w.u(8, 0)                  # extension_type EXT_FILL, fill_nibble
            for _ in range(count - 1):
                w.u(8, 0xA5)           # fill_byte
    w.u(3, 7)                          # ID_END
    frame = w.aligned()
    assert len(frame) == size, (len(frame), size)
    return frame


class AudioSamples:
    def __init__(self):
        self.cache = {}

    def encode(self, index, size):
        if size not in self.cache:
            self.cache[size] = aac_silent_frame(size)
        return self.cache[size]


def descriptor(tag, *payload):
    body = b"".join(payload)
    assert len(body) < 128, "one-byte descriptor length"
    return struct.pack(">BB", tag, len(body)) + body


def esds(track_id, avg_bitrate, max_bitrate, buffer_size):
    # AudioSpecificConfig: AAC LC (2), 48 kHz (index 3), two channels.
    asc = struct.pack(">H", (2 << 11) | (3 << 7) | (2 << 3))
    decoder_config = descriptor(
        0x04,
        struct.pack(">BB", 0x40,            # objectTypeIndication: MPEG-4 Audio
                    (0x05 << 2) | 1),       # streamType audio, reserved bit
        buffer_size.to_bytes(3, "big"),
        struct.pack(">II", max_bitrate, avg_bitrate),
        descriptor(0x05, asc))
    es = descriptor(0x03, struct.pack(">HB", track_id, 0), decoder_config,
                    descriptor(0x06, b"\x02"))  # SLConfig: predefined MP4
    return full_box(b"esds", 0, 0, es)


# --- sample tables ----------------------------------------------------------------

def video_sample_sizes(count):
    """Varied sizes, bigger at each random access point, reproducible without random."""
    return array("I", [6000 if i % KEYFRAME_INTERVAL == 0 else 600 + (i * 7919) % 800
                       for i in range(count)])


def audio_sample_sizes(count):
    return array("I", [200 + (i * 104729) % 200 for i in range(count)])


class Track:
    def __init__(self, track_id, sizes, per_chunk):
        self.track_id = track_id
        self.sizes = sizes
        self.per_chunk = per_chunk
        count = len(sizes)
        self.chunk_count = (count + per_chunk - 1) // per_chunk
        # Chunk sizes from prefix sums of the sample sizes.
        prefix = array("Q", itertools.accumulate(sizes, initial=0))
        self.chunk_sizes = [prefix[min(c + per_chunk, count)] - prefix[c]
                            for c in range(0, count, per_chunk)]
        self.prefix = prefix
        self.media_bytes = prefix[-1]
        self.chunk_offsets = []   # relative to the start of the mdat payload, then absolute

    def stsc(self):
        count = len(self.sizes)
        last = count - (self.chunk_count - 1) * self.per_chunk
        entries = [(1, min(self.per_chunk, count), 1)]
        if self.chunk_count > 1 and last != self.per_chunk:
            entries.append((self.chunk_count, last, 1))
        return full_box(b"stsc", 0, 0, struct.pack(">I", len(entries)),
                        *(struct.pack(">III", *e) for e in entries))

    def stsz(self):
        return full_box(b"stsz", 0, 0, struct.pack(">II", 0, len(self.sizes)),
                        be32_table(self.sizes))

    def chunk_offset_box(self, wide):
        header = struct.pack(">I", len(self.chunk_offsets))
        if wide:
            return full_box(b"co64", 0, 0, header, be64_table(self.chunk_offsets))
        return full_box(b"stco", 0, 0, header, be32_table(self.chunk_offsets))


def interleave(video, audio, gap):
    """Lay chunks out in decoding-time order, as a muxer would, and set their offsets
    relative to the payload start. `gap` unused bytes go halfway through, so that with
    a big gap chunk offsets lie on both sides of it. Returns the payload size."""
    video_chunk_time = VIDEO_SAMPLES_PER_CHUNK * VIDEO_DELTA * AUDIO_RATE
    audio_chunk_time = AUDIO_SAMPLES_PER_CHUNK * AUDIO_DELTA * VIDEO_TIMESCALE
    gap_before = (video.chunk_count + audio.chunk_count) // 2
    position = 0
    v = a = 0
    v_offsets, a_offsets = [], []
    while v < video.chunk_count or a < audio.chunk_count:
        if v + a == gap_before:
            position += gap
        take_video = a >= audio.chunk_count or (
            v < video.chunk_count and v * video_chunk_time <= a * audio_chunk_time)
        if take_video:
            v_offsets.append(position)
            position += video.chunk_sizes[v]
            v += 1
        else:
            a_offsets.append(position)
            position += audio.chunk_sizes[a]
            a += 1
    video.chunk_offsets, audio.chunk_offsets = v_offsets, a_offsets
    return position


# Tools that learn a stream's parameters by decoding its first frames read about 5 s or
# 5 MB of media (ffprobe's defaults). Those samples are written for real, with margin;
# the rest of the media data stays a hole.
DECODED_SECONDS = 10
DECODED_BYTES_PER_TRACK = 4 * 1024 * 1024


def write_decodable_start(out, track, encoder, seconds_per_sample):
    for chunk, offset in enumerate(track.chunk_offsets):
        first = chunk * track.per_chunk
        if (track.prefix[first] >= DECODED_BYTES_PER_TRACK
                or first * seconds_per_sample >= DECODED_SECONDS):
            break
        last = min(first + track.per_chunk, len(track.sizes))
        out.seek(offset)
        out.write(b"".join(encoder.encode(i, track.sizes[i]) for i in range(first, last)))


# --- movie structure ---------------------------------------------------------------

def times_box(fourcc, flags, fields_v0, fields_v1, duration, rest_before, rest_after):
    """A box whose times and duration are 32-bit in version 0 and 64-bit in version 1."""
    if duration > U32_MAX:
        return full_box(fourcc, 1, flags, struct.pack(fields_v1, *rest_before, duration),
                        rest_after)
    return full_box(fourcc, 0, flags, struct.pack(fields_v0, *rest_before, duration),
                    rest_after)


def mvhd(duration, next_track_id):
    after = (struct.pack(">iH10x", 0x00010000, 0x0100) + IDENTITY_MATRIX
             + bytes(24) + struct.pack(">I", next_track_id))
    return times_box(b"mvhd", 0, ">IIII", ">QQIQ", duration,
                     (CREATION_TIME, CREATION_TIME, MOVIE_TIMESCALE), after)


def tkhd(track_id, duration, audio):
    volume = 0x0100 if audio else 0
    width, height = (0, 0) if audio else (VIDEO_WIDTH << 16, VIDEO_HEIGHT << 16)
    after = (struct.pack(">8xhhhH", 0, 1 if audio else 0, volume, 0) + IDENTITY_MATRIX
             + struct.pack(">II", width, height))
    # Version 1 keeps the reserved word between track_ID and duration as in version 0.
    return times_box(b"tkhd", 3, ">IIIII", ">QQIIQ", duration,
                     (CREATION_TIME, CREATION_TIME, track_id, 0), after)


def mdhd(timescale, duration):
    language = 0x55C4  # "und"
    return times_box(b"mdhd", 0, ">IIII", ">QQIQ", duration,
                     (CREATION_TIME, CREATION_TIME, timescale), struct.pack(">HH", language, 0))


def hdlr(handler, name):
    return full_box(b"hdlr", 0, 0, struct.pack(">I4s12x", 0, handler), name + b"\0")


def dinf():
    return box(b"dinf", full_box(b"dref", 0, 0, struct.pack(">I", 1),
                                 full_box(b"url ", 0, 1)))


def avc1_entry():
    compressor = b"\x0aOrvex AVC"
    return box(b"avc1", bytes(6), struct.pack(">H", 1),
               struct.pack(">HH12xHHIII", 0, 0, VIDEO_WIDTH, VIDEO_HEIGHT,
                           0x00480000, 0x00480000, 0),
               struct.pack(">H", 1), compressor.ljust(32, b"\0"),
               struct.pack(">Hh", 0x0018, -1), avcc())


def mp4a_entry(track, duration_seconds):
    avg = int(track.media_bytes * 8 / duration_seconds) if duration_seconds else 0
    biggest = max(track.sizes)
    max_bitrate = min(U32_MAX, biggest * 8 * AUDIO_RATE // AUDIO_DELTA)
    return box(b"mp4a", bytes(6), struct.pack(">H", 1),
               struct.pack(">8xHHHHI", 2, 16, 0, 0, AUDIO_RATE << 16),
               esds(track.track_id, min(avg, U32_MAX), max_bitrate,
                    min(biggest, 0xFFFFFF)))


def trak(track, audio, wide_offsets):
    count = len(track.sizes)
    if audio:
        timescale, delta = AUDIO_RATE, AUDIO_DELTA
    else:
        timescale, delta = VIDEO_TIMESCALE, VIDEO_DELTA
    media_duration = count * delta
    movie_duration = media_duration * MOVIE_TIMESCALE // timescale

    stbl = [full_box(b"stsd", 0, 0, struct.pack(">I", 1),
                     mp4a_entry(track, media_duration / timescale) if audio else avc1_entry()),
            full_box(b"stts", 0, 0, struct.pack(">III", 1, count, delta))]
    if not audio:
        keyframes = range(1, count + 1, KEYFRAME_INTERVAL)
        stbl.append(full_box(b"stss", 0, 0, struct.pack(">I", len(keyframes)),
                             be32_table(keyframes)))
    stbl += [track.stsc(), track.stsz(), track.chunk_offset_box(wide_offsets)]

    media_header = (full_box(b"smhd", 0, 0, struct.pack(">hH", 0, 0)) if audio
                    else full_box(b"vmhd", 0, 1, struct.pack(">H3H", 0, 0, 0, 0)))
    handler = hdlr(b"soun", b"SoundHandler") if audio else hdlr(b"vide", b"VideoHandler")
    return box(b"trak",
               tkhd(track.track_id, movie_duration, audio),
               box(b"mdia", mdhd(timescale, media_duration), handler,
                   box(b"minf", media_header, dinf(), box(b"stbl", *stbl))))


def moov(video, audio, wide_offsets):
    duration = max(len(video.sizes) * VIDEO_DELTA * MOVIE_TIMESCALE // VIDEO_TIMESCALE,
                   len(audio.sizes) * AUDIO_DELTA * MOVIE_TIMESCALE // AUDIO_RATE)
    return box(b"moov", mvhd(duration, 3),
               trak(video, False, wide_offsets), trak(audio, True, wide_offsets))


def ftyp():
    return box(b"ftyp", struct.pack(">4sI", b"isom", 0x200), b"isom", b"iso2", b"avc1",
               b"mp41")


def mdat_header(payload_size, wide):
    if wide:
        return struct.pack(">I4sQ", 1, b"mdat", 16 + payload_size)
    return struct.pack(">I4s", 8 + payload_size, b"mdat")


def write_file(path, samples, moov_last, large):
    video = Track(1, video_sample_sizes(samples), VIDEO_SAMPLES_PER_CHUNK)
    audio = Track(2, audio_sample_sizes(samples), AUDIO_SAMPLES_PER_CHUNK)
    media = video.media_bytes + audio.media_bytes
    payload = interleave(video, audio, max(0, LARGE_MDAT_MIN - media) if large else 0)
    relative = (video.chunk_offsets, audio.chunk_offsets)

    head = ftyp()
    wide_mdat = large or 8 + payload > U32_MAX
    mdat_head = mdat_header(payload, wide_mdat)

    if moov_last:
        payload_start = len(head) + len(mdat_head)
        wide = large or payload_start + payload > U32_MAX
    else:
        # The offsets do not change the moov's size, but the moov's size moves the
        # offsets, and needing co64 grows it.
        wide = large or len(head) + len(mdat_head) + payload > U32_MAX
        moov_size = len(moov(video, audio, wide))
        if not wide and len(head) + moov_size + len(mdat_head) + payload > U32_MAX:
            wide = True
            moov_size = len(moov(video, audio, wide))
        payload_start = len(head) + moov_size + len(mdat_head)
    for track, offsets in zip((video, audio), relative):
        track.chunk_offsets = [payload_start + o for o in offsets]
    movie = moov(video, audio, wide)

    with open(path, "wb") as out:
        out.write(head)
        if moov_last:
            out.write(mdat_head)
            out.seek(payload, os.SEEK_CUR)
            out.write(movie)
        else:
            out.write(movie)
            out.write(mdat_head)
            out.truncate(payload_start + payload)
        write_decodable_start(out, video, VideoSamples(), VIDEO_DELTA / VIDEO_TIMESCALE)
        write_decodable_start(out, audio, AudioSamples(), AUDIO_DELTA / AUDIO_RATE)
    return payload_start + payload, wide


# --- movie fragments ----------------------------------------------------------------

SAMPLE_NON_SYNC = 0x00010000   # sample_is_non_sync_sample in stored sample flags
TF_DEFAULT_BASE_IS_MOOF = 0x020000
TR_DATA_OFFSET, TR_FIRST_SAMPLE_FLAGS, TR_SAMPLE_SIZE = 0x000001, 0x000004, 0x000200


def empty_trak(track_id, audio):
    timescale = AUDIO_RATE if audio else VIDEO_TIMESCALE
    empty = [full_box(b"stts", 0, 0, struct.pack(">I", 0)),
             full_box(b"stsc", 0, 0, struct.pack(">I", 0)),
             full_box(b"stsz", 0, 0, struct.pack(">II", 0, 0)),
             full_box(b"stco", 0, 0, struct.pack(">I", 0))]
    entry = mp4a_entry(Track(track_id, array("I", [400]), 1), 0) if audio else avc1_entry()
    media_header = (full_box(b"smhd", 0, 0, struct.pack(">hH", 0, 0)) if audio
                    else full_box(b"vmhd", 0, 1, struct.pack(">H3H", 0, 0, 0, 0)))
    handler = hdlr(b"soun", b"SoundHandler") if audio else hdlr(b"vide", b"VideoHandler")
    stsd = full_box(b"stsd", 0, 0, struct.pack(">I", 1), entry)
    return box(b"trak", tkhd(track_id, 0, audio),
               box(b"mdia", mdhd(timescale, 0), handler,
                   box(b"minf", media_header, dinf(), box(b"stbl", stsd, *empty))))


def fragmented_moov():
    trex = [full_box(b"trex", 0, 0, struct.pack(">IIIII", 1, 1, VIDEO_DELTA, 0,
                                                   SAMPLE_NON_SYNC)),
            full_box(b"trex", 0, 0, struct.pack(">IIIII", 2, 1, AUDIO_DELTA, 0, 0))]
    return box(b"moov", mvhd(0, 3), empty_trak(1, False), empty_trak(2, True),
               box(b"mvex", *trex))


def traf(track_id, decode_time, sizes, first_flags, data_offset):
    flags = TR_DATA_OFFSET | TR_SAMPLE_SIZE | (TR_FIRST_SAMPLE_FLAGS if first_flags is not None
                                              else 0)
    run = struct.pack(">Ii", len(sizes), data_offset)
    if first_flags is not None:
        run += struct.pack(">I", first_flags)
    return box(b"traf", full_box(b"tfhd", 0, TF_DEFAULT_BASE_IS_MOOF, struct.pack(">I", track_id)),
               full_box(b"tfdt", 1, 0, struct.pack(">Q", decode_time)),
               full_box(b"trun", 0, flags, run, be32_table(sizes)))


def write_fragmented(path, samples, fragments):
    video, audio = video_sample_sizes(samples), audio_sample_sizes(samples)
    bounds = [samples * f // fragments for f in range(fragments + 1)]
    with open(path, "wb") as out:
        out.write(ftyp())
        out.write(fragmented_moov())
        for f in range(fragments):
            first, last = bounds[f], bounds[f + 1]
            v, a = video[first:last], audio[first:last]
            key = None if first % KEYFRAME_INTERVAL else 0
            # The 'moof' size does not depend on the data offsets: lay it out once with 0.
            size = len(box(b"moof", full_box(b"mfhd", 0, 0, struct.pack(">I", f + 1)),
                           traf(1, first * VIDEO_DELTA, v, key, 0),
                           traf(2, first * AUDIO_DELTA, a, None, 0)))
            video_bytes = sum(v)
            moof = box(b"moof", full_box(b"mfhd", 0, 0, struct.pack(">I", f + 1)),
                       traf(1, first * VIDEO_DELTA, v, key, size + 8),
                       traf(2, first * AUDIO_DELTA, a, None, size + 8 + video_bytes))
            payload = video_bytes + sum(a)
            out.write(moof)
            out.write(mdat_header(payload, False))
            out.seek(payload, os.SEEK_CUR)
        out.truncate()
        return out.tell()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--samples", type=int, required=True, metavar="N",
                        help="samples per track")
    parser.add_argument("--output", required=True, metavar="PATH")
    parser.add_argument("--moov-last", action="store_true",
                        help="write 'mdat' first and 'moov' after it")
    parser.add_argument("--large", action="store_true",
                        help="make 'mdat' bigger than 4 GiB, with a 64-bit size and co64")
    parser.add_argument("--fragments", type=int, metavar="F",
                        help="write the samples in F movie fragments instead of sample tables")
    args = parser.parse_args()
    if args.samples < 1:
        parser.error("--samples must be at least 1")
    if args.fragments:
        size = write_fragmented(args.output, args.samples, min(args.fragments, args.samples))
        print(f"{args.output}: {args.samples} samples per track in {args.fragments} fragments, "
              f"{size} bytes")
        return
    size, wide = write_file(args.output, args.samples, args.moov_last, args.large)
    print(f"{args.output}: {args.samples} samples per track, {size} bytes, "
          f"{'co64' if wide else 'stco'}, moov {'last' if args.moov_last else 'first'}")


if __name__ == "__main__":
    main()
